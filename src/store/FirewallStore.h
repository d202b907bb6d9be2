// The firewall part of a stored setting: the key "FireWall" under the
// setting's key, with the subkeys "AA" (programs) and "GP" (ports) for the
// exceptions taken from the machine.
#pragma once

#include <string>
#include <vector>

namespace kip {

// A row's check, stored as a DWORD (1 checked, 0 not) named `name` in the
// "FireWall" key or, when `subkey` is not empty, in that subkey of it.
struct StoredCheck {
  std::wstring subkey;
  std::wstring name;
  bool checked = false;
  bool operator==(const StoredCheck&) const = default;
};

// The firewall page as plain values.
struct FirewallPage {
  bool useSwitch = false;             // CheckFWUse
  bool firewallOn = false;            // RadioFWTrue; RadioFWFalse is the opposite
  bool doNotAllowExceptions = false;  // FWDoNotAllowExceptions
  // One per exception row, top to bottom: subkey = the entry's kind, name =
  // its value name.
  std::vector<StoredCheck> entryChecks;
  // The fixed rows (name = row text, no subkey); empty when the list has
  // none.
  std::vector<StoredCheck> fixedChecks;
};

inline constexpr wchar_t kFirewallSubkey[] = L"FireWall";

// Changes the page only where the setting holds a value; a setting without
// the "FireWall" key leaves it as it was. `settingKey`: the setting's key
// under HKEY_LOCAL_MACHINE, from the root ("\SOFTWARE\...\<name>").
void LoadFirewallPart(const std::wstring& settingKey, FirewallPage& page);

// Replaces the setting's "FireWall" key by the page. Failing writes are
// skipped; nothing is reported.
void SaveFirewallPart(const std::wstring& settingKey, const FirewallPage& page);

}  // namespace kip
