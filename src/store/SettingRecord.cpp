#include "store/SettingRecord.h"

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

// A stored boolean: 0 is false, anything else true.
bool Flag(const TkRegistry& key, const wchar_t* name) { return key.ReadInteger(name) != 0; }

// Reads the fields of a group in order, counting those read before the
// first failure.
class GroupReader {
 public:
  explicit GroupReader(int& count) : count_(count) { count_ = 0; }
  template <typename Step>
  void Then(Step&& step) {
    if (failed_) return;
    failed_ = !RunGuarded(step);
    if (!failed_) ++count_;
  }

 private:
  int& count_;
  bool failed_ = false;
};

void ReadProxyGroup(const TkRegistry& key, MachineWideReading& reading) {
  ProxyValues& proxy = reading.values.proxy;
  GroupReader group(reading.proxyFieldsRead);
  group.Then([&] { proxy.enable = Flag(key, L"ProxyEnable"); });
  group.Then([&] { proxy.server = key.ReadString(L"ProxyServer"); });
  group.Then([&] { proxy.port = key.ReadString(L"ProxyPort"); });
  group.Then([&] { proxy.startPage = key.ReadString(L"Start Page"); });
  group.Then([&] { proxy.bypassLocal = Flag(key, L"ProxyLoacl"); });
  group.Then([&] { proxy.bypassList = key.ReadString(L"ProxyOverride"); });
  group.Then([&] { proxy.detailed = Flag(key, L"ProxyMore"); });
  group.Then([&] { proxy.autoConfigUrl = key.ReadString(L"ProxyAutoConfigURL"); });
}

void ReadDomainGroup(const TkRegistry& key, MachineWideReading& reading) {
  DomainValues& domain = reading.values.domain;
  GroupReader group(reading.domainFieldsRead);
  group.Then([&] { domain.change = Flag(key, L"ChangeDomainWorkGroup"); });
  group.Then([&] { domain.domain = key.ReadString(L"Domain"); });
  group.Then([&] { domain.joinDomain = Flag(key, L"ChangeDomain"); });
  group.Then([&] { domain.workGroup = key.ReadString(L"WorkGroup"); });
  group.Then([&] { domain.joinWorkGroup = Flag(key, L"ChangeWorkGroup"); });
}

void ReadSuffixGroup(const TkRegistry& key, MachineWideValues& values) {
  bool read = RunGuarded([&] {
    values.useDomainNameDevolution = Flag(key, L"UseDomainNameDevolution");
    values.searchList = SplitCommaText(key.ReadString(L"SearchList"));
  });
  if (!read) {
    values.useDomainNameDevolution = true;
    values.searchList.clear();
  }
}

}  // namespace

std::optional<MachineWideReading> LoadMachineWide(std::wstring_view settingName) {
  TkRegistry key(HKEY_LOCAL_MACHINE);
  if (!key.OpenKeyReadOnly(SettingKeyPath(settingName))) return std::nullopt;
  MachineWideReading reading;
  MachineWideValues& values = reading.values;
  values.hostsFile = key.TryReadString(L"Hosts File").value_or(L"");
  ReadProxyGroup(key, reading);
  values.defaultPrinter = key.TryReadString(L"default Printer");
  reading.printerRead = values.defaultPrinter.has_value();
  ReadDomainGroup(key, reading);
  values.machineName = key.TryReadString(L"Machine Name").value_or(L"");
  values.ipEnableRouter = key.TryReadInteger(L"IPEnableRouter") == 1;
  ReadSuffixGroup(key, values);
  return reading;
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

std::optional<CardPart> LoadCardPart(std::wstring_view settingName, std::wstring_view cardId, DWORD osMajorVersion) {
  TkRegistry key(HKEY_LOCAL_MACHINE);
  if (!key.OpenKeyReadOnly(CardKeyPath(settingName, cardId))) return std::nullopt;
  CardPart part;
  part.tcpip = ReadTcpipValues(key, osMajorVersion);
  part.winsServers = key.TryReadStringList(L"NameServerList").value_or(StringList{});
  part.macAddress = OptionalString(key, kMacAddressValue);
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

StringList ListCardKeys(std::wstring_view settingName) {
  StringList cards;
  TkRegistry key(HKEY_LOCAL_MACHINE);
  if (!key.OpenKeyReadOnly(SettingKeyPath(settingName))) return cards;
  StringList names;
  RunGuarded([&] { key.GetKeyNames(names); });
  for (std::wstring& name : names) {
    if (!EqualsNoCase(name, kFirewallSubkey) && !EqualsNoCase(name, kSwitchRuleSubkey)) cards.push_back(std::move(name));
  }
  return cards;
}

bool IsCardIdentityValue(std::wstring_view valueName) {
  return EqualsNoCase(valueName, kMacAddressValue) || EqualsNoCase(valueName, kConnectionNameValue);
}

StoredCardIdentity ReadStoredCardIdentity(std::wstring_view settingName, std::wstring_view cardId) {
  StoredCardIdentity stored;
  stored.identity.cardId = std::wstring(cardId);
  TkRegistry key(HKEY_LOCAL_MACHINE);
  if (!key.OpenKeyReadOnly(CardKeyPath(settingName, cardId))) return stored;
  stored.identity.macAddress = OptionalString(key, kMacAddressValue);
  stored.identity.connectionName = OptionalString(key, kConnectionNameValue);
  stored.description = OptionalString(key, L"Description");
  return stored;
}

}  // namespace kip
