// The state a commit with automatic return goes back to, kept in the store
// as a setting of its own: card keys, the machine-wide values and the
// firewall part, so that going back is the commit of that setting. It lives
// below the options key, which is never listed as a setting, under a name
// that holds a backslash, which no setting name can.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/FirewallStore.h"
#include "store/SettingRecord.h"
#include "util/Text.h"

namespace kip {

// Internet values put back exactly as they were after the way back's commit,
// whose writer derives the proxy switch from the server text (a proxy that
// was off would lose its server) and never writes a blank home page.
struct ExactInternetValues {
  std::optional<DWORD> proxyEnable;         // nullopt: left as the commit made it
  std::optional<std::wstring> proxyServer;  // nullopt: left as the commit made it
  std::optional<std::wstring> startPage;    // nullopt: left; "" blanks it
  bool operator==(const ExactInternetValues&) const = default;
};

struct ReturnSnapshot {
  StringList cardIds;  // the card list as it was, in its order
  std::vector<std::pair<std::wstring, CardPart>> cards;  // the cards whose values could be read
  MachineWideValues machineWide;
  std::optional<FirewallPage> firewall;  // nullopt: the firewall is left as it is
  int settingIndex = -1;                 // "Setting Index" to write back
  DWORD osMajorVersion = 6, osMinorVersion = 1;
  DWORD timeoutSeconds = 60;
  ExactInternetValues exactInternet;
};

// What the helper needs besides the setting itself.
struct ReturnTicket {
  StringList cardIds;
  int settingIndex = -1;
  DWORD osMajorVersion = 6, osMinorVersion = 1;
  DWORD timeoutSeconds = 60;
  ExactInternetValues exactInternet;
};

// The setting name the snapshot `token` is stored under (for the store's
// readers: "TFormIpconfig\Return\<token>").
std::wstring ReturnSnapshotName(std::wstring_view token);

// Replaces the snapshot `token`. False when anything could not be written.
bool SaveReturnSnapshot(std::wstring_view token, const ReturnSnapshot& snapshot);
// nullopt when the snapshot is missing or incomplete.
std::optional<ReturnTicket> LoadReturnTicket(std::wstring_view token);
void DeleteReturnSnapshot(std::wstring_view token);

}  // namespace kip
