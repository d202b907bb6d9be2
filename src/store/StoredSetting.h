// One read of a stored setting for the cards present now: the part each card
// takes (its own, one borrowed from an absent card, or none), the
// machine-wide part, the firewall part and the batch texts, with the
// setting's key opened once. The window's editor and the commit both start
// from it; what the machine has now (a card's live values where the setting
// holds no part, its name and addresses) is theirs to add.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "store/BatchFiles.h"
#include "store/CardMatch.h"
#include "store/FirewallStore.h"
#include "store/SettingRecord.h"
#include "util/Text.h"

namespace kip {

// The part a present card takes.
struct ChosenCardPart {
  // None: the setting holds no part for the card (it shows and commits its
  // live values); Own; or SameMacAddress / SameConnection: the part of an
  // absent card that was the same hardware or connection.
  CardPartFound found = CardPartFound::None;
  std::wstring cardKey;          // the card key the part was read from; empty with None
  std::wstring borrowedLabel;    // borrowed: that card's stored label, or its key's name when it has none
  std::optional<CardPart> part;  // nullopt when found is None or the part was not asked for

  bool Borrowed() const noexcept { return found == CardPartFound::SameMacAddress || found == CardPartFound::SameConnection; }
};

struct StoredSettingRequest {
  std::wstring settingName{};
  // The present cards, in their list order; "" for a card without an
  // identifier (it takes no part).
  StringList cardIds{};
  DWORD osMajorVersion = 6;  // which registration values the card keys hold
  // What each machine-wide group keeps from its first bad value on (the
  // window passes what it shows, the commit the plain defaults).
  MachineWideValues defaults{};
  // The MAC addresses and connection names of the cards asked for, in their
  // order. Asked only when a card has no part of its own and the setting
  // holds parts of absent cards; without it no part is borrowed.
  std::function<std::vector<CardIdentity>(const StringList& cardIds)> identify{};
  // With its trailing "\": the batch files are read from there. Empty: they
  // are not read.
  std::wstring programFolder{};
  // Set: only that card's chosen part is read (a window shows one card); the
  // others are chosen but not read, their `part` stays nullopt.
  std::optional<size_t> onlyPartOf{};
};

struct StoredSetting {
  bool keyFound = false;  // the setting key opened; without it everything below is as defaulted
  std::vector<ChosenCardPart> cards;  // index-parallel to the request's card ids
  // Read over the request's defaults, group by group: a group ends at its
  // first bad value and keeps the defaults from there on. "Hosts File",
  // "Machine Name" and "IPEnableRouter" (on for exactly 1) read as empty or
  // off when bad; a domain group read only in part leaves the switch off; a
  // bad suffix group gives devolution on and no list; "default Printer" is
  // nullopt when it cannot be read (the default's printer then stays).
  MachineWideValues machineWide;
  std::optional<StoredFirewallPart> firewall;  // nullopt: no "FireWall" key
  BatchTexts batch;  // empty lines for a missing file, or when not read
};

// Reads the setting. Raises EOSError only for a batch file that exists but
// cannot be read; a registry value that cannot be read never raises.
StoredSetting ReadStoredSetting(const StoredSettingRequest& request);

// Only which part each card takes (a card list's marks): the chosen parts
// are not read, so `part` stays nullopt; nothing else of the setting is read.
std::vector<ChosenCardPart> ChooseStoredParts(const StoredSettingRequest& request);

}  // namespace kip
