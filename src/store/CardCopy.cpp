#include "store/CardCopy.h"

#include <windows.h>

#include <algorithm>

#include "store/SettingRecord.h"
#include "store/SettingStore.h"
#include "store/StoreKeys.h"
#include "util/kRegistry.h"
#include "util/Files.h"
#include "util/Guard.h"

namespace kip {

namespace {

constexpr wchar_t kDescription[] = L"Description";

bool IsPresent(const StringList& cardIds, const std::wstring& cardId) {
  return std::any_of(cardIds.begin(), cardIds.end(),
                     [&](const std::wstring& id) { return EqualsNoCase(id, cardId); });
}

std::wstring SourceItem(const std::wstring& cardId, const std::wstring& label, bool present) {
  if (present) return kPresentCardMark + label;
  return kAbsentCardMark + (label.empty() ? cardId : label);
}

void CopyValue(const TkRegistry& source, TkRegistry& target, const std::wstring& name, const std::wstring& toLabel) {
  if (EqualsNoCase(name, kDescription)) {
    target.WriteString(kDescription, toLabel);
    return;
  }
  // The source card's MAC address and connection name say nothing of the
  // target card: its part must not be found by them.
  if (IsCardIdentityValue(name)) return;
  switch (source.GetDataType(name)) {
    case rdString:
      target.WriteString(name, source.ReadString(name));
      break;
    case rdInteger:
      target.WriteInteger(name, source.ReadInteger(name));
      break;
    case rdMultiString: {
      StringList list;
      source.ReadStringList(name, list);
      target.WriteStringList(name, list);
      break;
    }
    default:  // expandable strings, binary data and the rest stay behind
      break;
  }
}

// Copies the source card key of one setting; false when the setting has no
// such key or the target key cannot be opened.
bool CopyCardKey(const std::wstring& setting, const std::wstring& fromCardId, const std::wstring& toCardId,
                 const std::wstring& toLabel) {
  TkRegistry source(HKEY_LOCAL_MACHINE);
  if (!source.OpenKeyReadOnly(CardKeyPath(setting, fromCardId))) return false;
  TkRegistry target(HKEY_LOCAL_MACHINE);
  if (!target.OpenKey(CardKeyPath(setting, toCardId), true)) return false;
  StringList names;
  source.GetValueNames(names);
  for (const std::wstring& name : names) RunGuarded([&] { CopyValue(source, target, name, toLabel); });
  return true;
}

}  // namespace

CardLists FillCardLists(const std::wstring& settingName, const StringList& cardIds, const StringList& cardLabels) {
  CardLists lists;
  lists.targets = cardLabels;
  // Without a setting name the path would be the store root itself.
  if (settingName.empty()) return lists;
  TkRegistry setting(HKEY_LOCAL_MACHINE);
  if (!setting.OpenKeyReadOnly(SettingKeyPath(settingName))) return lists;
  StringList stored;
  setting.GetKeyNames(stored);

  SourceCards sources;
  for (const std::wstring& cardId : stored) {
    if (!IsCardKeyName(cardId)) continue;
    TkRegistry card(HKEY_LOCAL_MACHINE);
    if (!card.OpenKeyReadOnly(CardKeyPath(settingName, cardId))) continue;
    const std::wstring label = card.TryReadString(kDescription).value_or(L"");
    sources.items.push_back(SourceItem(cardId, label, IsPresent(cardIds, cardId)));
    sources.cardIds.push_back(cardId);
  }
  lists.sources = std::move(sources);
  return lists;
}

CardCopyOutcome CopyCardSettings(const std::wstring& fromCardId, const std::wstring& toCardId,
                                 const std::wstring& toLabel, const std::wstring& undoFile) {
  CardCopyOutcome outcome;
  bool snapshotTaken = false;
  RunGuarded([&] { snapshotTaken = SaveStoreSnapshot(undoFile); });
  outcome.undoAvailable = FileExists(undoFile);
  // An empty identifier would name the setting key itself.
  if (fromCardId.empty() || toCardId.empty()) return outcome;
  // A copy the user could not take back is not made.
  if (!snapshotTaken) {
    outcome.result = CardCopyResult::NoUndo;
    return outcome;
  }

  outcome.result = CardCopyResult::NothingCopied;
  TkRegistry root(HKEY_LOCAL_MACHINE);
  if (!root.OpenKeyReadOnly(kStoreRootKey)) return outcome;
  StringList settings;
  root.GetKeyNames(settings);
  root.CloseKey();
  for (const std::wstring& setting : settings) {
    if (CopyCardKey(setting, fromCardId, toCardId, toLabel)) ++outcome.settingsCopied;
  }
  if (outcome.settingsCopied > 0) outcome.result = CardCopyResult::Copied;
  return outcome;
}

std::wstring CardCopyMessage(const CardCopyOutcome& outcome) {
  switch (outcome.result) {
    case CardCopyResult::Copied: return kCopySucceeded;
    case CardCopyResult::NothingCopied: return kCopyFailed;
    case CardCopyResult::NoUndo: return kCopyWithoutUndo;
    default: return {};
  }
}

UndoOutcome UndoCardCopy(const std::wstring& undoFile) {
  UndoOutcome outcome;
  outcome.restored = RestoreStoreSnapshot(undoFile);
  if (outcome.restored) DeleteFileW(undoFile.c_str());
  outcome.undoAvailable = FileExists(undoFile);
  return outcome;
}

}  // namespace kip
