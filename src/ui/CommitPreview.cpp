#include "ui/CommitPreview.h"

#include <commctrl.h>

#include "ui/win/Layout.h"

namespace kip {

namespace {

enum : int { IDL_Fields = 101, IDE_Script, IDB_Page, IDB_Commit, IDB_Cancel };

constexpr wchar_t kFieldsPageCaption[] = L"変更内容";
constexpr wchar_t kScriptPageCaption[] = L"スクリプトとコマンド";

constexpr COLORREF kChangedColor = RGB(255, 236, 160);
constexpr COLORREF kHeadingColor = RGB(224, 232, 244);

// Whole dialog and its parts, in dialog units.
constexpr int kWidth = 380, kHeight = 262;
constexpr int kMargin = 7;
constexpr int kButtonWidth = 54, kButtonHeight = 14;

}  // namespace

void PreviewGrid::Create(win::Container& parent, int id, const win::Rect& r) {
  win::Grid::Create(parent, id, r, {L"項目", L"現在", L"反映後"});
  SetWindowLongPtrW(Handle(), GWL_STYLE, GetWindowLongPtrW(Handle(), GWL_STYLE) | LVS_OWNERDRAWFIXED);
}

void PreviewGrid::SetLines(const std::vector<PreviewLine>& lines) {
  lines_ = lines;
  // One repaint for the whole list, however long.
  SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
  SetRowCount(static_cast<int>(lines_.size()) + 1);
  for (size_t i = 0; i < lines_.size(); ++i) SetCell(0, static_cast<int>(i) + 1, lines_[i].item);
  SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
  Invalidate();
}

void PreviewGrid::DrawRow(const DRAWITEMSTRUCT& item) const {
  if (item.itemID >= lines_.size()) return;
  const PreviewLine& line = lines_[item.itemID];
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  const COLORREF back = selected        ? GetSysColor(COLOR_HIGHLIGHT)
                        : line.heading  ? kHeadingColor
                        : line.changed  ? kChangedColor
                                        : GetSysColor(COLOR_WINDOW);
  SetBkColor(item.hDC, back);
  SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  const std::wstring cells[] = {(line.heading ? L"■ " : L"　") + line.item, line.before, line.after};
  RECT cell = item.rcItem;
  for (int column = 0; column < 3; ++column) {
    cell.right = column == 2 ? item.rcItem.right
                             : cell.left + static_cast<int>(SendMessageW(Handle(), LVM_GETCOLUMNWIDTH, column, 0));
    ExtTextOutW(item.hDC, cell.left + 4, cell.top + 1, ETO_CLIPPED | ETO_OPAQUE, &cell, cells[column].c_str(),
                static_cast<UINT>(cells[column].size()), nullptr);
    cell.left = cell.right;
  }
}

void CommitPreviewDialog::Create(HWND owner, HFONT font, const PreviewContent& content) {
  CreateShell(owner, font, L"TCommitPreview", kCommitPreviewTitle, kWidth, kHeight);
  win::DialogUnits du(font);
  pageArea_ = du.R(kMargin, kMargin, kWidth - 2 * kMargin, kHeight - 3 * kMargin - kButtonHeight);
  Fields.Create(*this, IDL_Fields, pageArea_);
  const int usable = pageArea_.width - GetSystemMetrics(SM_CXVSCROLL) - 4;
  Fields.SetColumnWidth(0, usable * 34 / 100);
  Fields.SetColumnWidth(1, usable * 33 / 100);
  Fields.SetColumnWidth(2, usable * 33 / 100);
  Fields.SetLines(content.lines);
  scriptText_ = content.scriptAndCommands;

  const int buttonTop = kHeight - kMargin - kButtonHeight;
  ButtonPage.Create(*this, IDB_Page, kScriptPageCaption, du.R(kMargin, buttonTop, 90, kButtonHeight));
  ButtonCommit.Create(*this, IDB_Commit, L"反映",
                      du.R(kWidth - kMargin - 2 * kButtonWidth - 6, buttonTop, kButtonWidth, kButtonHeight), true);
  ButtonCancel.Create(*this, IDB_Cancel, L"キャンセル",
                      du.R(kWidth - kMargin - kButtonWidth, buttonTop, kButtonWidth, kButtonHeight));
  ButtonPage.OnClick = [this] { TurnPage(); };
  ButtonCommit.OnClick = [this] { Answer(true); };
  ButtonCancel.OnClick = [this] { Answer(false); };
  OnEnter = [this] { Answer(true); };
  OnEscape = [this] { Answer(false); };
  CenterOnOwner();
}

void CommitPreviewDialog::TurnPage() {
  // The second page is made when it is first shown: most users never turn
  // to it, and the preview must be on the screen quickly.
  if (!Script.Handle()) {
    Script.Create(*this, IDE_Script, pageArea_);
    Script.SetReadOnly(true);
    Script.SetText(scriptText_);
    Script.SetVisible(false);
  }
  const bool toScript = Fields.Visible();
  Script.SetVisible(toScript);
  Fields.SetVisible(!toScript);
  ButtonPage.SetText(toScript ? kFieldsPageCaption : kScriptPageCaption);
}

bool CommitPreviewDialog::Execute() {
  Cancelled = true;  // the close box, or the program quitting, changes nothing
  RunModal();
  return !Cancelled;
}

void CommitPreviewDialog::Answer(bool commit) {
  Cancelled = !commit;
  Hide();
}

LRESULT CommitPreviewDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DRAWITEM && wParam == IDL_Fields) {
    Fields.DrawRow(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return TRUE;
  }
  return DialogShell::HandleMessage(message, wParam, lParam);
}

bool ShowCommitPreview(HWND owner, HFONT font, const PreviewContent& content) {
  CommitPreviewDialog dialog;
  dialog.Create(owner, font, content);
  return dialog.Execute();
}

}  // namespace kip
