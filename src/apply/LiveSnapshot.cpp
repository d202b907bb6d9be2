#include "apply/LiveSnapshot.h"

#include <algorithm>

#include "apply/FirewallWriter.h"
#include "machine/MachineKeys.h"
#include "machine/TcpipValues.h"
#include "store/StoreKeys.h"
#include "util/Files.h"
#include "util/Ipv6Address.h"
#include "util/kRegistry.h"

namespace kip {

namespace {

// One value of the key at `path` (`read` is one of the TryRead forms);
// nothing when the key does not open.
template <typename Read>
auto ReadValue(HKEY root, const wchar_t* path, Read&& read) -> decltype(read(std::declval<const TkRegistry&>())) {
  TkRegistry key(root);
  if (!key.OpenKeyReadOnly(path)) return std::nullopt;
  return read(key);
}

std::wstring ReadComputerName() {
  std::optional<std::wstring> stored = ReadValue(
      HKEY_LOCAL_MACHINE, kTcpipParametersKey, [](const TkRegistry& key) { return key.TryReadString(L"NV Hostname"); });
  // The name a commit writes; Windows takes it at the next start.
  if (stored && !IsBlank(*stored)) return *stored;
  return ReadHostName();
}

// nullopt when the file is missing or cannot be read: a HOSTS file that is
// there but unreadable is never kept as empty (the way back would empty it).
std::optional<std::string> ReadFileIfThere(const std::wstring& path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return std::nullopt;
  return bytes;
}

LiveMachine ReadLiveMachine(const std::wstring& systemFolder, DWORD osMajorVersion, const MachineInterfaces& interfaces) {
  LiveMachine machine;
  machine.computerName = ReadComputerName();
  machine.membership = ReadDomainMembership();
  machine.parameters = ReadTcpipParameters();
  machine.internet = ReadInternetSettingsValues();
  if (interfaces.internet->QueryIsWhole()) machine.lanProxy = QueryLanProxy(*interfaces.internet);
  machine.startPage = ReadStartPage();
  machine.printerDevice =
      ReadValue(HKEY_CURRENT_USER, kWindowsKey, [](const TkRegistry& key) { return key.TryReadString(L"Device"); })
          .value_or(L"");
  machine.hosts = ReadFileIfThere(systemFolder + L"drivers\\etc\\hosts");
  machine.firewall = ReadMachineFirewall(osMajorVersion, interfaces.openFirewall);
  return machine;
}

MachineValueSet MachineValuesOf(const LiveMachine& live) {
  MachineValueSet machine;
  machine.computerName = live.computerName;
  machine.domain = live.membership.domain;
  machine.workGroup = live.membership.workGroup;
  if (live.parameters) {
    machine.ipRouter = live.parameters->ipEnableRouter;
    machine.domainNameDevolution = live.parameters->useDomainNameDevolution;
    machine.searchList = live.parameters->searchList;
  }
  // What WinINet reports is what Windows uses; the classic values stand in
  // where it cannot be asked.
  if (live.lanProxy) {
    machine.proxyOn = (live.lanProxy->flags & kProxyTypeProxy) != 0;
    machine.proxyServer = live.lanProxy->server;
    machine.proxyOverride = live.lanProxy->bypass;
    machine.autoConfigUrl =
        (live.lanProxy->flags & kProxyTypeAutoProxyUrl) != 0 ? live.lanProxy->autoConfigUrl : std::wstring();
  } else if (live.internet) {
    machine.proxyOn = (live.internet->proxyEnable & 0xFF) != 0;
    machine.proxyServer = live.internet->proxyServer;
    machine.proxyOverride = live.internet->proxyOverride;
    machine.autoConfigUrl = live.internet->autoConfigUrl;
  }
  machine.homePage = live.startPage.value_or(L"");
  machine.printerDevice = live.printerDevice;
  machine.hosts = {L"", live.hosts};
  if (live.firewall.policyFound) {
    FirewallValueSet firewall{live.firewall.firewallOn.value_or(false), live.firewall.doNotAllowExceptions, {}};
    for (const FirewallRow& row : live.firewall.rows) firewall.rows.push_back({row.text, row.checked});
    machine.firewall = std::move(firewall);
  }
  return machine;
}

// The proxy as it is, in the fields that write it back unchanged: the
// server text whole, the exceptions as one list. A proxy that is off has no
// server on the way back (the writer derives the switch from the server).
ProxyValues ProxyOf(const InternetSettingsValues& internet, const std::optional<std::wstring>& startPage) {
  ProxyValues proxy;
  proxy.enable = true;
  proxy.detailed = true;
  proxy.server = (internet.proxyEnable & 0xFF) != 0 ? internet.proxyServer : std::wstring();
  proxy.bypassList = internet.proxyOverride;
  proxy.autoConfigUrl = internet.autoConfigUrl;
  proxy.startPage = startPage.value_or(L"");
  return proxy;
}

std::wstring PrinterNameOf(const std::wstring& device) {
  const size_t comma = device.find(L',');
  return comma == std::wstring::npos ? std::wstring() : device.substr(0, comma);
}

MachineWideValues MachineWideToReturn(const LiveMachine& live, const CommitPlan& plan, const std::wstring& hostsCopy) {
  MachineWideValues values;
  if (!IsBlank(plan.tcpip.hostName)) values.machineName = live.computerName;
  if (live.parameters) {
    values.ipEnableRouter = live.parameters->ipEnableRouter;
    values.useDomainNameDevolution = live.parameters->useDomainNameDevolution;
    values.searchList = live.parameters->searchList;
  }
  if (plan.internet.useProxy && live.internet) {
    values.proxy = ProxyOf(*live.internet, live.startPage);
  }
  // The home page is written only when the plan gives one; a blank one is
  // never written, so a page that was blank stays as the plan left it.
  values.proxy.startPage = IsBlank(plan.internet.homePage) ? std::wstring() : live.startPage.value_or(L"");
  if (plan.printer.deviceString) values.defaultPrinter = PrinterNameOf(live.printerDevice);
  if (!IsBlank(plan.hostsFile)) values.hostsFile = hostsCopy;
  return values;
}

std::optional<FirewallPage> FirewallToReturn(const LiveMachine& live, const CommitPlan& plan) {
  if (!plan.firewall || !plan.firewall->page.useSwitch) return std::nullopt;
  // Without the switch's own value there is nothing safe to write back.
  if (!live.firewall.policyFound || !live.firewall.firewallOn) return std::nullopt;
  return MakeFirewallPage(true, *live.firewall.firewallOn, live.firewall.doNotAllowExceptions, live.firewall.entries,
                          live.firewall.rows);
}

ExactInternetValues ExactInternetToReturn(const LiveMachine& live, const CommitPlan& plan) {
  ExactInternetValues exact;
  if (plan.internet.useProxy && live.internet) {
    exact.proxyEnable = live.internet->proxyEnable;
    exact.proxyServer = live.internet->proxyServer;
  }
  if (!IsBlank(plan.internet.homePage)) exact.startPage = live.startPage.value_or(L"");
  return exact;
}

// The IPv6 setting that puts the card back as it is: its autoconfiguration,
// and the addresses, gateways and DNS servers set by hand (none of what the
// network gave, which it gives again).
Ipv6Setting Ipv6SettingToReturn(const LiveIpv6& live) {
  Ipv6Setting setting;
  setting.choice = Ipv6Choice::AsItWas;
  for (const LiveIpv6Address& address : live.addresses) {
    if (address.manual) setting.addresses.push_back(PrefixedText(address));
  }
  if (live.handSetGateways) {
    setting.gateways = *live.handSetGateways;
  } else {
    // Without the route table: those beyond the link were set by hand.
    for (const std::wstring& gateway : Ipv6ScriptHosts(live.gateways)) {
      if (!ParseIpv6Address(gateway)->IsLinkLocal()) setting.gateways.push_back(gateway);
    }
  }
  setting.dnsServers = live.handSetDnsServers;
  setting.autoconfig = live.autoconfig;
  return setting;
}

}  // namespace

LiveState ReadLiveState(const CommitSetting& setting, const std::wstring& systemFolder,
                        const MachineInterfaces& machine) {
  LiveState live;
  const bool anyIpv6 = std::any_of(setting.cards.begin(), setting.cards.end(), ChangesIpv6);
  const LiveIpv6Cards ipv6 = anyIpv6 ? ReadLiveIpv6() : LiveIpv6Cards();
  for (const PlannedCardSource& card : setting.cards) {
    if (card.cardId.empty()) continue;
    live.cards.push_back({card.cardId, CardDisplayName(card), ReadLiveTcpipValues(card.cardId, setting.osMajorVersion),
                          ReadLiveWinsServers(card.cardId).value_or(StringList{})});
    if (ChangesIpv6(card)) {
      auto found = ipv6.find(card.cardId);
      live.cards.back().ipv6 = found != ipv6.end() ? found->second : LiveIpv6{};
    }
  }
  live.machine = ReadLiveMachine(systemFolder, setting.osMajorVersion, machine);
  live.settingIndex = ReadValue(HKEY_LOCAL_MACHINE, kStoreRootKey,
                                [](const TkRegistry& key) { return key.TryReadInteger(L"Setting Index"); });
  return live;
}

ValueSet ValueSetOf(const LiveState& live) {
  ValueSet values;
  for (const LiveCard& card : live.cards) {
    values.cards.push_back(CardValuesOf(card.cardId, card.name, card.tcpip, card.winsServers));
    if (card.ipv6 && card.tcpip) values.cards.back().ipv6 = Ipv6ValuesOf(*card.ipv6);
  }
  values.machine = MachineValuesOf(live.machine);
  return values;
}

std::optional<std::string> ReadHostsSource(const std::wstring& path) {
  if (IsBlank(path)) return std::nullopt;
  return ReadFileIfThere(path);
}

std::vector<DiffSection> CheckAfterCommit(const CommitSetting& setting, const CommitPlan& plan,
                                          const CommitEnvironment& environment,
                                          const ExactInternetValues& exactInternet) {
  const ValueSet actual = ValueSetOf(ReadLiveState(setting, environment.systemFolder, environment.machine));
  // What the plan does not write is taken as it is now: only the plan's
  // own fields can differ.
  ValueSet expected = ExpectedAfterCommit(actual, setting, plan, ReadHostsSource(plan.hostsFile));
  if (exactInternet.proxyEnable) expected.machine.proxyOn = (*exactInternet.proxyEnable & 0xFF) != 0;
  if (exactInternet.proxyServer) expected.machine.proxyServer = *exactInternet.proxyServer;
  if (exactInternet.startPage) expected.machine.homePage = *exactInternet.startPage;
  std::vector<DiffSection> mismatches = CommitMismatches(expected, actual);
  const std::wstring log = MismatchLogText(mismatches);
  if (!log.empty()) AppendBytesToFile(environment.commitLogPath, ToAnsi(log));
  return mismatches;
}

bool ChangesDomainOrComputerName(const LiveMachine& live, const CommitPlan& plan) {
  // Joining again, even the same domain, asks for an account.
  if (plan.domain.changeDomain) return true;
  const std::wstring name = Trim(plan.tcpip.hostName);
  return !name.empty() && !EqualsNoCase(name, live.computerName);
}

ReturnSnapshot SnapshotOf(const LiveState& live, const CommitSetting& setting, const CommitPlan& plan,
                          const std::wstring& hostsCopy) {
  ReturnSnapshot snapshot;
  for (const LiveCard& card : live.cards) {
    snapshot.ticket.cardIds.push_back(card.cardId);
    // IPv6 goes back only where the commit changes it.
    std::optional<Ipv6Setting> ipv6;
    if (card.ipv6) ipv6 = Ipv6SettingToReturn(*card.ipv6);
    if (card.tcpip) snapshot.cards.push_back({card.cardId, CardPart{*card.tcpip, card.winsServers, {}, {}, ipv6}});
  }
  snapshot.machineWide = MachineWideToReturn(live.machine, plan, hostsCopy);
  snapshot.firewall = FirewallToReturn(live.machine, plan);
  snapshot.ticket.exactInternet = ExactInternetToReturn(live.machine, plan);
  snapshot.ticket.settingIndex = live.settingIndex.value_or(plan.settingIndex);
  snapshot.ticket.osMajorVersion = setting.osMajorVersion;
  snapshot.ticket.osMinorVersion = setting.osMinorVersion;
  return snapshot;
}

}  // namespace kip
