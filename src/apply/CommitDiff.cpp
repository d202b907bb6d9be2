#include "apply/CommitDiff.h"

#include <algorithm>

#include "util/Ipv6Address.h"

namespace kip {

namespace {

constexpr wchar_t kNone[] = L"なし";
constexpr wchar_t kAutomatic[] = L"自動";
constexpr wchar_t kUnreadable[] = L"読み取れません";
constexpr wchar_t kLineEnd[] = L"\r\n";

// An entry as the script uses it: trimmed, blank when it could break a line.
std::wstring ScriptEntry(std::wstring_view raw) {
  std::wstring trimmed = Trim(raw);
  return HoldsScriptBreakingCharacter(trimmed) ? std::wstring() : trimmed;
}

// "0.0.0.0" stands for a blank row in the store and on the machine.
bool IsAddress(const std::wstring& text) { return !text.empty() && text != L"0.0.0.0"; }

std::wstring At(const StringList& list, size_t i) { return i < list.size() ? list[i] : std::wstring(); }

StringList NonBlank(const StringList& entries) {
  StringList kept;
  for (const std::wstring& entry : entries) {
    std::wstring value = ScriptEntry(entry);
    if (!value.empty()) kept.push_back(std::move(value));
  }
  return kept;
}

// A server list as the script leaves it: none when its first entry is blank.
StringList ScriptServers(const StringList& servers) {
  if (servers.empty() || ScriptEntry(servers.front()).empty()) return {};
  return NonBlank(servers);
}

bool WritesBlock(const PlannedCardSource& card) {
  return !card.cardId.empty() && card.part.has_value() && !HoldsScriptBreakingCharacter(card.cardId);
}

StringList Sorted(StringList list) {
  std::sort(list.begin(), list.end());
  return list;
}

bool IsLinkLocalText(const std::wstring& address) {
  const auto parsed = ParseIpv6Address(address);
  return parsed && parsed->IsLinkLocal();
}

// What the script leaves: the hand-set addresses are the setting's (none
// when automatic), learnt ones stay; a fixed card has the setting's gateways
// and DNS servers, an automatic one keeps what the network gives (gateways
// on the link: those beyond it were set by hand and go).
// A card put back as it was has its kept hand-set values beside what the
// network gives; its own DNS servers when it had some, else the network's.
Ipv6ValueSet PlannedIpv6(const Ipv6Setting& setting, const std::optional<Ipv6ValueSet>& current) {
  Ipv6ValueSet planned = current.value_or(Ipv6ValueSet{});
  planned.handSet.clear();
  // Compared only where it can be read.
  if (planned.autoconfig) planned.autoconfig = Ipv6AutoconfigOf(setting);
  if (setting.choice == Ipv6Choice::Fixed) {
    planned.handSet = Sorted(Ipv6ScriptAddresses(setting.addresses));
    planned.gateways = Sorted(Ipv6ScriptHosts(setting.gateways));
    planned.dnsServers = Ipv6ScriptHosts(setting.dnsServers);
    planned.dnsHandSet = !planned.dnsServers.empty();
    return planned;
  }
  std::erase_if(planned.gateways, [](const std::wstring& g) { return !IsLinkLocalText(g); });
  planned.dnsHandSet = false;
  if (setting.choice != Ipv6Choice::AsItWas) return planned;
  planned.handSet = Sorted(Ipv6ScriptAddresses(setting.addresses));
  for (const std::wstring& gateway : Ipv6ScriptHosts(setting.gateways)) {
    if (std::find(planned.gateways.begin(), planned.gateways.end(), gateway) == planned.gateways.end()) {
      planned.gateways.push_back(gateway);
    }
  }
  planned.gateways = Sorted(planned.gateways);
  const StringList servers = Ipv6ScriptHosts(setting.dnsServers);
  if (!servers.empty()) {
    planned.dnsServers = servers;
    planned.dnsHandSet = true;
  }
  return planned;
}

// The script's DNS lines carry the registration ("register=").
bool ScriptRegisters(const CommitPlan& plan) { return plan.script.find(L" register=") != std::wstring::npos; }

CardValueSet PlannedCard(const PlannedCardSource& card, CardValueSet current, const CommitSetting& setting,
                         bool scriptRegisters) {
  const NetshCardInput input = CardScriptInput(card);
  const TcpipValues& values = card.part->tcpip;
  CardValueSet planned = std::move(current);
  planned.cardId = card.cardId;
  planned.name = card.partFromLabel.empty() ? CardDisplayName(card)
                                            : BorrowedPartTitle(CardDisplayName(card), card.partFromLabel);
  planned.readable = true;
  planned.dhcp = input.dhcp;
  planned.addresses.clear();
  if (!input.dhcp) {
    for (const NetshAddressEntry& row : input.addresses) {
      const std::wstring address = ScriptEntry(row.address);
      if (IsAddress(address) && NetshAddressRowUsable(row)) planned.addresses.push_back({address, ScriptEntry(row.mask)});
    }
  }
  planned.gateways.clear();
  for (const NetshGatewayEntry& row : input.gateways) {
    const std::wstring gateway = ScriptEntry(row.gateway);
    if (IsAddress(gateway)) planned.gateways.push_back({gateway, NetshMetricText(ScriptEntry(row.metric))});
  }
  planned.dnsServers = input.dnsAutomatic ? StringList() : ScriptServers(input.dnsServers);
  planned.dnsSuffix = Trim(values.domain);
  // Windows 2000 gets the registration written beside the suffix; later
  // versions with the card's DNS line, where the script's DNS lines carry it.
  const bool dnsLine = input.dnsAutomatic || !planned.dnsServers.empty();
  const bool windows2000 = setting.osMajorVersion == 5 && setting.osMinorVersion == 0;
  if (windows2000 || (dnsLine && scriptRegisters)) {
    planned.registerAddresses = values.registrationEnabled;
    planned.registerSuffix = values.registerAdapterName;
  }
  // A blank first entry means WINS from DHCP or none: no server either way.
  planned.winsServers = IsBlank(At(input.winsServers, 0)) || HoldsScriptBreakingCharacter(Trim(At(input.winsServers, 0)))
                            ? StringList()
                            : NonBlank(input.winsServers);
  if (ChangesIpv6(card) && WritesIpv6Section(setting)) {
    planned.ipv6 = PlannedIpv6(Ipv6SettingOf(card), planned.ipv6);
  }
  return planned;
}

// Paired by name: the machine lists the exceptions in an order of its own.
void SetFirewallRow(std::vector<FirewallRowValue>& rows, std::vector<bool>& assigned, const std::wstring& name,
                    bool enabled) {
  for (size_t i = 0; i < rows.size(); ++i) {
    if (!assigned[i] && rows[i].name == name) {
      rows[i].enabled = enabled;
      assigned[i] = true;
      return;
    }
  }
}

void PlanFirewall(FirewallValueSet& firewall, const FirewallCommit& commit) {
  const FirewallPage& page = commit.page;
  firewall.on = page.firewallOn;
  firewall.noExceptions = page.doNotAllowExceptions;
  std::vector<bool> assigned(firewall.rows.size(), false);
  const size_t entries = std::min(commit.entries.size(), page.entryChecks.size());
  for (size_t i = 0; i < entries; ++i) {
    SetFirewallRow(firewall.rows, assigned, commit.entries[i].friendlyName, page.entryChecks[i].checked);
  }
  if (page.fixedChecks.size() != FixedFirewallRows().size()) return;
  for (const StoredCheck& check : page.fixedChecks) SetFirewallRow(firewall.rows, assigned, check.name, check.checked);
}

void PlanMachineWide(MachineValueSet& machine, const CommitPlan& plan, const std::optional<std::string>& hostsSource) {
  if (!IsBlank(plan.tcpip.hostName)) machine.computerName = plan.tcpip.hostName;
  machine.ipRouter = plan.tcpip.ipRouter;
  machine.domainNameDevolution = plan.tcpip.domainNameDevolution;
  machine.searchList = SplitCommaText(SearchListValue(plan.tcpip));
  if (plan.internet.useProxy) {
    machine.proxyOn = ProxyEnableValue(plan.internet) != 0;
    machine.proxyServer = ProxyServerValue(plan.internet);
    machine.proxyOverride = ProxyOverrideValue(plan.internet);
    machine.autoConfigUrl = Trim(plan.internet.autoConfigUrl);
  }
  if (!IsBlank(plan.internet.homePage)) machine.homePage = plan.internet.homePage;
  if (plan.printer.deviceString) machine.printerDevice = *plan.printer.deviceString;
  if (!IsBlank(plan.hostsFile)) machine.hosts = {plan.hostsFile, hostsSource};
  if (plan.domain.changeDomain) {
    machine.domain = plan.domain.domainSelected ? plan.domain.domain : std::wstring();
    machine.workGroup = plan.domain.domainSelected ? std::wstring() : plan.domain.workgroup;
  }
  if (plan.firewall && plan.firewall->page.useSwitch && machine.firewall) PlanFirewall(*machine.firewall, *plan.firewall);
}

// --- how each field reads ---------------------------------------------------

std::wstring Joined(const StringList& items, const wchar_t* empty = kNone) {
  if (items.empty()) return empty;
  std::wstring text;
  for (const std::wstring& item : items) text += (text.empty() ? L"" : L", ") + item;
  return text;
}

std::wstring TextOr(const std::wstring& text, const wchar_t* empty = kNone) { return text.empty() ? empty : text; }
std::wstring Doing(bool on) { return on ? L"する" : L"しない"; }

std::wstring AddressesText(const CardValueSet& card) {
  if (card.dhcp) return kAutomatic;
  StringList items;
  for (const AddressValue& a : card.addresses) items.push_back(a.address + L"/" + a.mask);
  return Joined(items);
}

std::wstring GatewaysText(const CardValueSet& card) {
  StringList items;
  for (const GatewayValue& g : card.gateways) items.push_back(g.gateway + L" (メトリック " + g.metric + L")");
  return Joined(items);
}

std::wstring DnsText(const CardValueSet& card) {
  if (card.dnsServers.empty() && card.dhcp) return kAutomatic;
  return Joined(card.dnsServers);
}

std::wstring RegistrationText(const CardValueSet& card) {
  if (!card.registerAddresses) return Doing(false);
  return card.registerSuffix ? L"する (この接続のサフィックスも使う)" : Doing(true);
}

std::wstring MembershipText(const MachineValueSet& machine) {
  if (!machine.domain.empty()) return L"ドメイン " + machine.domain;
  if (!machine.workGroup.empty()) return L"ワークグループ " + machine.workGroup;
  return kNone;
}

std::wstring HostsText(const HostsValue& hosts) {
  const std::wstring where = hosts.source.empty() ? std::wstring(L"現在のファイル") : hosts.source;
  if (!hosts.content) return where + L" (" + kUnreadable + L")";
  return where + L" (" + std::to_wstring(hosts.content->size()) + L" バイト)";
}

std::wstring AllowedText(const FirewallValueSet& firewall) {
  StringList allowed;
  for (const FirewallRowValue& row : firewall.rows) {
    if (row.enabled) allowed.push_back(row.name);
  }
  return Joined(allowed);
}

// Every address once, in order.
StringList AllAddresses(const Ipv6ValueSet& ipv6) {
  StringList all = ipv6.handSet;
  all.insert(all.end(), ipv6.learnt.begin(), ipv6.learnt.end());
  std::sort(all.begin(), all.end());
  all.erase(std::unique(all.begin(), all.end()), all.end());
  return all;
}

struct FieldText {
  DiffField field;
  const wchar_t* caption;
  std::wstring text;
};

std::vector<FieldText> CardFields(const CardValueSet& card) {
  return {{DiffField::Dhcp, L"IP アドレスの自動取得", Doing(card.dhcp)},
          {DiffField::Addresses, L"IP アドレス", AddressesText(card)},
          {DiffField::Gateways, L"デフォルト ゲートウェイ", GatewaysText(card)},
          {DiffField::DnsServers, L"DNS サーバー", DnsText(card)},
          {DiffField::DnsSuffix, L"DNS サフィックス", TextOr(card.dnsSuffix)},
          {DiffField::DnsRegistration, L"DNS への登録", RegistrationText(card)},
          {DiffField::WinsServers, L"WINS サーバー", Joined(card.winsServers)}};
}

std::wstring Ipv6DnsText(const Ipv6ValueSet& ipv6) {
  const std::wstring servers = Joined(ipv6.dnsServers);
  return ipv6.dnsHandSet ? servers + L" (手動)" : servers;
}

std::wstring AutoconfigText(const std::optional<Ipv6Autoconfig>& autoconfig) {
  if (!autoconfig) return L"不明";
  static constexpr const wchar_t* kDiscovery[] = {L"しない", L"する", L"DHCP"};
  const auto use = [](bool on) { return on ? L"使う" : L"使わない"; };
  return std::wstring(L"ルーター探索 ") + kDiscovery[static_cast<int>(autoconfig->routerDiscovery)] +
         L", アドレスの DHCPv6 " + use(autoconfig->managedAddress) + L", その他の DHCPv6 " +
         use(autoconfig->otherStateful);
}

std::vector<FieldText> Ipv6Fields(const Ipv6ValueSet& ipv6) {
  return {{DiffField::Ipv6Addresses, L"IPv6 アドレス", Joined(AllAddresses(ipv6))},
          {DiffField::Ipv6Gateways, L"IPv6 デフォルト ゲートウェイ", Joined(ipv6.gateways)},
          {DiffField::Ipv6DnsServers, L"IPv6 DNS サーバー", Ipv6DnsText(ipv6)},
          {DiffField::Ipv6Autoconfig, L"IPv6 の自動構成", AutoconfigText(ipv6.autoconfig)}};
}

std::vector<FieldText> MachineFields(const MachineValueSet& m) {
  std::vector<FieldText> fields = {
      {DiffField::ComputerName, L"コンピュータ名", TextOr(m.computerName)},
      {DiffField::Membership, L"ドメイン/ワークグループ", MembershipText(m)},
      {DiffField::IpRouter, L"IP 転送", Doing(m.ipRouter)},
      {DiffField::Devolution, L"親サフィックスの追加", Doing(m.domainNameDevolution)},
      {DiffField::SearchList, L"DNS サフィックスの検索一覧", Joined(m.searchList, L"プライマリおよび接続専用")},
      {DiffField::ProxyOn, L"Proxy サーバーを使う", Doing(m.proxyOn)},
      {DiffField::ProxyServer, L"Proxy サーバー", TextOr(m.proxyServer)},
      {DiffField::ProxyOverride, L"Proxy の例外", TextOr(m.proxyOverride)},
      {DiffField::AutoConfigUrl, L"自動構成スクリプト", TextOr(m.autoConfigUrl)},
      {DiffField::HomePage, L"ホームページ", TextOr(m.homePage)},
      {DiffField::Printer, L"通常使うプリンタ", TextOr(m.printerDevice)},
      {DiffField::Hosts, L"HOSTS ファイル", HostsText(m.hosts)}};
  if (m.firewall) {
    fields.push_back({DiffField::Firewall, L"ファイアウォール", m.firewall->on ? L"有効" : L"無効"});
    fields.push_back({DiffField::FirewallNoExceptions, L"例外を許可しない", Doing(m.firewall->noExceptions)});
    fields.push_back({DiffField::FirewallAllowed, L"許可する例外", AllowedText(*m.firewall)});
  }
  return fields;
}

const CardValueSet* FindCard(const ValueSet& set, const std::wstring& cardId) {
  for (const CardValueSet& card : set.cards) {
    if (card.cardId == cardId) return &card;
  }
  return nullptr;
}

DiffSection CardSection(const CardValueSet* before, const CardValueSet& after) {
  DiffSection section{after.cardId, after.name, before && before->readable, after.readable, {}};
  std::vector<FieldText> afterFields = CardFields(after);
  std::vector<FieldText> beforeFields = before ? CardFields(*before) : afterFields;
  // IPv6 rows only where the setting changes IPv6 (both sides then hold it).
  if (after.ipv6) {
    for (FieldText& field : Ipv6Fields(*after.ipv6)) afterFields.push_back(std::move(field));
    const Ipv6ValueSet beforeIpv6 = before && before->ipv6 ? *before->ipv6 : *after.ipv6;
    for (FieldText& field : Ipv6Fields(beforeIpv6)) beforeFields.push_back(std::move(field));
  }
  for (size_t i = 0; i < afterFields.size(); ++i) {
    const bool beforeKnown = section.readableBefore && i < beforeFields.size();
    DiffRow row{afterFields[i].field, afterFields[i].caption,
                beforeKnown ? beforeFields[i].text : kUnreadable,
                section.readableAfter ? afterFields[i].text : kUnreadable, false};
    row.changed = row.before != row.after;
    section.rows.push_back(std::move(row));
  }
  return section;
}

DiffSection MachineSection(const MachineValueSet& before, const MachineValueSet& after) {
  DiffSection section{L"", kMachineSectionTitle, true, true, {}};
  std::vector<FieldText> beforeFields = MachineFields(before);
  for (FieldText& field : MachineFields(after)) {
    auto match = std::find_if(beforeFields.begin(), beforeFields.end(),
                              [&](const FieldText& f) { return f.field == field.field; });
    DiffRow row{field.field, field.caption, match != beforeFields.end() ? match->text : kNone, field.text, false};
    // The HOSTS file changes only when the copy brings other bytes.
    row.changed = field.field == DiffField::Hosts ? before.hosts.content != after.hosts.content : row.before != row.after;
    section.rows.push_back(std::move(row));
  }
  return section;
}

}  // namespace

Ipv6ValueSet Ipv6ValuesOf(const LiveIpv6& live) {
  StringList handSet, learnt;
  for (const LiveIpv6Address& address : live.addresses) {
    (address.manual ? handSet : learnt).push_back(PrefixedText(address));
  }
  // Servers set by hand are the ones in use; the adapter list may not show
  // them where the system keeps them apart (Wine lists none for IPv6).
  const StringList handSetDns = Ipv6ScriptHosts(live.handSetDnsServers);
  StringList gateways = live.gateways;
  if (live.handSetGateways) gateways.insert(gateways.end(), live.handSetGateways->begin(), live.handSetGateways->end());
  return {Sorted(Ipv6ScriptAddresses(handSet)),
          Sorted(Ipv6ScriptAddresses(learnt)),
          Sorted(Ipv6ScriptHosts(gateways)),
          handSetDns.empty() ? Ipv6ScriptHosts(live.dnsServers) : handSetDns,
          !handSetDns.empty(),
          live.autoconfig};
}

std::wstring CardDisplayName(const PlannedCardSource& card) {
  return card.connectionName.empty() ? card.cardId : card.connectionName;
}

CardValueSet CardValuesOf(const std::wstring& cardId, const std::wstring& name,
                          const std::optional<TcpipValues>& tcpip, const StringList& winsServers) {
  CardValueSet card;
  card.cardId = cardId;
  card.name = name;
  if (!tcpip) return card;
  card.readable = true;
  card.dhcp = tcpip->enableDhcp;
  if (!card.dhcp) {
    for (size_t i = 0; i < tcpip->ipAddresses.size(); ++i) {
      const std::wstring address = Trim(tcpip->ipAddresses[i]);
      if (IsAddress(address)) card.addresses.push_back({address, Trim(At(tcpip->subnetMasks, i))});
    }
  }
  for (size_t i = 0; i < tcpip->gateways.size(); ++i) {
    const std::wstring gateway = Trim(tcpip->gateways[i]);
    if (IsAddress(gateway)) card.gateways.push_back({gateway, NetshMetricText(Trim(At(tcpip->gatewayMetrics, i)))});
  }
  card.dnsServers = NonBlank(tcpip->nameServers.value_or(StringList{}));
  card.dnsSuffix = Trim(tcpip->domain);
  card.registerAddresses = tcpip->registrationEnabled;
  card.registerSuffix = tcpip->registerAdapterName;
  card.winsServers = NonBlank(winsServers);
  return card;
}

ValueSet ExpectedAfterCommit(const ValueSet& current, const CommitSetting& setting, const CommitPlan& plan,
                             const std::optional<std::string>& hostsSource) {
  ValueSet expected = current;
  for (const PlannedCardSource& card : setting.cards) {
    if (!WritesBlock(card)) continue;
    auto target = std::find_if(expected.cards.begin(), expected.cards.end(),
                               [&](const CardValueSet& c) { return c.cardId == card.cardId; });
    if (target == expected.cards.end()) {
      expected.cards.push_back(PlannedCard(card, {}, setting, ScriptRegisters(plan)));
    } else {
      *target = PlannedCard(card, *target, setting, ScriptRegisters(plan));
    }
  }
  PlanMachineWide(expected.machine, plan, hostsSource);
  return expected;
}

std::vector<DiffSection> DiffValueSets(const ValueSet& before, const ValueSet& after) {
  std::vector<DiffSection> sections;
  for (const CardValueSet& card : after.cards) sections.push_back(CardSection(FindCard(before, card.cardId), card));
  sections.push_back(MachineSection(before.machine, after.machine));
  return sections;
}

std::vector<DiffSection> CommitMismatches(const ValueSet& expected, const ValueSet& actual) {
  std::vector<DiffSection> mismatches;
  for (DiffSection& section : DiffValueSets(expected, actual)) {
    // A card whose values cannot be read after the commit counts once.
    if (section.readableBefore && !section.readableAfter) {
      section.rows.clear();
      mismatches.push_back(std::move(section));
      continue;
    }
    if (!section.readableBefore) continue;  // nothing was expected of it
    std::erase_if(section.rows, [](const DiffRow& row) { return !row.changed || row.field == DiffField::Membership; });
    if (!section.rows.empty()) mismatches.push_back(std::move(section));
  }
  return mismatches;
}

std::wstring MismatchStatusText(const std::vector<DiffSection>& mismatches) {
  if (mismatches.empty()) return kCommitVerifiedText;
  std::wstring text;
  for (const DiffSection& section : mismatches) {
    if (!text.empty()) text += L" / ";
    text += section.title + L": ";
    if (!section.readableAfter) {
      text += L"現在の設定を読み取れません";
      continue;
    }
    StringList captions;
    for (const DiffRow& row : section.rows) captions.push_back(row.caption);
    text += Joined(captions) + L"が一致しません";
  }
  return text;
}

std::wstring MismatchLogText(const std::vector<DiffSection>& mismatches) {
  std::wstring text;
  for (const DiffSection& section : mismatches) {
    if (!section.readableAfter) text += L"一致しません: " + section.title + L": 現在の設定を読み取れません" + kLineEnd;
    for (const DiffRow& row : section.rows) {
      text += L"一致しません: " + section.title + L": " + row.caption + L" (設定: " + row.before + L" / 現在: " +
              row.after + L")" + kLineEnd;
    }
  }
  return text;
}

CommitReview ReviewOf(const ValueSet& current, const ValueSet& expected, const CommitPlan& plan) {
  CommitReview review{plan.settingName, DiffValueSets(current, expected), plan.script, {}};
  for (const PlannedChild& child : ChildrenInOrder(plan)) review.commandLines.push_back(child.commandLine);
  return review;
}

std::wstring ScriptAndCommandsText(const CommitReview& review) {
  std::wstring text = std::wstring(L"[netsh スクリプト]") + kLineEnd + review.script + kLineEnd;
  text += std::wstring(L"[コマンド]") + kLineEnd;
  for (const std::wstring& line : review.commandLines) text += line + kLineEnd;
  return text;
}

std::wstring ReviewText(const CommitReview& review) {
  std::wstring text = L"反映内容の確認: " + review.settingName + kLineEnd + kLineEnd;
  for (const DiffSection& section : review.sections) {
    text += L"[" + section.title + L"]" + kLineEnd;
    for (const DiffRow& row : section.rows) {
      text += row.changed ? L"* " + row.caption + L": " + row.before + L" → " + row.after
                          : L"  " + row.caption + L": " + row.after;
      text += kLineEnd;
    }
    text += kLineEnd;
  }
  return text + ScriptAndCommandsText(review);
}

}  // namespace kip
