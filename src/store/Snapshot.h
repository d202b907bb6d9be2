// Snapshots of the whole store (the store root under HKEY_LOCAL_MACHINE
// with everything below it): the user's export and import, and the undo
// snapshot taken before settings are copied between LAN cards.
//
// On Windows the file is a registry hive (RegSaveKeyW / RegRestoreKeyW).
// Wine's RegRestoreKeyW reports success and restores nothing, so there the
// file is the program's own snapshot text (store/SnapshotText.h). A restore
// recognises either format by the file's first bytes. A text snapshot is
// read and checked as a whole before the store is touched, and a
// replacement that fails midway puts the previous store back: an import
// from a missing, truncated or damaged file leaves the store as it was.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "store/SnapshotText.h"

namespace kip {

// The two snapshot files, in the current directory.
inline constexpr wchar_t kBackupFileName[] = L"kIpBackup";
inline constexpr wchar_t kUndoFileName[] = L"kIpUndo";

inline constexpr wchar_t kExportSucceeded[] = L"エクスポートに成功しました.";
inline constexpr wchar_t kExportFailed[] = L"エクスポートに失敗しました";
inline constexpr wchar_t kImportSucceeded[] = L"インポートに成功しました.";
inline constexpr wchar_t kImportFailed[] = L"インポートに失敗しました.";

// The format an export is written in and the two hive calls. The machine's
// own: a hive on Windows through RegSaveKeyW / RegRestoreKeyW, the text
// format under Wine. Tests stand in for the hive calls Wine cannot run.
struct SnapshotFormat {
  bool writeHive = false;
  std::function<bool(HKEY key, const std::wstring& file)> saveHive;
  std::function<bool(HKEY key, const std::wstring& file)> restoreHive;
};
SnapshotFormat MachineSnapshotFormat();

// Writes the store to the file, replacing an existing file. The states
// commits with automatic return go back to stay out of it: they belong to
// this machine. False when the store root does not exist or the file cannot
// be written. Raises EOSError when the backup privilege cannot be asked for
// (nothing is written then).
bool SaveStoreSnapshot(const std::wstring& file, const SnapshotFormat& format = MachineSnapshotFormat());

// Replaces the whole store by the file's content; a PC where the program
// never ran (no store root yet) gets one. False, with the store unchanged
// (absent again when it was), when the file is missing, of an unknown
// format, or damaged. Raises EOSError when the restore privilege cannot be
// asked for (nothing is changed then).
bool RestoreStoreSnapshot(const std::wstring& file, const SnapshotFormat& format = MachineSnapshotFormat());

// What the user is told after an export or import of `file`: the success or
// failure text; empty for the undo snapshot, which is taken and restored
// without a message of its own.
std::wstring ExportMessage(const std::wstring& file, bool succeeded);
std::wstring ImportMessage(const std::wstring& file, bool succeeded);

// The store as a tree (its root unnamed); nullopt when the store root does
// not exist or a part of it cannot be read.
std::optional<SnapshotKey> ReadStoreTree();

// Reads the key's values and subkeys at any depth; nullopt when any part
// cannot be read.
std::optional<SnapshotKey> ReadRegistryTree(HKEY key);
// Replaces the key's values and subkeys by the tree's (the tree's own name
// is not used). On failure the key's previous content is put back (see
// RestoreRegistryTree) and the result is false.
bool ReplaceRegistryTree(HKEY key, const SnapshotKey& tree);

// Makes the key hold exactly the tree's values and subkeys, whatever it
// holds now: a replacement that stopped part way, with keys that could not
// be deleted still there, is undone in full. Goes on past a step that fails;
// false when any did.
bool RestoreRegistryTree(HKEY key, const SnapshotKey& tree);

// The same two for a key under HKEY_LOCAL_MACHINE named by a store path (as
// SettingKeyPath gives it). Reading gives nullopt when the key does not open
// or a part of it cannot be read; restoring creates the key when missing.
std::optional<SnapshotKey> ReadMachineKeyTree(std::wstring_view path);
bool RestoreMachineKeyTree(std::wstring_view path, const SnapshotKey& tree);

}  // namespace kip
