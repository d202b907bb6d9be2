// The list-view based controls: the text grid and the check list.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "ui/win/Controls.h"

namespace kip::win {

namespace {

int ItemCount(HWND list) { return std::max(0, static_cast<int>(Send(list, LVM_GETITEMCOUNT))); }

// The list view cannot say how long a text is: grow the buffer until the
// text fits.
std::wstring ItemText(HWND list, int item, int subItem) {
  std::wstring buffer(256, L'\0');
  for (;;) {
    LVITEMW lv{};
    lv.iSubItem = subItem;
    lv.pszText = buffer.data();
    lv.cchTextMax = static_cast<int>(buffer.size());
    auto length = static_cast<size_t>(
        std::max<LRESULT>(0, Send(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv))));
    if (length + 1 < buffer.size()) {
      buffer.resize(length);
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

void SetItemText(HWND list, int item, int subItem, std::wstring_view text) {
  std::wstring value(text);
  LVITEMW lv{};
  lv.iSubItem = subItem;
  lv.pszText = value.data();
  Send(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv));
}

int InsertItem(HWND list, int index, std::wstring_view text) {
  std::wstring value(text);
  LVITEMW lv{};
  lv.mask = LVIF_TEXT;
  lv.iItem = index;
  lv.pszText = value.data();
  return static_cast<int>(Send(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&lv)));
}

void SetItemState(HWND list, int item, UINT state, UINT mask) {
  LVITEMW lv{};
  lv.stateMask = mask;
  lv.state = state;
  Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv));
}

// Width left for columns when the vertical scroll bar shows, so that a full
// list does not also get a horizontal one.
int UsableWidth(HWND list) {
  RECT rc{};
  GetClientRect(list, &rc);
  return std::max(0, static_cast<int>(rc.right - rc.left) - GetSystemMetrics(SM_CXVSCROLL));
}

// Sets a flag for the life of a scope, also when an exception leaves it.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = old_; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
  bool old_;
};

// The dialog navigation takes Enter for the form's default button; a grid
// asks for it, so that Enter edits its row.
LRESULT GridHook(const WindowProcHook& hook, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = hook.CallOriginal(hwnd, message, wParam, lParam);
  if (message != WM_GETDLGCODE) return result;
  auto* msg = reinterpret_cast<const MSG*>(lParam);
  if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) result |= DLGC_WANTALLKEYS;
  return result;
}

void Run(const std::function<void()>& handler) {
  if (handler) handler();
}

}  // namespace

// ---------------------------------------------------------------------------
// Grid: the list view's header is row 0, data row r is item r - 1.

void Grid::Create(Container& parent, int id, const Rect& r, const StringList& columnTitles, DWORD style,
                  const std::vector<int>& widths) {
  CreateChild(parent, WC_LISTVIEWW, L"",
              WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | style,
              WS_EX_CLIENTEDGE, id, r);
  Send(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
       LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  cols_ = static_cast<int>(columnTitles.size());
  const bool given = widths.size() == columnTitles.size();
  int width = cols_ > 0 && !given ? UsableWidth(hwnd_) / cols_ : 0;
  for (int c = 0; c < cols_; ++c) {
    std::wstring title = columnTitles[static_cast<size_t>(c)];
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.cx = given ? widths[static_cast<size_t>(c)] : width;
    column.pszText = title.data();
    column.iSubItem = c;
    Send(hwnd_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column));
  }
  if (!(style & LVS_OWNERDATA)) SetRowCount(2);
  hook_.Attach(hwnd_, GridHook);
}

int Grid::ColCount() const { return cols_; }

int Grid::RowCount() const { return ItemCount(hwnd_) + 1; }

void Grid::SetRowCount(int rows) {
  if (!hwnd_) return;
  int items = std::max(rows, 1) - 1;
  int count = ItemCount(hwnd_);
  while (count < items) {
    if (InsertItem(hwnd_, count, L"") < 0) break;
    ++count;
  }
  while (count > items) Send(hwnd_, LVM_DELETEITEM, static_cast<WPARAM>(--count));
}

std::wstring Grid::Cell(int col, int row) const {
  if (!hwnd_ || col < 0 || col >= cols_ || row < 0 || row >= RowCount()) return {};
  if (row > 0) return ItemText(hwnd_, row - 1, col);
  wchar_t title[512] = {};
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT;
  column.pszText = title;
  column.cchTextMax = static_cast<int>(std::size(title));
  Send(hwnd_, LVM_GETCOLUMNW, static_cast<WPARAM>(col), reinterpret_cast<LPARAM>(&column));
  return column.pszText ? std::wstring(column.pszText) : std::wstring();
}

void Grid::SetCell(int col, int row, std::wstring_view text) {
  if (!hwnd_ || col < 0 || col >= cols_ || row < 0 || row >= RowCount()) return;
  if (row > 0) {
    SetItemText(hwnd_, row - 1, col, text);
    return;
  }
  std::wstring title(text);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT;
  column.pszText = title.data();
  Send(hwnd_, LVM_SETCOLUMNW, static_cast<WPARAM>(col), reinterpret_cast<LPARAM>(&column));
}

int Grid::Row() const {
  auto selected = static_cast<int>(Send(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (selected >= 0) return selected + 1;
  return ItemCount(hwnd_) > 0 ? 1 : 0;
}

void Grid::SetRow(int row) {
  if (!hwnd_ || row < 1 || row >= RowCount()) return;
  SetItemState(hwnd_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  SetItemState(hwnd_, row - 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  Send(hwnd_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row - 1), FALSE);
}

void Grid::SetColor(COLORREF color) {
  Send(hwnd_, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(color));
  Send(hwnd_, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(color));
  if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

bool Grid::OnNotify(NMHDR* header, LRESULT& /*result*/) {
  switch (header->code) {
    case NM_CLICK:
      Run(OnClick);
      return true;
    case NM_RETURN:
      Run(OnEnterKey);
      return true;
    case LVN_KEYDOWN: {
      WORD key = reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey;
      if (key == VK_INSERT) Run(OnInsertKey);
      if (key == VK_DELETE) Run(OnDeleteKey);
      return key == VK_INSERT || key == VK_DELETE;
    }
    default:
      return false;
  }
}

// ---------------------------------------------------------------------------
// CheckList

void CheckList::Create(Container& parent, int id, const Rect& r) {
  CreateChild(parent, WC_LISTVIEWW, L"",
              WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS, WS_EX_CLIENTEDGE,
              id, r);
  Send(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
       LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  column.cx = UsableWidth(hwnd_);
  Send(hwnd_, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
}

void CheckList::Clear() {
  FlagScope fromCode(settingFromCode_);
  Send(hwnd_, LVM_DELETEALLITEMS);
}

int CheckList::Add(std::wstring_view item, bool checked) {
  FlagScope fromCode(settingFromCode_);
  int index = InsertItem(hwnd_, ItemCount(hwnd_), item);
  if (index >= 0) SetItemState(hwnd_, index, INDEXTOSTATEIMAGEMASK(checked ? 2 : 1), LVIS_STATEIMAGEMASK);
  return index;
}

int CheckList::Count() const { return ItemCount(hwnd_); }

std::wstring CheckList::Item(int index) const {
  if (index < 0 || index >= Count()) return {};
  return ItemText(hwnd_, index, 0);
}

bool CheckList::Checked(int index) const {
  if (index < 0 || index >= Count()) return false;
  auto state = static_cast<UINT>(
      Send(hwnd_, LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_STATEIMAGEMASK));
  return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void CheckList::SetChecked(int index, bool checked) {
  if (index < 0 || index >= Count()) return;
  FlagScope fromCode(settingFromCode_);
  SetItemState(hwnd_, index, INDEXTOSTATEIMAGEMASK(checked ? 2 : 1), LVIS_STATEIMAGEMASK);
}

bool CheckList::OnNotify(NMHDR* header, LRESULT& /*result*/) {
  if (header->code != LVN_ITEMCHANGED || settingFromCode_) return false;
  auto* change = reinterpret_cast<NMLISTVIEW*>(header);
  if (change->iItem < 0 || !(change->uChanged & LVIF_STATE)) return false;
  UINT oldImage = change->uOldState & LVIS_STATEIMAGEMASK;
  UINT newImage = change->uNewState & LVIS_STATEIMAGEMASK;
  // An item without a state image yet is being set up, not clicked.
  if (oldImage == 0 || oldImage == newImage) return false;
  if (OnClickCheck) OnClickCheck(change->iItem);
  return true;
}

}  // namespace kip::win
