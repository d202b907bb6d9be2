// Reads what a commit needs into plain values: the stored setting in one
// read (store/StoredSetting; a card the setting does not hold takes its live
// configuration) and the machine around it (card names and addresses,
// printers, firewall policy, batch files).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "apply/CommitPlan.h"
#include "apply/CommitSequence.h"
#include "store/StoredSetting.h"
#include "util/Text.h"

namespace kip {

// Which setting to commit on which cards.
struct CommitRequest {
  int settingIndex = -1;      // the tab, stored as "Setting Index"
  std::wstring settingName;
  int cardCount = 0;          // items of the card list
  StringList cardIds;         // index-parallel to the items (may be shorter)
  DWORD osMajorVersion = 6, osMinorVersion = 1;  // recorded at start-up
};

CommitSetting ReadCommitSetting(const CommitRequest& request, const CommitEnvironment& environment);

// The listed cards' connection names and current addresses as the machine
// gives them now (cards without an identifier are left as they are).
void ReadLiveCardFacts(std::vector<PlannedCardSource>& cards, const CommitEnvironment& environment);

// What a card the setting holds no part for shows and commits: its live
// configuration (TCP/IP and NetBT interface keys); nullopt when its
// interface key does not open.
std::optional<CardPart> ReadLiveCardPart(const std::wstring& cardId, DWORD osMajorVersion);

// The card's MAC address and connection name as `environment` gives them.
std::vector<CardIdentity> ReadCardIdentities(const StringList& cardIds, const CommitEnvironment& environment);

// The same, as the read of a stored setting asks for them.
std::function<std::vector<CardIdentity>(const StringList&)> CardIdentifier(const CommitEnvironment& environment);

// The setting's firewall part over the machine's policy as read now (a
// setting without one leaves the switch off: nothing is written, and from
// Windows Vista on the policy is not read then); nullopt when the machine
// before Vista has no firewall policy.
std::optional<FirewallCommit> ReadFirewallCommit(const std::optional<StoredFirewallPart>& stored, DWORD majorVersion,
                                                 const FirewallOpener& open);

}  // namespace kip
