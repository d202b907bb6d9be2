#include "apply/NetworkMatch.h"

#include <algorithm>

namespace kip {

namespace {

std::wstring WithoutFinalDot(std::wstring text) {
  while (!text.empty() && text.back() == L'.') text.pop_back();
  return text;
}

bool GatewayMatches(const SwitchRule& rule, const GatewayNeighbour& gateway) {
  uint32_t wanted = 0, seen = 0;
  if (!rule.gateway.empty() &&
      !(ParseIpv4(rule.gateway, wanted) && ParseIpv4(gateway.address, seen) && wanted == seen)) {
    return false;
  }
  if (!rule.gatewayMac.empty()) {
    const std::wstring wantedMac = NormalizedMac(rule.gatewayMac);
    if (wantedMac.empty() || wantedMac != NormalizedMac(gateway.macAddress)) return false;
  }
  return true;
}

bool AnyGatewayMatches(const SwitchRule& rule, const PresentNetworks& present) {
  if (rule.gateway.empty() && rule.gatewayMac.empty()) return true;
  for (const NetworkCard& card : present.cards) {
    for (const GatewayNeighbour& gateway : card.gateways) {
      if (GatewayMatches(rule, gateway)) return true;
    }
  }
  return false;
}

bool InSubnet(const SwitchRule& rule, const PresentNetworks& present) {
  if (rule.subnet.empty()) return true;
  uint32_t network = 0;
  int length = 0;
  if (!ParseSubnet(rule.subnet, network, length)) return false;
  const uint32_t mask = length == 0 ? 0 : 0xFFFFFFFFu << (32 - length);
  for (const NetworkCard& card : present.cards) {
    for (const Ipv4Prefix& address : card.addresses) {
      if ((address.address & mask) == network) return true;
    }
  }
  return false;
}

template <class Test>
bool AnyCard(const PresentNetworks& present, Test test) {
  return std::any_of(present.cards.begin(), present.cards.end(), test);
}

}  // namespace

bool RuleMatches(const SwitchRule& rule, const PresentNetworks& present) {
  if (rule.ConditionCount() == 0) return false;
  if (!AnyGatewayMatches(rule, present) || !InSubnet(rule, present)) return false;
  if (!rule.dnsSuffix.empty()) {
    const std::wstring wanted = WithoutFinalDot(rule.dnsSuffix);
    if (!AnyCard(present, [&](const NetworkCard& card) {
          return !card.dnsSuffix.empty() && EqualsNoCase(WithoutFinalDot(card.dnsSuffix), wanted);
        })) {
      return false;
    }
  }
  if (!rule.linkCard.empty() && !AnyCard(present, [&](const NetworkCard& card) {
        return card.linkUp && (EqualsNoCase(card.cardId, rule.linkCard) || card.name == rule.linkCard);
      })) {
    return false;
  }
  if (!rule.ssid.empty() && !AnyCard(present, [&](const NetworkCard& card) { return card.ssid == rule.ssid; })) {
    return false;
  }
  return true;
}

StringList MatchSettings(const std::vector<NamedRule>& rules, const PresentNetworks& present) {
  StringList best;
  int bestCount = 0;
  for (const NamedRule& named : rules) {
    if (!RuleMatches(named.rule, present)) continue;
    const int count = named.rule.ConditionCount();
    if (count > bestCount) {
      best.clear();
      bestCount = count;
    }
    if (count == bestCount) best.push_back(named.settingName);
  }
  return best;
}

bool NetworkDebounce::Observe(uint64_t nowMs, const std::wstring& fingerprint) {
  if (!seen_ || *seen_ != fingerprint) {
    seen_ = fingerprint;
    seenSince_ = nowMs;
  }
  if (settled_ == seen_ || nowMs - seenSince_ < kStableMs) return false;
  settled_ = seen_;
  return true;
}

std::optional<uint64_t> NetworkDebounce::SettlesAt() const {
  if (!seen_ || settled_ == seen_) return std::nullopt;
  return seenSince_ + kStableMs;
}

SwitchDecision SwitchPolicy::Decide(const StringList& matched, bool commitAtOnce) {
  if (heldByHand_) {
    if (*heldByHand_ == matched) return {};
    heldByHand_.reset();
  }
  if (matched.empty() || lastOffered_ == matched) return {};
  lastOffered_ = matched;
  const bool atOnce = commitAtOnce && matched.size() == 1;
  return {atOnce ? SwitchDecision::Kind::Commit : SwitchDecision::Kind::Offer, matched};
}

void SwitchPolicy::CommittedByHand(const StringList& matched) {
  heldByHand_ = matched;
  // A setting chosen by hand ends the series: a later arrival may be offered.
  lastOffered_.reset();
}

std::wstring OfferText(const StringList& settings) {
  std::wstring names;
  for (const std::wstring& name : settings) names += (names.empty() ? L"" : L", ") + name;
  return names + L" のネットワークです. 反映しますか?";
}

SwitchRule RuleFromPresent(const PresentNetworks& present) {
  SwitchRule rule;
  const NetworkCard* chosen = nullptr;
  for (const NetworkCard& card : present.cards) {
    if (card.gateways.empty()) continue;
    if (!chosen || (card.linkUp && !chosen->linkUp)) chosen = &card;
  }
  if (chosen) {
    rule.gateway = chosen->gateways.front().address;
    rule.gatewayMac = chosen->gateways.front().macAddress;
    rule.dnsSuffix = WithoutFinalDot(chosen->dnsSuffix);
    rule.ssid = chosen->ssid;
    return rule;
  }
  for (const NetworkCard& card : present.cards) {
    if (!card.ssid.empty()) {
      rule.ssid = card.ssid;
      return rule;
    }
  }
  for (const NetworkCard& card : present.cards) {
    if (card.linkUp) {
      rule.linkCard = card.name.empty() ? card.cardId : card.name;
      return rule;
    }
  }
  return rule;
}

}  // namespace kip
