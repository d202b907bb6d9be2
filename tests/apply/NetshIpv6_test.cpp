// The IPv6 section of the netsh script: a table of the rules, and where the
// section sits in the whole script.
#include <gtest/gtest.h>

#include "apply/CommitPlan.h"
#include "apply/NetshIpv6.h"

namespace kip {
namespace {

std::wstring Lines(std::initializer_list<std::wstring> lines) {
  std::wstring text;
  for (const std::wstring& line : lines) text += line + L"\r\n";
  return text;
}

const std::wstring kName = L"\"LAN\"";

TEST(NetshIpv6, BlockRules) {
  const LiveIpv6 live{{{L"2001:db8::5", 64, true},     // set by hand
                       {L"2001:db8::10", 64, true},    // set by hand, held by the fixed setting
                       {L"2001:db8::abcd", 64, false}}, // learnt: never removed
                      {L"fe80::1", L"2001:db8::ff"},
                      {L"2001:db8::53"}};
  const struct {
    const char* title;
    Ipv6Setting setting;
    LiveIpv6 live;
    std::wstring expected;
  } cases[] = {
      {"unchanged writes nothing, whatever is typed", {Ipv6Choice::Unchanged, {L"2001:db8::1/64"}, {}, {}}, live, L""},
      {"automatic: hand-set addresses and gateways beyond the link go, DNS from the network",
       {Ipv6Choice::Automatic, {L"2001:db8::10/64"}, {L"2001:db8::ff"}, {L"2001:db8::99"}},
       live,
       Lines({L"set interface interface=" + kName + L" routerdiscovery=enabled managedaddress=enabled otherstateful=enabled",
              L"delete address interface=" + kName + L" address=2001:db8::5",
              L"delete address interface=" + kName + L" address=2001:db8::10",
              L"delete route prefix=::/0 interface=" + kName + L" nexthop=2001:db8::ff",
              L"set dnsservers name=" + kName + L" source=dhcp"})},
      {"fixed: what it does not hold goes, its own entries in canonical form, DNS in order",
       {Ipv6Choice::Fixed,
        {L"2001:0DB8::0010/64", L"2001:db8:1::1/48", L"2001:db8:1::1/48", L"10.0.0.1/8", L"fe80::9%3/64"},
        {L"FE80::1%12", L"bogus"},
        {L"2001:db8::53", L"192.168.1.1", L"2001:4860:4860:0:0:0:0:8888", L"ff02::1", L"2001:DB8::54"}},
       live,
       Lines({L"set interface interface=" + kName + L" routerdiscovery=disabled managedaddress=disabled otherstateful=disabled",
              L"delete address interface=" + kName + L" address=2001:db8::5",
              L"delete route prefix=::/0 interface=" + kName + L" nexthop=2001:db8::ff",
              L"add address interface=" + kName + L" address=2001:db8::10/64",
              L"add address interface=" + kName + L" address=2001:db8:1::1/48",
              L"add route prefix=::/0 interface=" + kName + L" nexthop=fe80::1",
              L"set dnsservers name=" + kName + L" source=static address=2001:db8::53",
              L"add dnsservers name=" + kName + L" address=2001:4860:4860::8888 index=2",
              L"add dnsservers name=" + kName + L" address=2001:db8::54 index=3"})},
      {"fixed with a held address at another length replaces it, a held gateway stays; no DNS server sets none",
       {Ipv6Choice::Fixed, {L"2001:db8::5/48"}, {L"2001:DB8::FF"}, {L"not an address"}},
       {{{L"2001:db8::5", 64, true}}, {L"2001:db8::ff"}, {}},
       Lines({L"set interface interface=" + kName + L" routerdiscovery=disabled managedaddress=disabled otherstateful=disabled",
              L"delete address interface=" + kName + L" address=2001:db8::5",
              L"add address interface=" + kName + L" address=2001:db8::5/48",
              L"add route prefix=::/0 interface=" + kName + L" nexthop=2001:db8::ff",
              L"set dnsservers name=" + kName + L" source=static address=none"})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    EXPECT_EQ(NetshIpv6Block({kName, c.setting, c.live}), c.expected);
  }
  EXPECT_EQ(NetshIpv6Section({{kName, cases[0].setting, live}}), L"") << "a section of unchanged cards is none";
}

// The section follows the IPv4 lines on version 6 only, and a card whose
// IPv6 is left alone adds nothing to the script it always had.
TEST(NetshIpv6, PlacedAfterTheIpv4LinesOnVersion6Only) {
  CommitSetting setting;
  setting.scriptTextFits = [](std::wstring_view) { return true; };
  PlannedCardSource card;
  card.cardId = L"{00000002-0000-0000-0000-4E6574446576}";
  card.connectionName = L"LAN";
  card.part = CardPart{};
  setting.cards = {card, card};
  setting.cards[1].part->ipv6 = Ipv6Setting{Ipv6Choice::Automatic, {}, {}, {}};
  for (WindowsClass windows : {WindowsClass::Version6, WindowsClass::XPClass}) {
    setting.scriptWindows = windows;
    CommitSetting ipv4Only = setting;
    ipv4Only.cards[1].part->ipv6.reset();
    const std::wstring script = PlanCommit(setting).script, before = PlanCommit(ipv4Only).script;
    if (windows != WindowsClass::Version6) {
      EXPECT_EQ(script, before);
      continue;
    }
    ASSERT_EQ(script.substr(0, before.size()), before);
    EXPECT_EQ(script.substr(before.size()),
              Lines({L"pushd interface ipv6",
                     L"set interface interface=\"LAN\" routerdiscovery=enabled managedaddress=enabled otherstateful=enabled",
                     L"set dnsservers name=\"LAN\" source=dhcp", L"popd"}));
  }
}

}  // namespace
}  // namespace kip
