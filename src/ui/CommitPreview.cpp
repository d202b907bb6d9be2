#include "ui/CommitPreview.h"

#include <commctrl.h>

#include <algorithm>
#include <array>

#include "ui/win/Layout.h"
#include "util/UniqueHandle.h"

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

void DeleteMemoryDc(HDC dc) noexcept { DeleteDC(dc); }
using UniqueMemoryDc = UniqueHandle<detail::NullIsInvalid<HDC, DeleteMemoryDc>>;

// The texts a row shows in its three columns.
std::array<std::wstring, 3> CellsOf(const PreviewLine& line) {
  return {(line.heading ? L"■ " : L"　") + line.item, line.before, line.after};
}

// A text's width in half-width characters: a full-width one counts twice.
size_t HalfWidths(const std::wstring& text) {
  size_t count = 0;
  for (wchar_t c : text) count += c >= 0x2E80 ? 2 : 1;
  return count;
}

// The widest text of each column, in pixels of `font`. Only the few longest
// texts of a column are measured: measuring every cell of a long preview
// costs it a tenth of its time to the screen.
std::array<int, 3> WidestCells(HFONT font, const std::vector<PreviewLine>& lines) {
  constexpr size_t kMeasured = 4;
  std::array<std::vector<std::pair<size_t, std::wstring>>, 3> longest;
  for (const PreviewLine& line : lines) {
    auto cells = CellsOf(line);
    for (size_t column = 0; column < cells.size(); ++column) {
      auto& kept = longest[column];
      kept.emplace_back(HalfWidths(cells[column]), std::move(cells[column]));
      std::sort(kept.begin(), kept.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
      if (kept.size() > kMeasured) kept.pop_back();
    }
  }
  std::array<int, 3> widest{};
  const win::ScreenDc dc;
  const win::SelectedFont selected(dc.get(), font);
  for (size_t column = 0; column < longest.size(); ++column) {
    for (const auto& [halfWidths, text] : longest[column]) {
      SIZE size{};
      GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
      widest[column] = std::max(widest[column], static_cast<int>(size.cx));
    }
  }
  return widest;
}

// Pixels around a cell's text: its inset on the left and some air.
constexpr int kCellPadding = 16;

// The dialog's width in dialog units: wide enough for every text of the
// list where the monitor of `owner` allows it, never narrower than the
// classic layout. What still does not fit scrolls sideways.
int DialogWidthFor(const std::array<int, 3>& widest, const win::DialogUnits& du, HWND owner) {
  int listPixels = GetSystemMetrics(SM_CXVSCROLL) + 4;
  for (int width : widest) listPixels += width + kCellPadding;
  const RECT work = win::WorkAreaOf(owner);
  const int workPixels = (work.right - work.left) * 9 / 10;
  const int wanted = du.DluX(listPixels) + 2 * kMargin + 4;
  return std::clamp(wanted, kWidth, std::max(kWidth, du.DluX(workPixels)));
}

}  // namespace

void PreviewGrid::Create(win::Container& parent, int id, const win::Rect& r, const std::array<int, 3>& widths) {
  // A virtual list: it holds no rows and asks for the texts of those it
  // shows, so a long preview costs no more to show than a short one.
  win::Grid::Create(parent, id, r, {L"項目", L"現在", L"反映後"}, LVS_OWNERDATA | LVS_OWNERDRAWFIXED,
                    {widths.begin(), widths.end()});
}

void PreviewGrid::SetLines(const std::vector<PreviewLine>& lines) {
  lines_ = lines;
  // Every row is new: the count repaints the whole list (no
  // LVSICF_NOINVALIDATEALL), so no invalidation of our own.
  ListView_SetItemCountEx(Handle(), static_cast<int>(lines_.size()), 0);
  LayOutRows();
}

// The list works out its rows' size and its scroll bars when it first
// paints. Painting once into memory while the dialog is hidden moves that
// off the screen: there it would draw its scroll bars twice more before
// their final drawing, and under Wine each themed scroll bar drawn costs
// dozens of server round trips.
void PreviewGrid::LayOutRows() const {
  const UniqueMemoryDc memory(CreateCompatibleDC(nullptr));
  if (memory) SendMessageW(Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.get()), PRF_CLIENT);
}

// The field's own name (the mark before a title is only drawn), so that
// screen readers and UI automation read the rows.
void PreviewGrid::GiveText(NMLVDISPINFOW& info) const {
  LVITEMW& item = info.item;
  if (!(item.mask & LVIF_TEXT) || item.iItem < 0 || static_cast<size_t>(item.iItem) >= lines_.size() ||
      item.cchTextMax <= 0 || !item.pszText) {
    return;
  }
  const PreviewLine& line = lines_[static_cast<size_t>(item.iItem)];
  const std::wstring& text = item.iSubItem == 0 ? line.item : item.iSubItem == 1 ? line.before : line.after;
  const size_t copied = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
  std::copy_n(text.c_str(), copied, item.pszText);
  item.pszText[copied] = L'\0';
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
  const auto cells = CellsOf(line);
  RECT cell = item.rcItem;
  for (int column = 0; column < 3; ++column) {
    cell.right = column == 2 ? item.rcItem.right
                             : cell.left + static_cast<int>(SendMessageW(Handle(), LVM_GETCOLUMNWIDTH, column, 0));
    ExtTextOutW(item.hDC, cell.left + 4, cell.top + 1, ETO_CLIPPED | ETO_OPAQUE, &cell, cells[column].c_str(),
                static_cast<UINT>(cells[column].size()), nullptr);
    cell.left = cell.right;
  }
  // An owner-drawn list leaves the keyboard's place to its owner as well
  // (hidden, as everywhere, until the keyboard is used).
  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) DrawFocusRect(item.hDC, &item.rcItem);
}

void CommitPreviewDialog::Create(HWND owner, HFONT font, const PreviewContent& content) {
  const win::DialogUnits du(font);
  const std::array<int, 3> widest = WidestCells(font, content.lines);
  const int width = DialogWidthFor(widest, du, owner);
  CreateShell(owner, font, L"TCommitPreview", kCommitPreviewTitle, width, kHeight, true);
  pageArea_ = du.R(kMargin, kMargin, width - 2 * kMargin, kHeight - 3 * kMargin - kButtonHeight);
  Fields.Create(*this, IDL_Fields, pageArea_, ColumnWidths(widest));
  Fields.SetLines(content.lines);
  scriptText_ = content.scriptAndCommands;

  const int buttonTop = kHeight - kMargin - kButtonHeight;
  ButtonPage.Create(*this, IDB_Page, kScriptPageCaption, du.R(kMargin, buttonTop, 90, kButtonHeight));
  ButtonCommit.Create(*this, IDB_Commit, L"反映",
                      du.R(width - kMargin - 2 * kButtonWidth - 6, buttonTop, kButtonWidth, kButtonHeight), true);
  ButtonCancel.Create(*this, IDB_Cancel, L"キャンセル",
                      du.R(width - kMargin - kButtonWidth, buttonTop, kButtonWidth, kButtonHeight));
  ButtonPage.OnClick = [this] { TurnPage(); };
  ButtonCommit.OnClick = [this] { Answer(true); };
  ButtonCancel.OnClick = [this] { Answer(false); };
  OnEnter = [this] { Answer(true); };
  OnEscape = [this] { Answer(false); };
}

std::array<int, 3> CommitPreviewDialog::ColumnWidths(const std::array<int, 3>& widest) const {
  // Each column as wide as its widest text; room left over is shared out in
  // the classic proportions (a third each, the field names a little more).
  const int usable = pageArea_.width - GetSystemMetrics(SM_CXVSCROLL) - 4;
  int needed = 0;
  for (int width : widest) needed += width + kCellPadding;
  const int spare = std::max(0, usable - needed);
  const int shares[] = {34, 33, 33};
  std::array<int, 3> widths{};
  for (size_t column = 0; column < widths.size(); ++column)
    widths[column] = widest[column] + kCellPadding + spare * shares[column] / 100;
  return widths;
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
  if (message == WM_NOTIFY) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->idFrom == IDL_Fields && header->code == LVN_GETDISPINFOW) {
      Fields.GiveText(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
      return 0;
    }
  }
  return DialogShell::HandleMessage(message, wParam, lParam);
}

bool ShowCommitPreview(HWND owner, HFONT font, const PreviewContent& content) {
  CommitPreviewDialog dialog;
  dialog.Create(owner, font, content);
  return dialog.Execute();
}

}  // namespace kip
