// Recognising a setting's network: which rules match what the PC sees, which
// of several wins, when a network has settled, and when it is offered.
#include "apply/NetworkMatch.h"

#include <gtest/gtest.h>

namespace kip {
namespace {

// A LAN card at the office and a Wi-Fi card at home, both with a link.
PresentNetworks OfficeAndWifi() {
  PresentNetworks present;
  NetworkCard lan;
  lan.cardId = L"{00000002-0000-0000-0000-4E6574446576}";
  lan.name = L"ローカル エリア接続";
  lan.linkUp = true;
  lan.addresses = {{0xC0A80A17u, 24}};  // 192.168.10.23/24
  lan.dnsSuffix = L"Corp.Example.";
  lan.gateways = {{L"192.168.10.1", L"00-1A-2B-3C-4D-5E"}, {L"192.168.10.254", L""}};
  NetworkCard wifi;
  wifi.cardId = L"{00000003-0000-0000-0000-4E6574446576}";
  wifi.name = L"Wi-Fi";
  wifi.linkUp = true;
  wifi.ssid = L"HomeNet";
  NetworkCard down;
  down.cardId = L"{00000004-0000-0000-0000-4E6574446576}";
  down.name = L"ドック";
  present.cards = {lan, wifi, down};
  return present;
}

SwitchRule Gateway(std::wstring address, std::wstring mac = L"") {
  SwitchRule rule;
  rule.gateway = std::move(address);
  rule.gatewayMac = std::move(mac);
  return rule;
}

// `rule` with one more field set.
SwitchRule With(SwitchRule rule, std::wstring SwitchRule::*field, std::wstring value) {
  rule.*field = std::move(value);
  return rule;
}

TEST(NetworkMatch, EveryConditionOfARuleMustHold) {
  const PresentNetworks present = OfficeAndWifi();
  const SwitchRule none;
  const struct {
    const char* what;
    SwitchRule rule;
    bool matches;
  } cases[] = {
      {"no condition matches nothing", none, false},
      {"gateway alone", Gateway(L"192.168.10.1"), true},
      {"a gateway of no card", Gateway(L"192.168.10.2"), false},
      {"MAC with dashes", Gateway(L"192.168.10.1", L"00-1A-2B-3C-4D-5E"), true},
      {"MAC with colons, lower case", Gateway(L"192.168.10.1", L"00:1a:2b:3c:4d:5e"), true},
      {"MAC in dotted groups", Gateway(L"192.168.10.1", L"001a.2b3c.4d5e"), true},
      {"MAC bare", Gateway(L"", L"001A2B3C4D5E"), true},
      {"another MAC", Gateway(L"192.168.10.1", L"00-1A-2B-3C-4D-5F"), false},
      {"MAC of one gateway, address of another", Gateway(L"192.168.10.254", L"00-1A-2B-3C-4D-5E"), false},
      {"MAC wanted, none resolved", Gateway(L"192.168.10.254", L"00-00-00-00-00-00"), false},
      {"MAC that is no MAC", Gateway(L"192.168.10.1", L"00-1A-2B"), false},
      {"suffix in other letter case, no final dot", With(none, &SwitchRule::dnsSuffix, L"corp.example"), true},
      {"suffix is only the tail", With(none, &SwitchRule::dnsSuffix, L"example"), false},
      {"subnet by length", With(none, &SwitchRule::subnet, L"192.168.10.0/24"), true},
      {"subnet by mask", With(none, &SwitchRule::subnet, L"192.168.10.0/255.255.255.0"), true},
      {"subnet with host bits", With(none, &SwitchRule::subnet, L"192.168.10.99/24"), true},
      {"another subnet", With(none, &SwitchRule::subnet, L"192.168.11.0/24"), false},
      {"a mask with holes", With(none, &SwitchRule::subnet, L"192.168.10.0/255.0.255.0"), false},
      {"link by identifier, other case", With(none, &SwitchRule::linkCard, L"{00000003-0000-0000-0000-4e6574446576}"), true},
      {"link by connection name", With(none, &SwitchRule::linkCard, L"Wi-Fi"), true},
      {"a card without link", With(none, &SwitchRule::linkCard, L"ドック"), false},
      {"SSID", With(none, &SwitchRule::ssid, L"HomeNet"), true},
      {"SSID in other letter case", With(none, &SwitchRule::ssid, L"homenet"), false},
      {"all held, on different cards",
       With(Gateway(L"192.168.10.1", L"00:1A:2B:3C:4D:5E"), &SwitchRule::ssid, L"HomeNet"), true},
      {"one of two fails", With(Gateway(L"192.168.10.1"), &SwitchRule::ssid, L"Office"), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(RuleMatches(c.rule, present), c.matches);
  }
}

TEST(NetworkMatch, TheMostSpecificRuleWinsAndTiesAreAllOffered) {
  const PresentNetworks present = OfficeAndWifi();
  const SwitchRule suffix = With(SwitchRule{}, &SwitchRule::dnsSuffix, L"corp.example");
  const struct {
    const char* what;
    std::vector<NamedRule> rules;
    StringList expected;
  } cases[] = {
      {"none matches", {{L"自宅", Gateway(L"192.168.20.1")}}, {}},
      {"more conditions win, whatever the order",
       {{L"会社", Gateway(L"192.168.10.1")}, {L"会社2F", Gateway(L"192.168.10.1", L"00-1A-2B-3C-4D-5E")}},
       {L"会社2F"}},
      {"a tie keeps the stored order",
       {{L"B", suffix}, {L"A", Gateway(L"192.168.10.1")}, {L"C", Gateway(L"192.168.20.1")}},
       {L"B", L"A"}},
      {"a rule that does not match never wins on its count",
       {{L"会社", Gateway(L"192.168.10.1")}, {L"他社", Gateway(L"192.168.30.1", L"00-11-22-33-44-55")}},
       {L"会社"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(MatchSettings(c.rules, present), c.expected);
  }
}

TEST(NetworkMatch, ANetworkCountsOnceItHasReadTheSameForTwoSeconds) {
  // Readings (time in ms, network) and whether each settles the network.
  const struct {
    const char* what;
    std::vector<std::pair<uint64_t, std::wstring>> readings;
    std::vector<bool> settles;
  } cases[] = {
      {"stable from the start", {{0, L"A"}, {1000, L"A"}, {2000, L"A"}, {3000, L"A"}}, {false, false, true, false}},
      {"a flap restarts the clock", {{0, L"A"}, {1500, L"B"}, {2500, L"A"}, {4000, L"A"}, {4500, L"A"}},
       {false, false, false, false, true}},
      {"a second network settles after the first",
       {{0, L"A"}, {2000, L"A"}, {3000, L"B"}, {4999, L"B"}, {5000, L"B"}}, {false, true, false, false, true}},
      {"back to the settled network is no new network", {{0, L"A"}, {2000, L"A"}, {2500, L"B"}, {3000, L"A"}, {6000, L"A"}},
       {false, true, false, false, false}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    NetworkDebounce debounce;
    for (size_t i = 0; i < c.readings.size(); ++i) {
      EXPECT_EQ(debounce.Observe(c.readings[i].first, c.readings[i].second), c.settles[i]) << "reading " << i;
    }
  }
  NetworkDebounce debounce;
  debounce.Observe(500, L"A");
  EXPECT_EQ(debounce.SettlesAt(), std::optional<uint64_t>(2500));
  debounce.Observe(2500, L"A");
  EXPECT_EQ(debounce.SettlesAt(), std::nullopt);
}

TEST(NetworkMatch, TheSameMatchIsNeverOfferedTwiceInARowNorOverAHandCommit) {
  using K = SwitchDecision::Kind;
  const StringList office{L"会社"}, home{L"自宅"}, tie{L"A", L"B"}, none{};
  // Each step: a hand commit on the present match, or a settled network.
  struct Step {
    bool handCommit;
    StringList matched;
    bool atOnce;
    K expected;
  };
  const struct {
    const char* what;
    std::vector<Step> steps;
  } cases[] = {
      {"offered, then not again",
       {{false, office, false, K::Offer}, {false, office, false, K::Nothing}, {false, none, false, K::Nothing},
        {false, office, false, K::Nothing}, {false, home, false, K::Offer}, {false, office, false, K::Offer}}},
      {"committed at once only for a single match",
       {{false, office, true, K::Commit}, {false, tie, true, K::Offer}}},
      {"nothing matched, nothing offered", {{false, none, true, K::Nothing}}},
      {"a hand commit holds while its match stays",
       {{true, office, false, K::Nothing}, {false, office, true, K::Nothing}, {false, home, false, K::Offer},
        {false, office, true, K::Commit}}},
      {"a hand commit on no match lets the next match through",
       {{false, office, false, K::Offer}, {true, none, false, K::Nothing}, {false, office, false, K::Offer}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SwitchPolicy policy;
    for (size_t i = 0; i < c.steps.size(); ++i) {
      const Step& step = c.steps[i];
      if (step.handCommit) {
        policy.CommittedByHand(step.matched);
        continue;
      }
      const SwitchDecision decision = policy.Decide(step.matched, step.atOnce);
      EXPECT_EQ(decision.kind, step.expected) << "step " << i;
      if (decision.kind != K::Nothing) {
        EXPECT_EQ(decision.settings, step.matched) << "step " << i;
      }
    }
  }
  EXPECT_EQ(OfferText({L"会社"}), L"会社 のネットワークです. 反映しますか?");
}

TEST(NetworkMatch, ARuleFromThePresentNetworkTakesTheCardThatReachesAGateway) {
  PresentNetworks present = OfficeAndWifi();
  present.cards[0].linkUp = false;  // a gateway without link loses to one with
  NetworkCard dock = present.cards[2];
  dock.linkUp = true;
  dock.dnsSuffix = L"home.example.";
  dock.gateways = {{L"192.168.20.1", L"00-AA-BB-CC-DD-EE"}};
  present.cards.push_back(dock);
  SwitchRule expected;
  expected.gateway = L"192.168.20.1";
  expected.gatewayMac = L"00-AA-BB-CC-DD-EE";
  expected.dnsSuffix = L"home.example";
  EXPECT_EQ(RuleFromPresent(present), expected);
  EXPECT_TRUE(RuleMatches(RuleFromPresent(present), present)) << "a rule made here recognises here";

  for (NetworkCard& card : present.cards) card.gateways.clear();
  SwitchRule wifi;
  wifi.ssid = L"HomeNet";
  EXPECT_EQ(RuleFromPresent(present), wifi);
}

}  // namespace
}  // namespace kip
