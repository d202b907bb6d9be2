// The stored settings as a whole: one key per setting under the store root,
// card keys below it, and two batch files per setting beside the program.
// Names are registry key names, so Windows compares them without regard to
// letter case (SettingNames.h holds the rules for names).
#pragma once

#include <string>
#include <string_view>

#include "store/BatchFiles.h"
#include "util/Text.h"

namespace kip {

// Store root + "\" + name, and the card key below it.
std::wstring SettingKeyPath(std::wstring_view name);
std::wstring CardKeyPath(std::wstring_view name, std::wstring_view cardId);

// The settings in the order the registry lists them (the options key is not
// a setting). Empty when the store root does not open.
StringList ListSettingNames();

// After an import of `importFile`: each stored setting's batch files that
// lie beside that file ("<setting>_b.bat", "<setting>_a.bat") are copied
// beside the program, so that a roll-out carries them; a setting without
// them there keeps its own. Returns the files written.
StringList CopyImportedBatchFiles(const std::wstring& importFile, const std::wstring& programFolder);

// Deletes the setting's key with everything below it and both batch files
// (kept while another stored setting's name gives the same files).
void DeleteSettingStore(std::wstring_view name, const std::wstring& programFolder);

// Moves setting `from` with its batch files to `to`. A change of letter case
// only goes through a temporary name, since both names are one key. All or
// nothing: false when the setting could not be moved, and then the store and
// the batch files of both names are as they were.
bool RenameSettingStore(std::wstring_view from, std::wstring_view to, const std::wstring& programFolder);

// A setting being made under a new name step by step (a copy, saved card
// after card from the window): Undo takes it out of the store again when it
// does not complete, its key deleted and any batch files of that name put
// back as they were before.
class SettingCreation {
 public:
  SettingCreation(std::wstring name, const std::wstring& programFolder);
  void Undo() const;

 private:
  std::wstring name_;
  BatchFileBackup files_;
};

// Writes "Description" := labels[i] into the card key of each present card
// (cardIds[i]) that the settings named hold. The caller passes the names it
// knows (the setting tabs): listing a large store again costs a call per
// setting.
void RefreshCardDescriptions(const StringList& settingNames, const StringList& cardIds, const StringList& labels);

// The store root's "Description Index" and "RootPath"; false when the root
// cannot be opened or written.
bool WriteStoreRootValues(int cardIndex, const std::wstring& programFolder);

}  // namespace kip
