#include "apply/CommitPlan.h"

#include <algorithm>

#include "apply/WifiCommit.h"

namespace kip {

namespace {

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

// Entry i of a list, or blank past its end: two parallel lists make as many
// rows as the longer one, and never fewer than one.
std::wstring At(const StringList& list, size_t i) { return i < list.size() ? list[i] : std::wstring(); }

size_t RowCount(const StringList& a, const StringList& b = {}) { return std::max({size_t{1}, a.size(), b.size()}); }

std::vector<NetshAddressEntry> AddressRows(const TcpipValues& values) {
  std::vector<NetshAddressEntry> rows;
  // With DHCP on the typed addresses are not shown: one blank row.
  const StringList none;
  const StringList& addresses = values.enableDhcp ? none : values.ipAddresses;
  const StringList& masks = values.enableDhcp ? none : values.subnetMasks;
  for (size_t i = 0; i < RowCount(addresses, masks); ++i) rows.push_back({At(addresses, i), At(masks, i)});
  return rows;
}

std::vector<NetshGatewayEntry> GatewayRows(const TcpipValues& values) {
  std::vector<NetshGatewayEntry> rows;
  for (size_t i = 0; i < RowCount(values.gateways, values.gatewayMetrics); ++i) {
    rows.push_back({At(values.gateways, i), At(values.gatewayMetrics, i)});
  }
  return rows;
}

StringList Rows(const StringList& entries) { return entries.empty() ? StringList{L""} : entries; }

// A name that would end the quoted argument early is not passed on.
std::wstring SafeConnectionName(const std::wstring& name) {
  return HoldsScriptBreakingCharacter(name) ? std::wstring() : name;
}

bool HasBlock(const PlannedCardSource& card) { return !card.cardId.empty() && card.part.has_value(); }

InternetValues InternetOf(const ProxyValues& proxy) {
  return {proxy.enable,      Trim(proxy.server),        Trim(proxy.port),          proxy.detailed,
          proxy.bypassLocal, Trim(proxy.bypassList),    Trim(proxy.autoConfigUrl), Trim(proxy.startPage)};
}

TcpipParameterValues TcpipParametersOf(const MachineWideValues& values) {
  // The list as the editor shows it and reads it back.
  const StringList lines = SplitLines(JoinLines(values.searchList));
  // An empty list stands for the primary and connection suffixes.
  return {values.machineName, values.ipEnableRouter, values.useDomainNameDevolution, lines.empty(), lines};
}

DomainChoice DomainChoiceOf(const DomainValues& domain) {
  // The workgroup choice wins when a hand-edited store holds both.
  return {domain.change, domain.joinDomain && !domain.joinWorkGroup, domain.domain, domain.workGroup};
}

// IPv6 lines follow the IPv4 ones in a section of their own, where netsh
// knows the interface settings and DNS lines they use.
std::wstring ScriptOf(const CommitSetting& setting) {
  std::wstring script = NetshScriptHeader(setting.scriptWindows);
  std::vector<NetshIpv6Card> ipv6;
  for (const PlannedCardSource& card : setting.cards) {
    if (!HasBlock(card)) continue;
    const NetshCardInput input = CardScriptInput(card);
    const std::wstring block = NetshCardBlock(setting.scriptWindows, input, setting.scriptTextFits);
    if (!block.empty()) {
      script += NetshWlanConnectLine(setting.scriptWindows, card.wifiProfile, NetshQuotedName(input, setting.scriptTextFits),
                                     setting.scriptTextFits);
    }
    script += block;
    if (!block.empty() && ChangesIpv6(card)) {
      ipv6.push_back({NetshQuotedName(input, setting.scriptTextFits), Ipv6SettingOf(card), card.liveIpv6});
    }
  }
  script += NetshScriptFooter();
  if (WritesIpv6Section(setting)) script += NetshIpv6Section(ipv6);
  return script;
}

// Every card is disabled before the first is enabled again. A card is
// named by its connection name: one without a usable name is left running,
// since netsh takes no empty name.
std::vector<PlannedChild> RestartChildren(const CommitSetting& setting) {
  std::vector<PlannedChild> children;
  if (setting.commitMajorVersion < 6) return children;
  for (const wchar_t* state : {L" admin=DISABLED", L" admin=ENABLED"}) {
    for (const PlannedCardSource& card : setting.cards) {
      const std::wstring name = SafeConnectionName(card.connectionName);
      if (card.cardId.empty() || name.empty()) continue;
      children.push_back({ChildRun::Captured, L"netsh interface set interface name=" + Quoted(name) + state});
    }
  }
  return children;
}

// The path is quoted: under "C:\Program Files\..." an unquoted one would
// start "C:\Program.exe" when that exists. The command interpreter expands
// "%...%" in its command line, so a batch whose path holds "%" runs as a
// copy under a fixed name in the same folder (where "%~dp0" still points).
std::optional<PlannedChild> Batch(ChildRun run, const std::wstring& path, const wchar_t* copyName) {
  if (path.empty()) return std::nullopt;
  if (path.find(L'%') == std::wstring::npos) return PlannedChild{run, Quoted(path)};
  const std::wstring copy = path.substr(0, path.find_last_of(L'\\') + 1) + copyName;
  return PlannedChild{run, Quoted(copy), path};
}

// By service name, which every Windows accepts (the display names are
// translated and changed between versions). No command interpreter runs
// these lines, so nothing in them may count on one: a "> nul" would reach
// net as two more arguments; the output is discarded all the same.
std::vector<PlannedChild> ServiceStarts() {
  return {{ChildRun::Captured, L"net start RemoteRegistry"}, {ChildRun::Captured, L"net start Dhcp"}};
}

}  // namespace

bool WritesIpv6Section(const CommitSetting& setting) {
  return setting.scriptWindows == WindowsClass::Version6 &&
         NetshHasIpv6Section(setting.osMajorVersion, setting.osMinorVersion);
}

NetshCardInput CardScriptInput(const PlannedCardSource& card) {
  NetshCardInput input;
  input.cardId = card.cardId;
  input.connectionName = card.connectionName;
  input.currentAddress = card.currentAddress;
  if (!card.part) return input;
  const TcpipValues& values = card.part->tcpip;
  input.dhcp = values.enableDhcp;
  input.addresses = AddressRows(values);
  input.gateways = GatewayRows(values);
  const bool noServers = !values.nameServers || values.nameServers->empty();
  // No servers means automatic DNS, which needs DHCP; unreadable servers do not.
  input.dnsAutomatic = values.nameServers && values.nameServers->empty() && values.enableDhcp;
  input.dnsServers = noServers ? StringList{L""} : *values.nameServers;
  input.registerAddresses = values.registrationEnabled;
  input.registerSuffix = values.registerAdapterName;
  input.winsServers = Rows(card.part->winsServers);
  return input;
}

Ipv6Setting Ipv6SettingOf(const PlannedCardSource& card) {
  return card.part && card.part->ipv6 ? *card.part->ipv6 : Ipv6Setting{};
}

bool ChangesIpv6(const PlannedCardSource& card) { return Ipv6SettingOf(card).choice != Ipv6Choice::Unchanged; }

std::vector<PlannedChild> ChildrenInOrder(const CommitPlan& plan) {
  std::vector<PlannedChild> children;
  if (plan.beforeBatch) children.push_back(*plan.beforeBatch);
  children.insert(children.end(), plan.serviceStarts.begin(), plan.serviceStarts.end());
  children.push_back(plan.netshExec);
  children.insert(children.end(), plan.cacheFlushes.begin(), plan.cacheFlushes.end());
  children.insert(children.end(), plan.restartChildren.begin(), plan.restartChildren.end());
  children.push_back(plan.flushDns);
  if (plan.afterBatch) children.push_back(*plan.afterBatch);
  return children;
}

CommitPlan PlanCommit(const CommitSetting& setting) {
  CommitPlan plan;
  plan.settingIndex = setting.settingIndex;
  plan.settingName = setting.settingName;
  plan.osMajorVersion = setting.osMajorVersion;
  plan.osMinorVersion = setting.osMinorVersion;
  plan.printer.deviceString = setting.printerDevice;
  plan.internet = InternetOf(setting.machineWide.proxy);
  plan.tcpip = TcpipParametersOf(setting.machineWide);
  plan.hostsFile = setting.machineWide.hostsFile;
  plan.firewall = setting.firewall;
  for (const PlannedCardSource& card : setting.cards) {
    if (!HasBlock(card)) continue;
    const TcpipValues& values = card.part->tcpip;
    plan.liveDomainWrites.push_back(
        {card.cardId, Trim(values.domain), values.registrationEnabled, values.registerAdapterName});
  }
  plan.domain = DomainChoiceOf(setting.machineWide.domain);
  plan.scriptPath = setting.scriptPath;
  plan.script = ScriptOf(setting);
  plan.beforeBatch = Batch(ChildRun::WaitShown, setting.beforeBatchPath, kBeforeBatchCopyName);
  plan.serviceStarts = ServiceStarts();
  plan.netshExec = {ChildRun::CapturedToLog, L"netsh exec " + Quoted(setting.scriptPath)};
  plan.cacheFlushes = {{ChildRun::Captured, L"arp -d *"}, {ChildRun::Captured, L"nbtstat -R"},
                       {ChildRun::Captured, L"nbtstat -RR"}};
  plan.restartChildren = RestartChildren(setting);
  plan.flushDns = {ChildRun::Captured, L"ipconfig /flushdns"};
  plan.afterBatch = Batch(ChildRun::Start, setting.afterBatchPath, kAfterBatchCopyName);
  return plan;
}

}  // namespace kip
