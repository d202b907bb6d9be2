// The dialog that copies one card's stored settings to another card. It
// knows nothing of the main window or the store: it shows the lists it is
// given and hands the chosen cards to its caller.
#pragma once

#include <functional>
#include <string>

#include "ui/DialogShells.h"
#include "ui/win/Controls.h"
#include "util/Text.h"

namespace kip {

class TFormOtherLAN : public DialogShell {
 public:
  void Create(HWND owner, HFONT font);

  // ComboTo: the machine's card labels; `cardIds` holds the identifier
  // behind each label.
  void SetTargetCards(const StringList& labels, const StringList& cardIds);
  // ComboFrom: the stored cards of the shown setting, marked; `cardIds`
  // (SourceCardIds) holds the identifier behind each item.
  void SetSourceCards(const StringList& items, const StringList& cardIds);

  // Asked to fill the lists (through the two setters above) at the first
  // activation and on "更新". A source list the caller does not set keeps
  // its items. Neither list has a selection afterwards.
  std::function<void()> OnFillLists;
  // "コピー": the chosen source and target identifiers and the target's
  // label; an identifier is empty when its list has no valid selection.
  // Returns true when the dialog should close.
  std::function<bool(const std::wstring& fromCardId, const std::wstring& toCardId, const std::wstring& toLabel)>
      OnCopy;

  void FormActivate();
  void ButtonCopyClick();
  void ButtonRefreshClick();
  void ButtonCancelClick();

  win::Label LabelCopyFrom;
  win::ComboList ComboFrom;
  win::Label LabelCopyTo;
  win::ComboList ComboTo;
  win::Button ButtonCopy;
  win::Button ButtonRefresh;
  win::Button ButtonCancel;
  StringList SourceCardIds;
  StringList TargetCardIds;

 private:
  bool listsFilled_ = false;
};

}  // namespace kip
