#include "ui/UOtherLAN.h"

#include "OtherLANIds.h"
#include "ui/win/Layout.h"

namespace kip {

namespace {

void ShowItems(win::ComboList& combo, const StringList& items) {
  combo.Clear();
  for (const std::wstring& item : items) combo.Add(item);
}

// The entry of `list` behind the combo's selection; empty when nothing is
// selected or the selection lies outside the list.
std::wstring Chosen(const win::ComboList& combo, const StringList& list) {
  const int index = combo.ItemIndex();
  if (index < 0 || static_cast<size_t>(index) >= list.size()) return {};
  return list[static_cast<size_t>(index)];
}

}  // namespace

void TFormOtherLAN::Create(HWND owner, HFONT font) {
  CreateShell(owner, font, L"TFormOtherLAN", L"他のLANカード設定のコピー", 220, 100);
  win::DialogUnits du(font);
  LabelCopyFrom.Create(*this, IDT_LabelCopyFrom, L"コピー元のLANカードを選んでください.", du.R(7, 7, 206, 10));
  ComboFrom.Create(*this, IDC_ComboFrom, du.R(7, 18, 206, 14));
  LabelCopyTo.Create(*this, IDT_LabelCopyTo, L"コピー先のLANカードを選んでください.", du.R(7, 38, 206, 10));
  ComboTo.Create(*this, IDC_ComboTo, du.R(7, 49, 206, 14));
  ButtonCopy.Create(*this, IDB_ButtonCopy, L"コピー", du.R(55, 78, 50, 14), true);
  ButtonRefresh.Create(*this, IDB_ButtonRefresh, L"更新", du.R(109, 78, 50, 14));
  ButtonCancel.Create(*this, IDB_ButtonCancel, L"キャンセル", du.R(163, 78, 50, 14));

  ButtonCopy.OnClick = [this] { ButtonCopyClick(); };
  ButtonRefresh.OnClick = [this] { ButtonRefreshClick(); };
  ButtonCancel.OnClick = [this] { ButtonCancelClick(); };
  OnEscape = [this] { ButtonCancelClick(); };
  OnActivate = [this] { FormActivate(); };
}

void TFormOtherLAN::SetTargetCards(const StringList& labels, const StringList& cardIds) {
  ShowItems(ComboTo, labels);
  TargetCardIds = cardIds;
}

void TFormOtherLAN::SetSourceCards(const StringList& items, const StringList& cardIds) {
  ShowItems(ComboFrom, items);
  SourceCardIds = cardIds;
}

void TFormOtherLAN::FormActivate() {
  if (listsFilled_) return;
  listsFilled_ = true;
  ButtonRefreshClick();
}

void TFormOtherLAN::ButtonRefreshClick() {
  if (OnFillLists) OnFillLists();
  ComboFrom.SetItemIndex(-1);
  ComboTo.SetItemIndex(-1);
}

void TFormOtherLAN::ButtonCopyClick() {
  const std::wstring to = Chosen(ComboTo, TargetCardIds);
  const std::wstring label = to.empty() ? std::wstring() : ComboTo.Item(ComboTo.ItemIndex());
  if (OnCopy && OnCopy(Chosen(ComboFrom, SourceCardIds), to, label)) Hide();
}

void TFormOtherLAN::ButtonCancelClick() { Hide(); }

}  // namespace kip
