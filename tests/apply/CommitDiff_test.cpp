// The difference a commit makes: the machine as the worked examples have it
// against the state the plan of a setting leaves (so the planned values go
// through the same normalisation the script does), and the check that names
// what did not stick.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "apply/CommitDiff.h"

namespace kip {
namespace {

const std::wstring kCard = L"{00000001-0000-0000-0000-4E6574446576}";

// Worked example 1: fixed addresses, one gateway without a metric, two DNS
// servers, no WINS server.
TcpipValues Example1() {
  return {false,           {L"192.168.1.10", L"192.168.1.11"}, {L"255.255.255.0", L"255.255.255.0"},
          {L"192.168.1.1"}, {L""},  StringList{L"192.168.1.2", L"192.168.1.3"}, L"", true, false};
}

// Worked example 2: DHCP (the placeholder address left), two gateways,
// automatic DNS.
TcpipValues Example2() {
  return {true, {L"0.0.0.0"}, {L"0.0.0.0"}, {L"192.168.1.1", L"192.168.1.254"}, {L"1", L"20"}, StringList{}, L"",
          true, false};
}

TcpipValues With(TcpipValues values, const std::function<void(TcpipValues&)>& change) {
  change(values);
  return values;
}

MachineValueSet LiveMachine() {
  MachineValueSet machine;
  machine.computerName = L"PC1";
  machine.workGroup = L"WORKGROUP";
  machine.homePage = L"http://www.example.co.jp/";
  machine.printerDevice = L"P1,winspool,Ne00:";
  machine.hosts = {L"", std::string("127.0.0.1 localhost\r\n")};
  machine.firewall = FirewallValueSet{true, false, {{L"Example App", true}, {L"リモート デスクトップ", false}}};
  return machine;
}

// The machine-wide part of a setting that leaves the machine as it is.
MachineWideValues SameMachineWide() {
  MachineWideValues values;
  values.machineName = L"PC1";
  return values;
}

using Change = std::tuple<std::wstring, std::wstring, std::wstring>;  // caption, before, after

std::vector<Change> ChangedRows(const std::vector<DiffSection>& sections) {
  std::vector<Change> changes;
  for (const DiffSection& section : sections) {
    for (const DiffRow& row : section.rows) {
      if (row.changed) changes.emplace_back(row.caption, row.before, row.after);
    }
  }
  return changes;
}

TEST(CommitDiff, ShowsExactlyTheFieldsTheCommitChanges) {
  struct Case {
    const char* title;
    TcpipValues live, stored;
    std::function<void(MachineWideValues&, CommitSetting&)> machine;
    std::vector<Change> expected;
    WindowsClass windows = WindowsClass::Version6;
    std::optional<std::wstring> script{};  // in place of the plan's own
  };
  const auto same = [](MachineWideValues&, CommitSetting&) {};
  const std::wstring registering = L"set dns name=\"LAN\" source=static addr=192.168.1.2 register=NONE\r\n";
  const std::vector<Case> cases = {
      {"unchanged: a blank metric is the script's 1, the WINS row is DHCP's", Example1(), Example1(), same, {}},
      {"unchanged with DHCP: the placeholder address is no address", Example2(), Example2(), same, {}},
      {"an added address",
       Example1(),
       With(Example1(),
            [](TcpipValues& v) {
              v.ipAddresses.push_back(L"192.168.1.12");
              v.subnetMasks.push_back(L"255.255.0.0");
            }),
       same,
       {{L"IP アドレス", L"192.168.1.10/255.255.255.0, 192.168.1.11/255.255.255.0",
         L"192.168.1.10/255.255.255.0, 192.168.1.11/255.255.255.0, 192.168.1.12/255.255.0.0"}}},
      {"a removed gateway",
       Example2(),
       With(Example2(), [](TcpipValues& v) { v.gateways = {L"192.168.1.1"}, v.gatewayMetrics = {L"1"}; }),
       same,
       {{L"デフォルト ゲートウェイ", L"192.168.1.1 (メトリック 1), 192.168.1.254 (メトリック 20)",
         L"192.168.1.1 (メトリック 1)"}}},
      {"DHCP on: addresses and DNS servers come from DHCP",
       Example1(),
       With(Example1(), [](TcpipValues& v) { v.enableDhcp = true, v.nameServers = StringList{}; }),
       same,
       {{L"IP アドレスの自動取得", L"しない", L"する"},
        {L"IP アドレス", L"192.168.1.10/255.255.255.0, 192.168.1.11/255.255.255.0", L"自動"},
        {L"DNS サーバー", L"192.168.1.2, 192.168.1.3", L"自動"}}},
      {"DHCP off: the typed address, no DNS server",
       Example2(),
       With(Example2(), [](TcpipValues& v) { v.enableDhcp = false, v.ipAddresses = {L"10.0.0.5"}, v.subnetMasks = {L"255.0.0.0"}; }),
       same,
       {{L"IP アドレスの自動取得", L"する", L"しない"},
        {L"IP アドレス", L"自動", L"10.0.0.5/255.0.0.0"},
        {L"DNS サーバー", L"自動", L"なし"}}},
      {"the DNS servers' order changed",
       Example1(),
       With(Example1(), [](TcpipValues& v) { v.nameServers = StringList{L"192.168.1.3", L" 192.168.1.2"}; }),
       same,
       {{L"DNS サーバー", L"192.168.1.2, 192.168.1.3", L"192.168.1.3, 192.168.1.2"}}},
      {"the suffix and the registration, with DNS lines that carry it (version 6 too)",
       Example1(),
       With(Example1(), [](TcpipValues& v) { v.domain = L" corp.example.co.jp", v.registrationEnabled = false; }),
       same,
       {{L"DNS サフィックス", L"なし", L"corp.example.co.jp"}, {L"DNS への登録", L"する", L"しない"}},
       WindowsClass::Version6,
       registering},
      {"DNS lines without registration leave it as it is",
       Example1(),
       With(Example1(), [](TcpipValues& v) { v.registrationEnabled = false; }),
       same,
       {},
       WindowsClass::Version6,
       L"set dns name=\"LAN\" source=static addr=192.168.1.2\r\n"},
      {"no DNS line for the card (fixed, no server): the registration stays as it is",
       Example1(),
       With(Example1(), [](TcpipValues& v) { v.nameServers = StringList{L" "}, v.registrationEnabled = false; }),
       same,
       {{L"DNS サーバー", L"192.168.1.2, 192.168.1.3", L"なし"}},
       WindowsClass::Version6,
       registering},
      {"the XP class registers with the DNS line",
       Example1(),
       With(Example1(), [](TcpipValues& v) { v.registerAdapterName = true; }),
       same,
       {{L"DNS への登録", L"する", L"する (この接続のサフィックスも使う)"}},
       WindowsClass::XPClass},
      {"machine-wide fields; a blank home page and no printer leave theirs",
       Example1(),
       Example1(),
       [](MachineWideValues& m, CommitSetting& setting) {
         m.machineName = L"PC2";
         m.searchList = {L"corp.example.co.jp"};
         m.useDomainNameDevolution = false;
         m.proxy = {true, L"proxy.example.co.jp", L"8080", L"", true, L"*.example.co.jp", false, L""};
         m.domain = {true, L"", false, L"EIGYOU", true};
         setting.firewall = FirewallCommit{{true, true, false, {{L"AA", L"app.exe", false}}, {}},
                                           {{L"Example App", L"AA", L"app.exe", L""}}};
       },
       {{L"コンピュータ名", L"PC1", L"PC2"},
        {L"ドメイン/ワークグループ", L"ワークグループ WORKGROUP", L"ワークグループ EIGYOU"},
        {L"親サフィックスの追加", L"する", L"しない"},
        {L"DNS サフィックスの検索一覧", L"プライマリおよび接続専用", L"corp.example.co.jp"},
        {L"Proxy サーバーを使う", L"しない", L"する"},
        {L"Proxy サーバー", L"なし", L"proxy.example.co.jp:8080"},
        {L"Proxy の例外", L"なし", L"<local> *.example.co.jp"},
        {L"許可する例外", L"Example App", L"なし"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    CommitSetting setting;
    setting.settingName = L"例";
    setting.scriptWindows = c.windows;
    setting.osMajorVersion = c.windows == WindowsClass::XPClass ? 5 : 6;
    setting.cards = {{kCard, L"LAN", L"192.168.1.10", CardPart{c.stored, {}}}};
    setting.machineWide = SameMachineWide();
    c.machine(setting.machineWide, setting);
    CommitPlan plan = PlanCommit(setting);
    if (c.script) plan.script = *c.script;
    ValueSet live{{CardValuesOf(kCard, L"LAN", c.live, {})}, LiveMachine()};
    const std::vector<DiffSection> sections = DiffValueSets(live, ExpectedAfterCommit(live, setting, plan, std::nullopt));
    EXPECT_EQ(ChangedRows(sections), c.expected);
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(sections[0].title, L"LAN");
  }
}

TEST(CommitDiff, TheCheckNamesWhatDidNotStick) {
  const ValueSet expected{{CardValuesOf(kCard, L"ローカル エリア接続", Example1(), {})}, LiveMachine()};
  struct Case {
    const char* title;
    std::function<void(ValueSet&)> change;
    std::wstring status;
  };
  const std::vector<Case> cases = {
      {"everything as planned", [](ValueSet&) {}, L"反映しました"},
      {"the domain waits for the restart", [](ValueSet& v) { v.machine.workGroup = L"OTHER"; }, L"反映しました"},
      {"the DNS servers of one card",
       [](ValueSet& v) { v.cards[0].dnsServers = {L"192.168.1.2"}; },
       L"ローカル エリア接続: DNS サーバーが一致しません"},
      {"a card and the machine-wide part",
       [](ValueSet& v) {
         v.cards[0].winsServers = {L"10.0.0.1"};
         v.cards[0].dnsSuffix = L"x";
         v.machine.homePage = L"about:blank";
       },
       L"ローカル エリア接続: DNS サフィックス, WINS サーバーが一致しません / コンピュータ全体: ホームページが一致しません"},
      {"a card that cannot be read any more", [](ValueSet& v) { v.cards[0].readable = false; },
       L"ローカル エリア接続: 現在の設定を読み取れません"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    ValueSet actual = expected;
    c.change(actual);
    const std::vector<DiffSection> mismatches = CommitMismatches(expected, actual);
    EXPECT_EQ(MismatchStatusText(mismatches), c.status);
    EXPECT_EQ(MismatchLogText(mismatches).empty(), c.status == kCommitVerifiedText);
  }
}

// IPv6 as the script leaves it: the hand-set addresses become the setting's
// (learnt ones stay), a fixed card has its own gateways and DNS servers, an
// automatic one keeps what the network gives; the check after the commit
// names a hand-set address that did not stick.
TEST(CommitDiff, Ipv6IsWhatTheScriptLeaves) {
  const LiveIpv6 learning{{{L"2001:db8::abcd", 64, false}}, {L"fe80::1"}, {L"2001:db8::53"}};
  const LiveIpv6 handSet{
      {{L"2001:db8::10", 64, true}}, {L"2001:db8::1", L"fe80::1"}, {L"2001:db8::53"}, std::nullopt, {L"2001:db8::53"}};
  const LiveIpv6 known{{}, {}, {}, StringList{}, {L"2001:db8::99"}, Ipv6Autoconfig{}};
  const struct {
    const char* title;
    LiveIpv6 live;
    Ipv6Setting setting;
    std::vector<Change> expected;
    WindowsClass windows = WindowsClass::Version6;
  } cases[] = {
      {"fixed over a learning card",
       learning,
       {Ipv6Choice::Fixed, {L"2001:DB8:0::10/64", L"bogus"}, {L"2001:db8::1"}, {}},
       {{L"IPv6 アドレス", L"2001:db8::abcd/64", L"2001:db8::10/64, 2001:db8::abcd/64"},
        {L"IPv6 デフォルト ゲートウェイ", L"fe80::1", L"2001:db8::1"},
        {L"IPv6 DNS サーバー", L"2001:db8::53", L"なし"}}},
      {"automatic over a fixed card: the gateway on the link stays",
       handSet,
       {Ipv6Choice::Automatic, {L"2001:db8::10/64"}, {}, {}},
       {{L"IPv6 アドレス", L"2001:db8::10/64", L"なし"},
        {L"IPv6 デフォルト ゲートウェイ", L"2001:db8::1, fe80::1", L"fe80::1"},
        {L"IPv6 DNS サーバー", L"2001:db8::53 (手動)", L"2001:db8::53"}}},
      // The way back: the kept hand-set values, the kept autoconfiguration
      // where it can be read.
      {"as it was, DNS set by hand and no address",
       known,
       {Ipv6Choice::AsItWas, {}, {}, {L"2001:db8::53"}, Ipv6Autoconfig{Ipv6Autoconfig::RouterDiscovery::Disabled, true, false}},
       {{L"IPv6 DNS サーバー", L"2001:db8::99 (手動)", L"2001:db8::53 (手動)"},
        {L"IPv6 の自動構成", L"ルーター探索 する, アドレスの DHCPv6 使う, その他の DHCPv6 使う",
         L"ルーター探索 しない, アドレスの DHCPv6 使う, その他の DHCPv6 使わない"}}},
      {"fixed as it is", handSet, {Ipv6Choice::Fixed, {L"2001:db8::10/64"}, {L"fe80::1", L"2001:db8::1"}, {L"2001:db8::53"}}, {}},
      {"the XP class gets no IPv6 line", handSet, {Ipv6Choice::Automatic, {}, {}, {}}, {}, WindowsClass::XPClass},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    CommitSetting setting;
    setting.scriptWindows = c.windows;
    setting.osMajorVersion = c.windows == WindowsClass::XPClass ? 5 : 6;
    setting.cards = {{kCard, L"LAN", L"192.168.1.10", CardPart{Example1(), {}, {}, {}, c.setting}, {}, c.live}};
    setting.machineWide = SameMachineWide();
    ValueSet live{{CardValuesOf(kCard, L"LAN", Example1(), {})}, LiveMachine()};
    live.cards[0].ipv6 = Ipv6ValuesOf(c.live);
    const ValueSet expected = ExpectedAfterCommit(live, setting, PlanCommit(setting), std::nullopt);
    EXPECT_EQ(ChangedRows(DiffValueSets(live, expected)), c.expected);
    if (c.expected.empty()) continue;
    // A netsh that dropped the IPv6 lines: the machine is as it was.
    EXPECT_NE(MismatchStatusText(CommitMismatches(expected, live)).find(L"IPv6 "), std::wstring::npos);
  }
}

}  // namespace
}  // namespace kip
