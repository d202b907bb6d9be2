#include "ui/win/Form.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/win/Dpi.h"

namespace kip::win {

namespace {

// More tab stops than any form has: a bound for walking a broken cycle.
constexpr size_t kMaxTabStops = 512;

bool KeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

bool IsDefaultPushButton(HWND hwnd) {
  return HasClass(hwnd, L"BUTTON") && (GetWindowLongPtrW(hwnd, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

BOOL CALLBACK ResizeStatusBar(HWND child, LPARAM parent) {
  if (GetParent(child) == reinterpret_cast<HWND>(parent) && HasClass(child, STATUSCLASSNAMEW)) {
    SendMessageW(child, WM_SIZE, 0, 0);
  }
  return TRUE;
}

}  // namespace

void Form::CreateForm(const wchar_t* className, std::wstring_view caption, int clientWidth, int clientHeight,
                      DWORD style, DWORD exStyle, HWND owner) {
  style &= ~WS_VISIBLE;
  exStyle |= WS_EX_CONTROLPARENT;
  // A fixed pop-up window gets the raised border of a dialog.
  if ((style & WS_POPUP) && !(style & WS_THICKFRAME)) exStyle |= WS_EX_DLGMODALFRAME;
  // The font given is made for the DPI of the owning form (or the screen's).
  Form* ownerForm = owner ? FromHandle(GetAncestor(owner, GA_ROOT)) : nullptr;
  baseDpi_ = dpi_ = ownerForm ? ownerForm->Dpi() : ScreenDpi();
  RECT rc{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&rc, style, FALSE, exStyle);
  Rect r{CW_USEDEFAULT, CW_USEDEFAULT, rc.right - rc.left, rc.bottom - rc.top};
  if (style & WS_POPUP) r.x = r.y = 0;
  CreateImpl(className, exStyle, style, caption, r, owner, nullptr);
}

DWORD Form::FixedDialogStyle() { return WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME; }

void Form::SetClientSize(int width, int height) {
  if (!hwnd_) return;
  // The difference between window and client size holds the frame and the
  // menu bar as it is now laid out (also when it wraps to several lines).
  RECT window{}, client{};
  GetWindowRect(hwnd_, &window);
  GetClientRect(hwnd_, &client);
  int dx = (window.right - window.left) - (client.right - client.left);
  int dy = (window.bottom - window.top) - (client.bottom - client.top);
  SetWindowPos(hwnd_, nullptr, 0, 0, width + dx, height + dy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Form* Form::FromHandle(HWND hwnd) { return dynamic_cast<Form*>(Container::FromHandle(hwnd)); }

void Form::Show() {
  if (!hwnd_) return;
  if (!IsWindowVisible(hwnd_)) {
    FollowOwnerMonitor();
    RECT rect{};
    GetWindowRect(hwnd_, &rect);
    ChangeDpi(DpiAt(rect));
  }
  // The main window's first show follows how the program was started
  // (minimized from a shortcut, for example).
  ShowWindow(hwnd_, (!shownOnce_ && isMain_) ? SW_SHOWDEFAULT : SW_SHOW);
  shownOnce_ = true;
  UpdateWindow(hwnd_);
}

void Form::FollowOwnerMonitor() {
  HWND owner = GetWindow(hwnd_, GW_OWNER);
  if (!owner || !(GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_POPUP)) return;
  if (MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST) == MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST)) return;
  RECT ownerRect{};
  if (GetWindowRect(owner, &ownerRect)) SetPosition(ownerRect.left, ownerRect.top);
}

void Form::ChangeDpi(int dpi, const RECT* suggested) {
  if (!hwnd_ || dpi <= 0 || dpi == dpi_) return;
  changingDpi_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{changingDpi_};
  HFONT oldFont = FormFont();
  DialogUnits before(oldFont);
  // The controls are where the form was built to have them only until the
  // first change.
  if (!layout_.Captured()) layout_.Capture(hwnd_, DialogUnits(font_));
  UniqueHFont copy = dpi == baseDpi_ ? UniqueHFont() : ScaledFont(font_, baseDpi_, dpi);
  HFONT newFont = copy ? copy.get() : font_;
  DialogUnits now(newFont);
  layout_.Apply(now, oldFont, newFont);
  // The previous copy is deleted once no control uses it any more.
  std::swap(scaledFont_, copy);
  dpi_ = dpi;
  PlaceForDpi(suggested, before, now);
  if (OnDpiChanged) OnDpiChanged();
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void Form::AdoptControls(HWND parent) { layout_.CaptureLate(parent, DialogUnits(FormFont())); }

void Form::PlaceForDpi(const RECT* suggested, const DialogUnits& before, const DialogUnits& now) {
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
  const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
  if (style & WS_THICKFRAME) {
    if (suggested) {
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, flags);
    } else {
      RECT client{};
      GetClientRect(hwnd_, &client);
      SetClientSize(now.ScaleX(client.right, before), now.ScaleY(client.bottom, before));
    }
    return;
  }
  RECT window = WindowRectForClient(layout_.ClientSize(now), style, exStyle, GetMenu(hwnd_) != nullptr, dpi_);
  POINT at = suggested ? POINT{suggested->left, suggested->top} : Position();
  SetWindowPos(hwnd_, nullptr, at.x, at.y, window.right, window.bottom, flags);
}

void Form::MoveInTabOrder(const Window& control, const Window& after) {
  tabMoves_.emplace_back(control.Handle(), after.Handle());
}

std::vector<HWND> Form::TabOrder() const {
  std::vector<HWND> order;
  HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
  for (HWND item = first; item && order.size() < kMaxTabStops; item = GetNextDlgTabItem(hwnd_, item, FALSE)) {
    if (!order.empty() && item == first) break;
    order.push_back(item);
  }
  for (auto [control, after] : tabMoves_) {
    auto moved = std::find(order.begin(), order.end(), control);
    if (moved == order.end() || std::find(order.begin(), order.end(), after) == order.end()) continue;
    order.erase(moved);
    order.insert(std::find(order.begin(), order.end(), after) + 1, control);
  }
  return order;
}

HWND Form::NextTabStop(HWND from, bool previous) const {
  if (!tabMoves_.empty()) {
    std::vector<HWND> order = TabOrder();
    auto at = std::find_if(order.begin(), order.end(), [from](HWND item) { return item == from || IsChild(item, from); });
    if (at != order.end()) {
      const size_t n = order.size();
      const auto i = static_cast<size_t>(at - order.begin());
      return order[previous ? (i + n - 1) % n : (i + 1) % n];
    }
  }
  return GetNextDlgTabItem(hwnd_, from && IsChild(hwnd_, from) ? from : nullptr, previous ? TRUE : FALSE);
}

bool Form::TranslateKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || KeyDown(VK_CONTROL) || KeyDown(VK_MENU)) return false;
  if (msg.wParam != VK_TAB && msg.wParam != VK_RETURN) return false;
  HWND focus = GetFocus();
  if (!focus || !IsChild(hwnd_, focus)) return false;
  const LRESULT code = SendMessageW(focus, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
  if (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
  if (msg.wParam == VK_TAB) {
    if (code & DLGC_WANTTAB) return false;
    SendMessageW(hwnd_, WM_NEXTDLGCTL, KeyDown(VK_SHIFT) ? 1 : 0, 0);
    return true;
  }
  if (!(code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) || !IsWindowEnabled(focus)) return false;
  SendMessageW(focus, BM_CLICK, 0, 0);
  return true;
}

void Form::Hide() {
  if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

void Form::Close() {
  if (hwnd_) SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

RECT WorkAreaOf(HWND window) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
  return info.rcWork;
}

void Form::CenterOnScreen() {
  if (!hwnd_) return;
  HWND owner = GetWindow(hwnd_, GW_OWNER);
  RECT rc{};
  GetWindowRect(hwnd_, &rc);
  const RECT work = WorkAreaOf(owner ? owner : hwnd_);
  int x = work.left + ((work.right - work.left) - (rc.right - rc.left)) / 2;
  int y = work.top + ((work.bottom - work.top) - (rc.bottom - rc.top)) / 2;
  SetPosition(x, y);
}

void Form::SetPosition(int left, int top) {
  if (hwnd_) SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

POINT Form::Position() const {
  RECT rc{};
  if (hwnd_) GetWindowRect(hwnd_, &rc);
  return {rc.left, rc.top};
}

void Form::Maximize() {
  if (hwnd_) ShowWindow(hwnd_, SW_MAXIMIZE);
  shownOnce_ = true;
}

bool Form::IsMaximized() const { return hwnd_ && IsZoomed(hwnd_); }

void Form::SetIcon(HICON icon) {
  if (!hwnd_) return;
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

namespace {

void AddTool(HWND tooltip, HWND form, Window& control) {
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND;
  tool.hwnd = form;
  tool.uId = reinterpret_cast<UINT_PTR>(control.Handle());
  tool.lpszText = LPSTR_TEXTCALLBACKW;
  tool.lParam = reinterpret_cast<LPARAM>(&control);
  SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace

HWND Form::ToolTip() const {
  if (tooltip_ || !hwnd_) return tooltip_;
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  if (!tooltip_) return nullptr;  // hints are a comfort; the form works without
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 400);
  for (auto [window, control] : hintTools_) {
    if (IsWindow(window)) AddTool(tooltip_, hwnd_, *control);
  }
  return tooltip_;
}

void Form::AddHintTool(Window& control) {
  if (!hwnd_ || !control.Handle()) return;
  hintTools_.emplace_back(control.Handle(), &control);
  if (tooltip_) AddTool(tooltip_, hwnd_, control);
}

void Form::RemoveHintTool(Window& control) {
  std::erase_if(hintTools_, [&control](const auto& tool) { return tool.second == &control; });
  if (!tooltip_ || !control.Handle()) return;
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(control.Handle());
  SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Form::RelayHintEvent(const MSG& msg) {
  // A form none of whose controls has a hint yet (a dialog like the
  // preview) makes no window for the mouse passing over it.
  const auto hasHint = [](const auto& tool) { return IsWindow(tool.first) && !tool.second->Hint().empty(); };
  if (!tooltip_ && std::none_of(hintTools_.begin(), hintTools_.end(), hasHint)) return;
  if (HWND tooltip = ToolTip()) SendMessageW(tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

void Form::RestoreFocus() {
  if (lastFocus_ && IsWindow(lastFocus_) && IsChild(hwnd_, lastFocus_) && IsWindowVisible(lastFocus_) &&
      IsWindowEnabled(lastFocus_)) {
    SetFocus(lastFocus_);
    return;
  }
  if (HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE)) SetFocus(first);
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  std::optional<LRESULT> handled;
  switch (message) {
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(FormFont());
    case DM_GETDEFID:
      handled = DefaultButtonId();
      break;
    case WM_DPICHANGED:
      // A form already made for that DPI (it was rebuilt before it was
      // shown there) keeps its size: the suggested one scales it again.
      ChangeDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_ACTIVATE:
      Activated(wParam);
      return 0;
    case WM_CLOSE:
      CloseRequested();
      return 0;
    case WM_DESTROY:
      Destroying();
      break;
    case WM_NCDESTROY:
      tooltip_ = nullptr;
      hintTools_.clear();
      break;
    case WM_GETMINMAXINFO:
      handled = LimitTrackSize(*reinterpret_cast<MINMAXINFO*>(lParam));
      break;
    case WM_SIZE:
      Resized(LOWORD(lParam), HIWORD(lParam));
      break;
    default:
      break;
  }
  return handled ? *handled : Container::HandleMessage(message, wParam, lParam);
}

std::optional<LRESULT> Form::DefaultButtonId() const {
  // Enter presses the focused push button, as in a dialog, or else the
  // form's default button; without one the dialog navigation falls back to
  // IDOK.
  HWND focus = GetFocus();
  if (focus && IsChild(hwnd_, focus) &&
      (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
    return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
  }
  for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (IsDefaultPushButton(child) && IsWindowVisible(child) && IsWindowEnabled(child)) {
      return MAKELRESULT(GetDlgCtrlID(child), DC_HASDEFID);
    }
  }
  return std::nullopt;
}

LRESULT Form::OnNextDlgCtl(WPARAM wParam, LPARAM lParam) {
  // Tab and Shift+Tab, from the dialog navigation or a multi-line edit,
  // follow the form's tab order.
  if (LOWORD(lParam)) return Container::OnNextDlgCtl(wParam, lParam);
  HWND target = NextTabStop(GetFocus(), wParam != 0);
  return target ? Container::OnNextDlgCtl(reinterpret_cast<WPARAM>(target), TRUE) : 0;
}

void Form::Activated(WPARAM wParam) {
  if (LOWORD(wParam) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
    return;
  }
  // Like a dialog: the control that had the focus gets it back.
  if (!HIWORD(wParam)) RestoreFocus();
  if (OnActivate) OnActivate();
}

void Form::CloseRequested() {
  if (OnCloseQuery && !OnCloseQuery()) return;
  if (OnClose) OnClose();
  // Dialogs are hidden, not destroyed: their owner reads their state.
  if (isMain_) {
    DestroyWindow(hwnd_);
  } else {
    Hide();
  }
}

void Form::Destroying() {
  // The loop must end even when the handler fails.
  struct QuitOnExit {
    bool quit;
    ~QuitOnExit() {
      if (quit) PostQuitMessage(0);
    }
  } quitOnExit{isMain_};
  if (OnDestroy) OnDestroy();
}

std::optional<LRESULT> Form::OnNotify(NMHDR* header) {
  if (!tooltip_ || !header || header->hwndFrom != tooltip_ || header->code != TTN_GETDISPINFOW) {
    return Container::OnNotify(header);
  }
  auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
  auto* control = reinterpret_cast<const Window*>(info->lParam);
  tipText_ = control ? control->Hint() : std::wstring();
  info->lpszText = tipText_.data();
  info->hinst = nullptr;
  return 0;
}

std::optional<LRESULT> Form::LimitTrackSize(MINMAXINFO& info) const {
  if (!MinimumClientSize || changingDpi_) return std::nullopt;
  SIZE least = MinimumClientSize();
  RECT window{}, client{};
  GetWindowRect(hwnd_, &window);
  GetClientRect(hwnd_, &client);
  info.ptMinTrackSize.x = least.cx + (window.right - window.left) - client.right;
  info.ptMinTrackSize.y = least.cy + (window.bottom - window.top) - client.bottom;
  return 0;
}

void Form::Resized(int width, int height) {
  EnumChildWindows(hwnd_, ResizeStatusBar, reinterpret_cast<LPARAM>(hwnd_));
  if (OnResize) OnResize(width, height);
}

std::optional<LRESULT> Form::OnCommand(WPARAM wParam, LPARAM lParam) {
  const UINT id = LOWORD(wParam);
  if (id != IDOK && id != IDCANCEL) return Container::OnCommand(wParam, lParam);
  const auto sender = reinterpret_cast<HWND>(lParam);
  const bool fromControl = sender != nullptr && GetParent(sender) != nullptr && IsChild(hwnd_, sender);
  // Enter and Escape from the dialog navigation arrive as IDOK and IDCANCEL
  // with no button behind them.
  const bool fromButton =
      fromControl && HIWORD(wParam) == BN_CLICKED && GetDlgItem(hwnd_, static_cast<int>(id)) != nullptr;
  if (fromButton) return Container::OnCommand(wParam, lParam);
  if (const auto& handler = id == IDOK ? OnEnter : OnEscape) {
    handler();
    return 0;
  }
  if (lParam == 0) return 0;
  return Container::OnCommand(wParam, lParam);
}

}  // namespace kip::win
