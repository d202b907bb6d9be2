// Tab strip, page control and status bar.
#include <windows.h>

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>

#include "ui/win/Controls.h"

namespace kip::win {

namespace {

// A theme class list naming no class of any theme: the window is drawn and
// laid out unthemed while it is set.
constexpr wchar_t kNoThemeClass[] = L"KipNoTheme";

int TabCount(HWND tab) { return std::max(0, static_cast<int>(Send(tab, TCM_GETITEMCOUNT))); }

int InsertTab(HWND tab, int index, std::wstring_view caption) {
  std::wstring text(caption);
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = text.data();
  return static_cast<int>(Send(tab, TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
}

int CurrentTab(HWND tab) {
  auto index = static_cast<int>(Send(tab, TCM_GETCURSEL));
  return index < 0 ? -1 : index;
}

// Marks the selected tab, and only it, as pressed.
void SyncSelection(HWND tab, int selected) {
  if (selected >= 0 && CurrentTab(tab) != selected) Send(tab, TCM_SETCURSEL, static_cast<WPARAM>(selected));
  for (int i = 0; i < TabCount(tab); ++i) {
    TCITEMW item{};
    item.mask = TCIF_STATE;
    item.dwStateMask = TCIS_BUTTONPRESSED;
    Send(tab, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    bool pressed = (item.dwState & TCIS_BUTTONPRESSED) != 0;
    if (pressed == (i == selected)) continue;
    item.dwState = i == selected ? TCIS_BUTTONPRESSED : 0;
    Send(tab, TCM_SETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
}

// TCM_SETCURFOCUS, which another program sends to pick a tab as a user
// would, is handled loosely by some tab controls (Wine's): they leave the
// previous tab marked as pressed, which makes the next click on a tab select
// nothing. This hook repairs the marks.
LRESULT TabHook(const WindowProcHook& hook, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = hook.CallOriginal(hwnd, message, wParam, lParam);
  if (message == TCM_SETCURFOCUS) SyncSelection(hwnd, CurrentTab(hwnd));
  return result;
}

}  // namespace

// ---------------------------------------------------------------------------
// TabStrip

void TabStrip::Create(Container& parent, int id, const Rect& r) {
  CreateChild(parent, WC_TABCONTROLW, L"", WS_TABSTOP | WS_CLIPSIBLINGS, 0, id, r);
  hook_.Attach(hwnd_, TabHook);
}

void TabStrip::SetTabs(const StringList& captions) {
  Send(hwnd_, WM_SETREDRAW, FALSE);
  Send(hwnd_, TCM_DELETEALLITEMS);
  // Some tab controls lay out every tab again on each insert, which makes a
  // long list slow to fill:
  // - they measure the text of every tab; with fixed widths nothing is
  //   measured, and the real widths are measured once when the style goes
  //   back;
  // - themed, they look for the tab under the mouse pointer (hot tracking),
  //   which asks the display server where the pointer is; unthemed they do
  //   not. A theme class list that matches nothing turns the theme off
  //   until the list is removed again.
  SetWindowTheme(hwnd_, nullptr, kNoThemeClass);
  LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
  SetWindowLongPtrW(hwnd_, GWL_STYLE, style | TCS_FIXEDWIDTH);
  for (const auto& caption : captions) InsertTab(hwnd_, TabCount(hwnd_), caption);
  SetWindowLongPtrW(hwnd_, GWL_STYLE, style);
  SetWindowTheme(hwnd_, nullptr, nullptr);
  Send(hwnd_, WM_SETREDRAW, TRUE);
  InvalidateRect(hwnd_, nullptr, TRUE);
  ItemsChanged();
}

int TabStrip::Count() const { return TabCount(hwnd_); }

void TabStrip::SetMultiLine(bool multiLine) {
  LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
  LONG_PTR wanted = multiLine ? style | TCS_MULTILINE : style & ~static_cast<LONG_PTR>(TCS_MULTILINE);
  if (wanted != style) SetWindowLongPtrW(hwnd_, GWL_STYLE, wanted);
}

int TabStrip::RowCount() const { return std::max(1, static_cast<int>(Send(hwnd_, TCM_GETROWCOUNT))); }

std::wstring TabStrip::Tab(int index) const {
  if (index < 0 || index >= Count()) return {};
  // Captions are short names; the tab control does not tell their length.
  wchar_t text[1024] = {};
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = static_cast<int>(std::size(text));
  Send(hwnd_, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  return item.pszText ? std::wstring(item.pszText) : std::wstring();
}

int TabStrip::TabIndex() const { return CurrentTab(hwnd_); }

void TabStrip::SetTabIndex(int index) {
  if (index >= -1 && index < Count()) Send(hwnd_, TCM_SETCURSEL, static_cast<WPARAM>(index));
}

namespace {

// The tab after (or before) `current` of `count`, round.
int StepIndex(int current, int count, bool forward) {
  if (count <= 0) return -1;
  if (current < 0) return forward ? 0 : count - 1;
  return (current + (forward ? 1 : count - 1)) % count;
}

}  // namespace

void TabStrip::SelectNext(bool forward) {
  int next = StepIndex(TabIndex(), Count(), forward);
  // TCM_SETCURFOCUS asks the parent first, as a click on the tab does.
  if (next >= 0 && next != TabIndex()) Send(hwnd_, TCM_SETCURFOCUS, static_cast<WPARAM>(next));
}

bool TabStrip::OnNotify(NMHDR* header, LRESULT& result) {
  switch (header->code) {
    case TCN_SELCHANGE:
      if (OnChange) OnChange();
      return true;
    case NM_RCLICK: {
      if (!OnContextMenu) return false;
      POINT pt{};
      GetCursorPos(&pt);
      rightClickTime_ = GetMessageTime();
      OnContextMenu(pt);
      result = TRUE;
      return true;
    }
    default:
      return false;
  }
}

void TabStrip::ContextMenuAt(POINT screen) {
  // The same right click already opened the menu through NM_RCLICK.
  if (rightClickTime_ == GetMessageTime()) return;
  Control::ContextMenuAt(screen);
}

// ---------------------------------------------------------------------------
// PageControl: the pages are panels beside the tab control, in the same
// parent and just above it in the z-order, laid over its display area. The
// tab control clips them out of its painting (WS_CLIPSIBLINGS), and the
// panels' controls take part in the parent's dialog navigation.

void PageControl::Create(Container& parent, int id, const Rect& r) {
  CreateChild(parent, WC_TABCONTROLW, L"", WS_TABSTOP | WS_CLIPSIBLINGS, 0, id, r);
  // Each tab as wide as its caption: the default minimum makes short
  // captions ("DNS", "IPv6") as wide as long ones, which pushes the last
  // pages out of sight behind the scroll arrows.
  Send(hwnd_, TCM_SETMINTABWIDTH, 0, 1);
  hook_.Attach(hwnd_, TabHook);
  parent_ = parent.Handle();
}

Rect PageControl::PageBounds() const {
  if (!hwnd_) return {};
  Rect outer = Bounds();
  RECT rc{outer.x, outer.y, outer.x + outer.width, outer.y + outer.height};
  Send(hwnd_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rc));
  return {rc.left, rc.top, std::max(0L, rc.right - rc.left), std::max(0L, rc.bottom - rc.top)};
}

Panel& PageControl::AddPage(std::wstring_view caption) {
  int index = InsertTab(hwnd_, TabCount(hwnd_), caption);
  auto page = std::make_unique<Panel>();
  page->Create(parent_, PageBounds());
  HWND above = GetWindow(hwnd_, GW_HWNDPREV);
  SetWindowPos(page->Handle(), above ? above : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  pages_.push_back(std::move(page));
  // The first tab of a tab control may or may not become current by itself.
  if (index >= 0 && CurrentTab(hwnd_) < 0) Send(hwnd_, TCM_SETCURSEL, 0);
  ShowActivePage();
  return *pages_.back();
}

int PageControl::PageCount() const { return static_cast<int>(pages_.size()); }

Panel& PageControl::Page(int index) { return *pages_.at(static_cast<size_t>(index)); }

Rect PageControl::PageArea() const {
  Rect r = PageBounds();
  return {0, 0, r.width, r.height};
}

int PageControl::ActivePageIndex() const {
  int index = CurrentTab(hwnd_);
  return index < PageCount() ? index : -1;
}

void PageControl::SetActivePageIndex(int index) {
  if (index < 0 || index >= PageCount()) return;
  Send(hwnd_, TCM_SETCURSEL, static_cast<WPARAM>(index));
  ShowActivePage();
}

void PageControl::SelectNext(bool forward) {
  int active = ActivePageIndex();
  int next = StepIndex(active, PageCount(), forward);
  if (next < 0 || next == active) return;
  HWND focus = GetFocus();
  bool focusOnPage = active >= 0 && focus && IsChild(Page(active).Handle(), focus);
  Send(hwnd_, TCM_SETCURFOCUS, static_cast<WPARAM>(next));
  if (!focusOnPage || ActivePageIndex() != next) return;
  HWND page = Page(next).Handle();
  HWND first = GetNextDlgTabItem(page, nullptr, FALSE);
  SetFocus(first && IsChild(page, first) ? first : hwnd_);
}

void PageControl::ShowActivePage() {
  int active = ActivePageIndex();
  if (active >= 0 && OnPageShowing) OnPageShowing(active);
  // Show the new page before hiding the old one so that nothing flashes
  // through from the parent.
  if (active >= 0) pages_[static_cast<size_t>(active)]->SetVisible(true);
  for (int i = 0; i < PageCount(); ++i) {
    if (i != active) pages_[static_cast<size_t>(i)]->SetVisible(false);
  }
}

void PageControl::SetBounds(const Rect& r) {
  Control::SetBounds(r);
  Rect area = PageBounds();
  for (auto& page : pages_) page->SetBounds(area);
}

bool PageControl::OnNotify(NMHDR* header, LRESULT& /*result*/) {
  if (header->code != TCN_SELCHANGE) return false;
  ShowActivePage();
  if (OnChange) OnChange();
  return true;
}

// ---------------------------------------------------------------------------
// StatusBar

void StatusBar::Create(Container& parent, int id) {
  CreateChild(parent, STATUSCLASSNAMEW, L"", SBARS_SIZEGRIP, 0, id, Rect{});
  AutoSize();
}

void StatusBar::SetStatus(std::wstring_view text) {
  std::wstring value(text);
  Send(hwnd_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(value.c_str()));
  SetHint(text);
}

std::wstring StatusBar::Status() const {
  auto length = LOWORD(Send(hwnd_, SB_GETTEXTLENGTHW, 0));
  if (length == 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  Send(hwnd_, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
  text.resize(length);
  return text;
}

int StatusBar::Height() const { return Bounds().height; }

void StatusBar::AutoSize() { Send(hwnd_, WM_SIZE); }

}  // namespace kip::win
