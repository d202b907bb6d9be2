// The firewall part of a stored setting: the key "FireWall" under the
// setting's key, with the subkeys "AA" (programs) and "GP" (ports) for the
// exceptions taken from the machine.
#pragma once

#include <optional>
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

// The firewall part as stored, readable without the machine's exception
// list; laid over a page made from that list by LayStoredFirewallPart.
struct StoredFirewallPart {
  bool useSwitch = false;                    // "Use FireWall Switch"; false when missing or bad
  std::optional<bool> firewallOn;            // "FireWall Enabled"
  // "DoNotAllowExceptions", read only after "FireWall Enabled"; nullopt:
  // the fixed rows keep their checks.
  std::optional<bool> doNotAllowExceptions;
  // Every check stored as a DWORD: subkey "" for a value of "FireWall"
  // itself (the fixed rows), else the entry's kind ("AA", "GP").
  std::vector<StoredCheck> checks;
};

// The page changes only where the stored part holds a value: the switch
// always, on/off and the exceptions switch when stored, each row whose check
// is stored (fixed rows only when the exceptions switch is stored).
void LayStoredFirewallPart(const StoredFirewallPart& stored, FirewallPage& page);

class TkRegistry;

// The part under the open setting key; nullopt when it has no "FireWall" key.
std::optional<StoredFirewallPart> ReadStoredFirewallPart(const TkRegistry& settingKey);

// Replaces the setting's "FireWall" key by the page. Failing writes are
// skipped; nothing is reported.
void SaveFirewallPart(const std::wstring& settingKey, const FirewallPage& page);

}  // namespace kip
