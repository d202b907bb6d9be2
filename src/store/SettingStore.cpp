#include "store/SettingStore.h"

#include <windows.h>

#include <algorithm>

#include "store/BatchFiles.h"
#include "store/SettingNames.h"
#include "store/Snapshot.h"
#include "store/StoreKeys.h"
#include "util/Files.h"
#include "util/kRegistry.h"
#include "util/Guard.h"

namespace kip {

namespace {

// True when a stored setting other than `name` and `except` uses the batch
// files of `name` (two such names can only come from an older store).
bool BatchFilesUsedElsewhere(std::wstring_view name, std::wstring_view except) {
  for (const std::wstring& other : ListSettingNames()) {
    if (!SameSettingName(other, name) && !SameSettingName(other, except) && ShareBatchFiles(other, name)) return true;
  }
  return false;
}

bool MoveBatchFiles(std::wstring_view from, std::wstring_view to, const std::wstring& folder) {
  if (ShareBatchFiles(from, to)) return true;  // one pair of files (e.g. "/" against its full-width form)
  BatchFilePaths source = BatchFilesOf(from, folder);
  BatchFilePaths target = BatchFilesOf(to, folder);
  if (!CopyBatchFile(source.before, target.before) || !CopyBatchFile(source.after, target.after)) return false;
  if (BatchFilesUsedElsewhere(from, to)) return true;
  return DeleteBatchFile(source.before) && DeleteBatchFile(source.after);
}

// A name no setting has, for moving a setting onto its own key.
std::wstring TemporaryName(std::wstring_view base) {
  StringList existing = ListSettingNames();
  for (int n = 0;; ++n) {
    std::wstring candidate = std::wstring(base) + L" ~rename" + std::to_wstring(n);
    if (!SettingNameTaken(existing, candidate)) return candidate;
  }
}

void DeleteSettingKey(std::wstring_view name) {
  // An empty name would address the store root itself.
  if (!name.empty()) TkRegistry(HKEY_LOCAL_MACHINE).DeleteKey(SettingKeyPath(name));
}

// All or nothing: when any step fails, the key and the batch files of both
// names are put back as they were.
bool MoveSetting(std::wstring_view from, std::wstring_view to, const std::wstring& folder) {
  // Moving onto a key that exists would merge two settings.
  if (TkRegistry(HKEY_LOCAL_MACHINE).KeyExists(SettingKeyPath(to))) return false;
  std::optional<SnapshotKey> source = ReadMachineKeyTree(SettingKeyPath(from));
  if (!source) return false;
  BatchFileBackup files;
  for (const BatchFilePaths& pair : {BatchFilesOf(from, folder), BatchFilesOf(to, folder)}) {
    if (!files.Remember(pair.before) || !files.Remember(pair.after)) return false;
  }
  if (RestoreMachineKeyTree(SettingKeyPath(to), *source) && MoveBatchFiles(from, to, folder) &&
      TkRegistry(HKEY_LOCAL_MACHINE).DeleteKey(SettingKeyPath(from))) {
    return true;
  }
  DeleteSettingKey(to);
  RestoreMachineKeyTree(SettingKeyPath(from), *source);
  files.Restore();
  return false;
}

}  // namespace

std::wstring SettingKeyPath(std::wstring_view name) { return std::wstring(kStoreRootKey) + L"\\" + std::wstring(name); }

std::wstring CardKeyPath(std::wstring_view name, std::wstring_view cardId) {
  return SettingKeyPath(name) + L"\\" + std::wstring(cardId);
}

StringList ListSettingNames() {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  StringList names;
  if (!registry.OpenKeyReadOnly(kStoreRootKey)) return names;
  StringList keys;
  registry.GetKeyNames(keys);
  for (auto& key : keys) {
    if (!SameSettingName(key, kOptionsKeyName)) names.push_back(std::move(key));
  }
  return names;
}

void DeleteSettingStore(std::wstring_view name, const std::wstring& programFolder) {
  DeleteSettingKey(name);
  if (BatchFilesUsedElsewhere(name, name)) return;
  BatchFilePaths files = BatchFilesOf(name, programFolder);
  DeleteBatchFile(files.before);
  DeleteBatchFile(files.after);
}

bool RenameSettingStore(std::wstring_view from, std::wstring_view to, const std::wstring& programFolder) {
  if (from == to || from.empty() || to.empty() || SameSettingName(to, kOptionsKeyName)) return false;
  if (!SameSettingName(from, to)) return MoveSetting(from, to, programFolder);
  std::wstring temporary = TemporaryName(to);
  if (!MoveSetting(from, temporary, programFolder)) return false;
  if (MoveSetting(temporary, to, programFolder)) return true;
  // Put it back under its old name rather than leave the temporary one.
  MoveSetting(temporary, from, programFolder);
  return false;
}

SettingCreation::SettingCreation(std::wstring name, const std::wstring& programFolder) : name_(std::move(name)) {
  BatchFilePaths paths = BatchFilesOf(name_, programFolder);
  // A file that cannot be read cannot be put back: Undo leaves it alone.
  files_.Remember(paths.before);
  files_.Remember(paths.after);
}

void SettingCreation::Undo() const {
  DeleteSettingKey(name_);
  files_.Restore();
}

void RefreshCardDescriptions(const StringList& settingNames, const StringList& cardIds, const StringList& labels) {
  // Only the present cards can get a label: opening their keys directly
  // costs a few calls per setting instead of one per stored card.
  const size_t present = std::min(cardIds.size(), labels.size());
  for (const auto& setting : settingNames) {
    for (size_t i = 0; i < present; ++i) {
      TkRegistry cardKey(HKEY_LOCAL_MACHINE);
      if (!cardKey.OpenKey(CardKeyPath(setting, cardIds[i]), false)) continue;
      RunGuarded([&] {
        if (cardKey.ReadString(L"Description") != labels[i]) cardKey.WriteString(L"Description", labels[i]);
      });
    }
  }
}

bool WriteStoreRootValues(int cardIndex, const std::wstring& programFolder) {
  TkRegistry root(HKEY_LOCAL_MACHINE);
  if (!root.OpenKey(kStoreRootKey, true)) return false;
  return RunGuarded([&] {
    root.WriteInteger(L"Description Index", cardIndex);
    root.WriteString(L"RootPath", programFolder);
  });
}

StringList CopyImportedBatchFiles(const std::wstring& importFile, const std::wstring& programFolder) {
  wchar_t full[MAX_PATH * 2] = {};
  const DWORD length = GetFullPathNameW(importFile.c_str(), MAX_PATH * 2, full, nullptr);
  if (length == 0 || length >= MAX_PATH * 2) return {};
  const std::wstring source = ExtractFilePath(full);
  wchar_t target[MAX_PATH * 2] = {};
  const DWORD targetLength = GetFullPathNameW(programFolder.c_str(), MAX_PATH * 2, target, nullptr);
  // Beside the program already: nothing to carry.
  if (targetLength > 0 && targetLength < MAX_PATH * 2 && EqualsNoCase(IncludeTrailingBackslash(target), source)) {
    return {};
  }
  StringList written;
  for (const std::wstring& name : ListSettingNames()) {
    const BatchFilePaths from = BatchFilesOf(name, source);
    const BatchFilePaths to = BatchFilesOf(name, programFolder);
    for (const auto& [file, copy] : {std::pair{from.before, to.before}, std::pair{from.after, to.after}}) {
      if (FileExists(file) && CopyBatchFile(file, copy)) written.push_back(copy);
    }
  }
  return written;
}

}  // namespace kip
