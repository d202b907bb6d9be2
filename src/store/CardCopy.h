// Copying the settings stored for one LAN card to another card, in every
// setting, after an undo snapshot of the whole store; and the undo.
//
// The copy dialog shows two lists: the cards stored under the shown setting
// (sources) and the cards of this machine (targets). These functions work
// on the store only; the caller shows the messages and reloads its window.
#pragma once

#include <optional>
#include <string>

#include "store/Snapshot.h"
#include "util/Text.h"

namespace kip {

// Marks of the source list: a card present in this machine, and one that
// is stored but no longer present.
inline constexpr wchar_t kPresentCardMark[] = L"○ ";
inline constexpr wchar_t kAbsentCardMark[] = L"× ";

inline constexpr wchar_t kCopySucceeded[] = L"設定のコピーに成功しました.";
inline constexpr wchar_t kCopyFailed[] = L"設定のコピーに失敗しました.";
inline constexpr wchar_t kUndoSucceeded[] = L"アンドゥに成功しました.";
inline constexpr wchar_t kUndoFailed[] = L"アンドゥに失敗しました.";
inline constexpr wchar_t kCopyWithoutUndo[] = L"アンドゥ用のファイルを保存できないため、設定のコピーを中止しました.";

struct SourceCards {
  // "○ " + stored label for a present card; "× " + stored label, or the
  // identifier when the label is empty, for an absent one.
  StringList items;
  StringList cardIds;  // the card identifier behind each item
};

struct CardLists {
  StringList targets;  // the machine's card labels, in the order of its identifiers
  // nullopt when the setting key does not open: the shown source list is
  // then left as it is.
  std::optional<SourceCards> sources;
};

// The two lists for the setting `settingName`; `cardIds` and `cardLabels`
// are the machine's cards, index-parallel. A card is present when its
// identifier is in `cardIds`, letter case ignored. The setting's firewall
// key is not a card and is not listed.
CardLists FillCardLists(const std::wstring& settingName, const StringList& cardIds, const StringList& cardLabels);

enum class CardCopyResult {
  NotChosen,      // a card was not chosen: only the snapshot was taken
  Copied,         // at least one setting had the source card
  NothingCopied,  // no setting had the source card
  NoUndo,         // the undo snapshot could not be taken: nothing was copied
};

struct CardCopyOutcome {
  CardCopyResult result = CardCopyResult::NotChosen;
  int settingsCopied = 0;
  bool undoAvailable = false;  // the undo snapshot file exists afterwards
};

// Takes the undo snapshot `undoFile`, then, when both cards are chosen
// (non-empty identifiers) and the snapshot was taken, copies in
// every setting that holds the source card key its values into the target
// card key (created when missing): strings, integers and multi-strings;
// "Description" becomes `toLabel`; other types are left out, and values
// only the target has are kept. A value that cannot be read is skipped.
CardCopyOutcome CopyCardSettings(const std::wstring& fromCardId, const std::wstring& toCardId,
                                 const std::wstring& toLabel, const std::wstring& undoFile = kUndoFileName);

// The message for the user; empty when no card was chosen.
std::wstring CardCopyMessage(const CardCopyOutcome& outcome);

struct UndoOutcome {
  bool restored = false;
  bool undoAvailable = false;  // the undo snapshot file still exists
};

// Restores the store from the undo snapshot and, when that succeeded,
// deletes the snapshot file.
UndoOutcome UndoCardCopy(const std::wstring& undoFile = kUndoFileName);

inline std::wstring UndoMessage(bool restored) { return restored ? kUndoSucceeded : kUndoFailed; }

}  // namespace kip
