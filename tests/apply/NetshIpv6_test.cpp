// The IPv6 section of the netsh script: a table of the rules, where the
// section sits in the whole script, and random settings checked against a
// small generator of this test's own.
#include <cstdio>
#include <random>

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
      // The way back. Without the route table or the autoconfiguration:
      // gateways beyond the link count as set by hand, and no hand-set
      // address means the card took its addresses from the network.
      {"as it was: DNS set by hand without a hand-set address stays static",
       {Ipv6Choice::AsItWas, {}, {}, {L"2001:db8::53"}},
       live,
       Lines({L"set interface interface=" + kName + L" routerdiscovery=enabled managedaddress=enabled otherstateful=enabled",
              L"delete address interface=" + kName + L" address=2001:db8::5",
              L"delete address interface=" + kName + L" address=2001:db8::10",
              L"delete route prefix=::/0 interface=" + kName + L" nexthop=2001:db8::ff",
              L"set dnsservers name=" + kName + L" source=static address=2001:db8::53"})},
      {"as it was, origins known: only gateways set by hand go, the kept autoconfiguration, DNS from the network",
       {Ipv6Choice::AsItWas, {L"2001:db8::10/64"}, {L"2001:db8::bb"}, {},
        Ipv6Autoconfig{Ipv6Autoconfig::RouterDiscovery::Dhcp, false, true}},
       {live.addresses, {L"fe80::1", L"2001:db8::ff"}, {}, StringList{L"2001:db8::aa"}},
       Lines({L"set interface interface=" + kName + L" routerdiscovery=dhcp managedaddress=disabled otherstateful=enabled",
              L"delete address interface=" + kName + L" address=2001:db8::5",
              L"delete route prefix=::/0 interface=" + kName + L" nexthop=2001:db8::aa",
              L"add address interface=" + kName + L" address=2001:db8::10/64",
              L"add route prefix=::/0 interface=" + kName + L" nexthop=2001:db8::bb",
              L"set dnsservers name=" + kName + L" source=dhcp"})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    EXPECT_EQ(NetshIpv6Block({kName, c.setting, c.live}), c.expected);
  }
  EXPECT_EQ(NetshIpv6Section({{kName, cases[0].setting, live}}), L"") << "a section of unchanged cards is none";
}

// The section follows the IPv4 lines from 6.1 on, where netsh has its
// commands (6.0 lacks "dnsservers" in the ipv6 context), and a card whose
// IPv6 is left alone adds nothing to the script it always had.
TEST(NetshIpv6, PlacedAfterTheIpv4LinesFromWindows61On) {
  CommitSetting setting;
  setting.scriptTextFits = [](std::wstring_view) { return true; };
  PlannedCardSource card;
  card.cardId = L"{00000002-0000-0000-0000-4E6574446576}";
  card.connectionName = L"LAN";
  card.part = CardPart{};
  setting.cards = {card, card};
  setting.cards[1].part->ipv6 = Ipv6Setting{Ipv6Choice::Automatic, {}, {}, {}};
  const struct {
    DWORD major, minor;
    bool section;
  } versions[] = {{5, 1, false}, {6, 0, false}, {6, 1, true}, {10, 0, true}};
  for (const auto& version : versions) {
    SCOPED_TRACE(std::to_string(version.major) + "." + std::to_string(version.minor));
    setting.scriptWindows = ClassifyWindows(version.major, version.minor);
    setting.osMajorVersion = version.major;
    setting.osMinorVersion = version.minor;
    EXPECT_EQ(WritesIpv6Section(setting), version.section);
    CommitSetting ipv4Only = setting;
    ipv4Only.cards[1].part->ipv6.reset();
    const std::wstring script = PlanCommit(setting).script, before = PlanCommit(ipv4Only).script;
    if (!version.section) {
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

// --- random settings against an independent generator ---------------------

struct Groups {
  unsigned g[8];
};

// Canonical text by string work: the full form without leading zeros, then
// the longest ":0:0..." run (two groups at least, the first of equals) cut.
std::wstring CanonicalOf(const Groups& a) {
  std::wstring text = L":";
  for (unsigned g : a.g) {
    wchar_t buffer[8];
    std::swprintf(buffer, 8, L"%x:", g);
    text += buffer;
  }
  std::wstring run = L":0:0:", best;
  while (text.find(run) != std::wstring::npos) {
    best = run;
    run += L"0:";
  }
  if (!best.empty()) text.replace(text.find(best), best.size(), L"::");
  // Without the outer colons (the generated first and last groups are never
  // zero, so no run touches them).
  return text.substr(1, text.size() - 2);
}

std::wstring FullOf(const Groups& a) {
  std::wstring text;
  for (unsigned g : a.g) {
    wchar_t buffer[8];
    std::swprintf(buffer, 8, L"%04X", g);
    text += (text.empty() ? L"" : L":") + std::wstring(buffer);
  }
  return text;
}

struct Entry {
  std::wstring typed, canonical;  // canonical empty: not an address
};

class RandomCards {
 public:
  explicit RandomCards(unsigned seed) : random_(seed) {}

  // A distinct global address with zero runs here and there.
  Groups Address() {
    Groups a{{0x2001, 0xdb8, Pick(2) ? 0u : Pick(0x10000), 0, 0, Pick(3) ? 0u : Pick(0x10000), Pick(0x10000),
              ++serial_}};
    return a;
  }
  Entry Typed(const Groups& a, const std::wstring& suffix = L"") {
    const std::wstring canonical = CanonicalOf(a);
    return {(Pick(2) ? FullOf(a) : canonical) + suffix, canonical + suffix};
  }
  Entry Junk() {
    const wchar_t* junk[] = {L"192.168.0.1", L"2001:db8::1::2", L"x", L"ff02::1", L"2001:db8::1\" all"};
    return {junk[Pick(5)], L""};
  }
  unsigned Pick(unsigned n) { return std::uniform_int_distribution<unsigned>(0, n - 1)(random_); }

 private:
  std::mt19937 random_;
  unsigned serial_ = 0;
};

// What the rules say the block is, from the generated values.
std::wstring ExpectedBlock(Ipv6Choice choice, const std::vector<Entry>& addresses, const std::vector<Entry>& gateways,
                           const std::vector<Entry>& dns, const std::vector<std::wstring>& liveManual,
                           const std::vector<std::wstring>& liveGateways) {
  if (choice == Ipv6Choice::Unchanged) return L"";
  const bool fixed = choice == Ipv6Choice::Fixed;
  std::vector<std::wstring> held, heldGateways, servers;
  for (const Entry& e : addresses) if (fixed && !e.canonical.empty()) held.push_back(e.canonical);
  for (const Entry& e : gateways) if (fixed && !e.canonical.empty()) heldGateways.push_back(e.canonical);
  for (const Entry& e : dns) if (!e.canonical.empty()) servers.push_back(e.canonical);
  const std::wstring state = fixed ? L"disabled" : L"enabled";
  std::wstring text = L"set interface interface=" + kName + L" routerdiscovery=" + state + L" managedaddress=" + state +
                      L" otherstateful=" + state + L"\r\n";
  for (const std::wstring& a : liveManual) {
    if (std::find(held.begin(), held.end(), a + L"/64") == held.end()) {
      text += L"delete address interface=" + kName + L" address=" + a + L"\r\n";
    }
  }
  for (const std::wstring& g : liveGateways) {
    if (std::find(heldGateways.begin(), heldGateways.end(), g) == heldGateways.end()) {
      text += L"delete route prefix=::/0 interface=" + kName + L" nexthop=" + g + L"\r\n";
    }
  }
  for (const std::wstring& a : held) text += L"add address interface=" + kName + L" address=" + a + L"\r\n";
  for (const std::wstring& g : heldGateways) text += L"add route prefix=::/0 interface=" + kName + L" nexthop=" + g + L"\r\n";
  if (!fixed) return text + L"set dnsservers name=" + kName + L" source=dhcp\r\n";
  if (servers.empty()) return text + L"set dnsservers name=" + kName + L" source=static address=none\r\n";
  text += L"set dnsservers name=" + kName + L" source=static address=" + servers[0] + L"\r\n";
  for (size_t i = 1; i < servers.size(); ++i) {
    text += L"add dnsservers name=" + kName + L" address=" + servers[i] + L" index=" + std::to_wstring(i + 1) + L"\r\n";
  }
  return text;
}

TEST(NetshIpv6, RandomSettingsGiveTheScriptOfAnIndependentGenerator) {
  for (unsigned seed = 1; seed <= 400; ++seed) {
    RandomCards random(seed);
    const Ipv6Choice choice = static_cast<Ipv6Choice>(random.Pick(3));
    std::vector<Entry> addresses, gateways, dns;
    // Typed entries, now and then one that is no address of its kind.
    auto fill = [&](std::vector<Entry>& list, unsigned most, const std::wstring& suffix) {
      for (unsigned n = random.Pick(most + 1); n > 0; --n) {
        list.push_back(random.Pick(6) == 0 ? random.Junk() : random.Typed(random.Address(), suffix));
      }
    };
    fill(addresses, 4, L"/64");
    fill(gateways, 2, L"");
    fill(dns, 3, L"");
    // The card now: hand-set addresses, some of them the setting's own, and
    // gateways beyond the link (learnt ones would be link-local).
    LiveIpv6 live;
    std::vector<std::wstring> liveManual, liveGateways;
    for (const Entry& e : addresses) {
      if (!e.canonical.empty() && random.Pick(2)) liveManual.push_back(e.canonical.substr(0, e.canonical.find(L'/')));
    }
    for (unsigned n = random.Pick(3); n > 0; --n) liveManual.push_back(CanonicalOf(random.Address()));
    for (const std::wstring& a : liveManual) live.addresses.push_back({a, 64, true});
    if (random.Pick(2)) liveGateways.push_back(CanonicalOf(random.Address()));
    live.gateways = liveGateways;

    Ipv6Setting setting{choice, {}, {}, {}};
    for (const Entry& e : addresses) setting.addresses.push_back(e.typed);
    for (const Entry& e : gateways) setting.gateways.push_back(e.typed);
    for (const Entry& e : dns) setting.dnsServers.push_back(e.typed);
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    ASSERT_EQ(NetshIpv6Block({kName, setting, live}),
              ExpectedBlock(choice, addresses, gateways, dns, liveManual, liveGateways));
  }
}

}  // namespace
}  // namespace kip
