// The state a commit with automatic return goes back to, kept in the store
// as a setting of its own: card keys, the machine-wide values and the
// firewall part, so that going back is the commit of that setting. It lives
// below the options key, which is never listed as a setting, under a name
// that holds a backslash, which no setting name can.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/FirewallStore.h"
#include "store/SettingRecord.h"
#include "util/Text.h"
#include "util/UniqueHandle.h"

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

// A process that holds a kept state: its id and its creation time, which
// tells it from a later process given the same id.
struct ReturnOwner {
  DWORD processId = 0;
  ULONGLONG createdAt = 0;  // FILETIME as one number
  bool operator==(const ReturnOwner&) const = default;
};

// What the helper needs besides the setting itself.
struct ReturnTicket {
  StringList cardIds;  // the card list as it was, in its order
  int settingIndex = -1;  // "Setting Index" to write back
  DWORD osMajorVersion = 6, osMinorVersion = 1;
  DWORD timeoutSeconds = 60;
  ExactInternetValues exactInternet;
  // The machine had no HOSTS file: the way back removes the one the commit
  // copied.
  bool removeHosts = false;
  // The store's commit count when the state was kept: a count beyond the
  // commit it was kept for means a later commit, which the way back must
  // not overwrite.
  DWORD commitSerial = 0;
  std::wstring stepLogPath;  // "/log FILE" of the window; empty: none
  // Values of the handles the helper inherits from the window (the signals
  // between them, which have no names).
  std::vector<std::uint64_t> handles;
  // The window, then the helper once it is started.
  std::vector<ReturnOwner> owners;
  // When the state was kept (FILETIME, UTC, as one number); 0: not known.
  ULONGLONG keptAt = 0;
};

struct ReturnSnapshot {
  std::vector<std::pair<std::wstring, CardPart>> cards;  // the cards whose values could be read
  MachineWideValues machineWide;
  std::optional<FirewallPage> firewall;  // nullopt: the firewall is left as it is
  ReturnTicket ticket;
};

// The setting name the snapshot `token` is stored under (for the store's
// readers: "TFormIpconfig\Return\<token>").
std::wstring ReturnSnapshotName(std::wstring_view token);

// Stores the snapshot `token` under a key made new. False when that key
// existed already (it is then left alone) or anything could not be written.
bool SaveReturnSnapshot(std::wstring_view token, const ReturnSnapshot& snapshot);
bool AddReturnOwner(std::wstring_view token, const ReturnOwner& owner);
// The tokens of every kept state in the store.
StringList ReturnSnapshotTokens();
// nullopt when the snapshot is missing or incomplete.
std::optional<ReturnTicket> LoadReturnTicket(std::wstring_view token);
void DeleteReturnSnapshot(std::wstring_view token);

// A later commit (or import) that the user chose over the pending return
// marks its state kept; the helper watches the key and keeps. Only
// administrators can write the store, so the mark is the user's word.
bool SettleReturn(std::wstring_view token);
bool ReturnSettled(std::wstring_view token);
// The state's key for RegNotifyChangeKeyValue; null when it cannot be opened.
UniqueHKey OpenReturnKeyForNotify(std::wstring_view token);

}  // namespace kip
