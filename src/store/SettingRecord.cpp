#include "store/SettingRecord.h"

#include <type_traits>
#include <variant>

#include "store/FirewallStore.h"
#include "store/SettingStore.h"
#include "store/SwitchRules.h"
#include "util/kRegistry.h"
#include "util/Guard.h"

namespace kip {

namespace {

constexpr wchar_t kMacAddressValue[] = L"MACAddress";
constexpr wchar_t kConnectionNameValue[] = L"ConnectionName";

// A string value that may be missing or of another type: empty then.
std::wstring OptionalString(const TkRegistry& key, const wchar_t* name) {
  return key.TryReadString(name).value_or(std::wstring{});
}

// How a stored value is read into its field. A missing string reads as
// empty; a missing number, like a value of another type, is a bad value.
enum class StoredKind {
  Flag,       // DWORD, anything but 0 is on
  OnForOne,   // DWORD, on for exactly 1
  Text,       // REG_SZ
  CommaText,  // REG_SZ holding comma text
};

template <typename Group>
struct StoredValue {
  const wchar_t* name;
  StoredKind kind;
  std::variant<bool Group::*, std::wstring Group::*, std::optional<std::wstring> Group::*, StringList Group::*> field;
  // A radio button of a pair: read on, it turns its partner off.
  bool Group::*partner = nullptr;
};

template <typename Group>
void ReadInto(const TkRegistry& key, const StoredValue<Group>& value, Group& group) {
  std::visit(
      [&](auto member) {
        using Field = std::remove_reference_t<decltype(group.*member)>;
        if constexpr (std::is_same_v<Field, bool>) {
          const int number = key.ReadInteger(value.name);
          group.*member = value.kind == StoredKind::OnForOne ? number == 1 : number != 0;
          if (group.*member && value.partner) group.*(value.partner) = false;
        } else if constexpr (std::is_same_v<Field, StringList>) {
          group.*member = SplitCommaText(key.ReadString(value.name));
        } else {
          group.*member = key.ReadString(value.name);
        }
      },
      value.field);
}

// Reads the group's values in their order into `group`, which holds the
// defaults: the first bad value ends the group, and the fields from it on
// keep their defaults. False when the group ended early.
template <typename Group, size_t N>
bool ReadGroup(const TkRegistry& key, const StoredValue<Group> (&table)[N], Group& group) {
  for (const StoredValue<Group>& value : table) {
    if (!RunGuarded([&] { ReadInto(key, value, group); })) return false;
  }
  return true;
}

using Machine = MachineWideValues;
using Kind = StoredKind;

const StoredValue<Machine> kHostsGroup[] = {{L"Hosts File", Kind::Text, &Machine::hostsFile}};
const StoredValue<ProxyValues> kProxyGroup[] = {
    {L"ProxyEnable", Kind::Flag, &ProxyValues::enable},
    {L"ProxyServer", Kind::Text, &ProxyValues::server},
    {L"ProxyPort", Kind::Text, &ProxyValues::port},
    {L"Start Page", Kind::Text, &ProxyValues::startPage},
    {L"ProxyLoacl", Kind::Flag, &ProxyValues::bypassLocal},
    {L"ProxyOverride", Kind::Text, &ProxyValues::bypassList},
    {L"ProxyMore", Kind::Flag, &ProxyValues::detailed},
    {L"ProxyAutoConfigURL", Kind::Text, &ProxyValues::autoConfigUrl},
};
const StoredValue<Machine> kPrinterGroup[] = {{L"default Printer", Kind::Text, &Machine::defaultPrinter}};
const StoredValue<DomainValues> kDomainGroup[] = {
    {L"ChangeDomainWorkGroup", Kind::Flag, &DomainValues::change},
    {L"Domain", Kind::Text, &DomainValues::domain},
    {L"ChangeDomain", Kind::Flag, &DomainValues::joinDomain, &DomainValues::joinWorkGroup},
    {L"WorkGroup", Kind::Text, &DomainValues::workGroup},
    {L"ChangeWorkGroup", Kind::Flag, &DomainValues::joinWorkGroup, &DomainValues::joinDomain},
};
const StoredValue<Machine> kMachineNameGroup[] = {{L"Machine Name", Kind::Text, &Machine::machineName}};
const StoredValue<Machine> kRouterGroup[] = {{L"IPEnableRouter", Kind::OnForOne, &Machine::ipEnableRouter}};
const StoredValue<Machine> kSuffixGroup[] = {
    {L"UseDomainNameDevolution", Kind::Flag, &Machine::useDomainNameDevolution},
    {L"SearchList", Kind::CommaText, &Machine::searchList},
};

}  // namespace

MachineWideValues ReadMachineWide(const TkRegistry& key, MachineWideValues values) {
  // Single values read as empty or off when bad, whatever was shown.
  values.hostsFile.clear();
  values.machineName.clear();
  values.ipEnableRouter = false;
  ReadGroup(key, kHostsGroup, values);
  ReadGroup(key, kProxyGroup, values.proxy);
  ReadGroup(key, kPrinterGroup, values);
  // A domain group read only in part never changes the domain.
  if (!ReadGroup(key, kDomainGroup, values.domain)) values.domain.change = false;
  ReadGroup(key, kMachineNameGroup, values);
  ReadGroup(key, kRouterGroup, values);
  if (!ReadGroup(key, kSuffixGroup, values)) {
    values.useDomainNameDevolution = true;
    values.searchList.clear();
  }
  return values;
}

bool SaveMachineWide(std::wstring_view settingName, const MachineWideValues& values) {
  TkRegistry key(HKEY_LOCAL_MACHINE);
  if (!key.OpenKey(SettingKeyPath(settingName), true)) return false;
  auto flag = [&](const wchar_t* name, bool on) { key.WriteInteger(name, on ? 1 : 0); };
  return RunGuarded([&] {
    key.WriteString(L"Hosts File", values.hostsFile);
    key.WriteString(L"Start Page", values.proxy.startPage);
    flag(L"ProxyEnable", values.proxy.enable);
    key.WriteString(L"ProxyServer", values.proxy.server);
    key.WriteString(L"ProxyPort", values.proxy.port);
    flag(L"ProxyLoacl", values.proxy.bypassLocal);
    key.WriteString(L"ProxyOverride", values.proxy.bypassList);
    key.WriteString(L"ProxyAutoConfigURL", values.proxy.autoConfigUrl);
    flag(L"ProxyMore", values.proxy.detailed);
    flag(L"ChangeDomainWorkGroup", values.domain.change);
    key.WriteString(L"Domain", values.domain.domain);
    flag(L"ChangeDomain", values.domain.joinDomain);
    key.WriteString(L"WorkGroup", values.domain.workGroup);
    flag(L"ChangeWorkGroup", values.domain.joinWorkGroup);
    key.WriteString(L"Machine Name", values.machineName);
    flag(L"IPEnableRouter", values.ipEnableRouter);
    flag(L"UseDomainNameDevolution", values.useDomainNameDevolution);
    key.WriteString(L"SearchList", JoinCommaText(values.searchList));
    if (values.defaultPrinter) key.WriteString(L"default Printer", *values.defaultPrinter);
  });
}

CardPart ReadCardPart(const TkRegistry& key, DWORD osMajorVersion) {
  CardPart part;
  part.tcpip = ReadTcpipValues(key, osMajorVersion);
  part.winsServers = key.TryReadStringList(L"NameServerList").value_or(StringList{});
  part.macAddress = OptionalString(key, kMacAddressValue);
  // A MAC address read is there: the second call only when it reads empty.
  part.macRecorded = !part.macAddress.empty() || key.ValueExists(kMacAddressValue);
  part.connectionName = OptionalString(key, kConnectionNameValue);
  part.ipv6 = ReadIpv6Setting(key);
  return part;
}

bool SaveCardPart(std::wstring_view settingName, std::wstring_view cardId, const std::wstring& description,
                  const CardPart& part, DWORD osMajorVersion) {
  TkRegistry key(HKEY_LOCAL_MACHINE);
  if (!key.OpenKey(CardKeyPath(settingName, cardId), true)) return false;
  const bool written = RunGuarded([&] {
    key.WriteString(L"Description", description);
    WriteTcpipValues(key, part.tcpip, osMajorVersion);
    key.WriteStringList(L"NameServerList", part.winsServers);
    key.WriteString(kMacAddressValue, part.macAddress);
    key.WriteString(kConnectionNameValue, part.connectionName);
  });
  return written && (!part.ipv6 || WriteIpv6Setting(key, *part.ipv6));
}

bool IsCardIdentityValue(std::wstring_view valueName) {
  return EqualsNoCase(valueName, kMacAddressValue) || EqualsNoCase(valueName, kConnectionNameValue);
}

bool IsCardKeyName(std::wstring_view subkeyName) {
  return !EqualsNoCase(subkeyName, kFirewallSubkey) && !EqualsNoCase(subkeyName, kSwitchRuleSubkey);
}

}  // namespace kip
