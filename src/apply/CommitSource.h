// Reads what a commit needs into plain values: the setting's parts from the
// store (a card the setting does not hold takes its live configuration) and
// the machine around it (card names and addresses, printers, firewall
// policy, batch files).
#pragma once

#include <windows.h>

#include <string>

#include "apply/CommitPlan.h"
#include "apply/CommitSequence.h"
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

// The stored part a listed card takes under a setting.
struct CardPartChoice {
  std::wstring cardKey;  // the card key whose part it takes; empty: none (its live values)
  // The key is that of another card, no longer present, found to be this
  // card by its MAC address or connection name.
  bool borrowed = false;
  std::wstring borrowedLabel;  // that card's stored label, or its identifier when it has none
};

// One choice per listed card (index-parallel to `cardIds`). The MAC
// addresses and connection names are read, through `environment`, only
// when some card has no part of its own and the setting holds parts of
// absent cards.
std::vector<CardPartChoice> ChooseCardParts(const std::wstring& settingName, const StringList& cardIds,
                                            const CommitEnvironment& environment);

// The card's MAC address and connection name as `environment` gives them.
std::vector<CardIdentity> ReadCardIdentities(const StringList& cardIds, const CommitEnvironment& environment);

// The setting's firewall part over the machine's policy as read now (a
// setting without one leaves the switch off: nothing is written); nullopt
// when the machine has no firewall policy.
std::optional<FirewallCommit> ReadFirewallCommit(const std::wstring& settingName);

}  // namespace kip
