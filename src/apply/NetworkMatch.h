// Which stored setting the present network is, and when to say so. Pure:
// the networks and the rules come in as plain values, decisions go out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "machine/NetworkRecognition.h"
#include "store/SwitchRules.h"
#include "util/Text.h"

namespace kip {

struct NamedRule {
  std::wstring settingName;
  SwitchRule rule;
};

// True when every condition the rule holds is met by some card (the gateway
// and its MAC address by the same gateway); a rule without conditions
// matches nothing.
bool RuleMatches(const SwitchRule& rule, const PresentNetworks& present);

// The settings whose rules match, the most specific only (most conditions);
// several when they tie, in the order given.
StringList MatchSettings(const std::vector<NamedRule>& rules, const PresentNetworks& present);

// A network counts once it has read the same for `stableMs`.
class NetworkDebounce {
 public:
  static constexpr uint64_t kStableMs = 2000;

  // Records a reading at `nowMs`; true when this reading makes `fingerprint`
  // the settled network (once per change).
  bool Observe(uint64_t nowMs, const std::wstring& fingerprint);
  // The settled network; nullopt until one has settled.
  const std::optional<std::wstring>& Settled() const { return settled_; }
  // When a reading would settle the network now seen; nullopt when it has.
  std::optional<uint64_t> SettlesAt() const;

 private:
  std::optional<std::wstring> seen_;
  uint64_t seenSince_ = 0;
  std::optional<std::wstring> settled_;
};

// What to do when a network has settled.
struct SwitchDecision {
  enum class Kind { Nothing, Offer, Commit };
  Kind kind = Kind::Nothing;
  StringList settings;  // the candidates (one to commit)
  bool operator==(const SwitchDecision&) const = default;
};

// The rules of offering: never the same match twice in a row, nothing while
// the machine holds a setting committed by hand on the network it was
// committed on, at once only for a single match whose rule says so.
class SwitchPolicy {
 public:
  // `matched`: MatchSettings for the settled network; `commitAtOnce`: the
  // single match's rule commits without asking.
  SwitchDecision Decide(const StringList& matched, bool commitAtOnce);
  // A setting was committed by hand while `matched` was the present match:
  // nothing is offered for as long as that match stays.
  void CommittedByHand(const StringList& matched);

 private:
  std::optional<StringList> lastOffered_;
  std::optional<StringList> heldByHand_;
};

// "会社 のネットワークです. 反映しますか?"; tied settings are named together.
std::wstring OfferText(const StringList& settings);

// The rule "現在のネットワークから作成" makes: the gateway with its MAC address
// and the DNS suffix of the card that has a link and a default gateway, and
// the SSID where that card has one; without a gateway, the SSID of a
// connected Wi-Fi card, else the first card with a link.
SwitchRule RuleFromPresent(const PresentNetworks& present);

}  // namespace kip
