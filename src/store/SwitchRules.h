// A setting's rule for recognising its network, stored in the subkey
// "AutoSwitch" of the setting's key: the conditions (all must hold), whether
// a match commits at once, and the Wi-Fi profile the commit connects to
// first. The subkey is not a card key; exports, imports and copies of a
// setting carry it with the rest of the setting's tree. A stored value that
// cannot be used drops its condition with a note, never the whole setting.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "util/Text.h"

namespace kip {

inline constexpr wchar_t kSwitchRuleSubkey[] = L"AutoSwitch";

struct SwitchRule {
  std::wstring gateway;     // "Gateway": IPv4 address of a default gateway
  std::wstring gatewayMac;  // "GatewayMAC": its hardware address, any common notation
  std::wstring dnsSuffix;   // "DnsSuffix": the suffix the network gives (letter case ignored)
  std::wstring subnet;      // "Subnet": "192.168.10.0/24" or "192.168.10.0/255.255.255.0"
  std::wstring linkCard;    // "LinkCard": identifier or connection name of a card with a link
  std::wstring ssid;        // "SSID": the Wi-Fi network's name
  bool commitWithoutAsking = false;  // "CommitWithoutAsking" (DWORD)
  // Wi-Fi per setting: the Windows profile a commit connects to on the card
  // before it sets that card's addresses.
  std::wstring wifiProfile;  // "WifiProfile"
  std::wstring wifiCard;     // "WifiCard": the card identifier

  bool operator==(const SwitchRule&) const = default;
  // Conditions held, each counted once; 0: the setting is never recognised.
  int ConditionCount() const;
};

// A rule as it was read, with a note per value that had to be dropped.
struct StoredSwitchRule {
  SwitchRule rule;
  StringList notes;
};

// The setting's rule; nullopt when the setting has no such subkey.
std::optional<StoredSwitchRule> LoadSwitchRule(std::wstring_view settingName);

// Replaces the subkey by the rule; a rule with no condition and no Wi-Fi
// profile removes it (a setting without a rule keeps its key as an older
// program wrote it). False when the key could not be written.
bool SaveSwitchRule(std::wstring_view settingName, const SwitchRule& rule);

// Checks of the values as stored: empty when the text may stand in its
// field, else why it cannot.
std::wstring SwitchRuleFieldProblem(std::wstring_view valueName, std::wstring_view text);

// "00:11:22:aa:bb:cc", "00-11-22-AA-BB-CC", "0011.22aa.bbcc" and
// "001122AABBCC" all give "00-11-22-AA-BB-CC"; empty for anything that is not
// six bytes.
std::wstring NormalizedMac(std::wstring_view text);

// "a.b.c.d/len" or "a.b.c.d/m.m.m.m" (a contiguous mask); false otherwise.
bool ParseSubnet(std::wstring_view text, uint32_t& network, int& length);

}  // namespace kip
