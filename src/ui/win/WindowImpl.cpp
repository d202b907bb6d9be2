#include "ui/win/WindowImpl.h"

#include <string>

#include "ui/win/Controls.h"
#include "ui/win/Menus.h"
#include "util/Errors.h"

namespace kip::win {

WindowImpl::~WindowImpl() {
  if (hwnd_ && IsWindow(hwnd_)) {
    // The derived parts are gone: later messages go to the default procedure.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  hwnd_ = nullptr;
}

HWND WindowImpl::CreateImpl(const wchar_t* className, DWORD exStyle, DWORD style, std::wstring_view title,
                            const Rect& r, HWND parent, HMENU menuOrId) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(instance, className, &wc)) {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &WindowImpl::Thunk;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = className;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) throw EOSError(GetLastError());
  }
  std::wstring caption(title);
  HWND hwnd = CreateWindowExW(exStyle, className, caption.c_str(), style, r.x, r.y, r.width, r.height, parent,
                              menuOrId, instance, this);
  if (!hwnd) throw EOSError(GetLastError());
  hwnd_ = hwnd;
  return hwnd;
}

LRESULT WindowImpl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK WindowImpl::Thunk(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowImpl* self = nullptr;
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    self = static_cast<WindowImpl*>(create->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    if (self) self->hwnd_ = hwnd;
  } else {
    self = reinterpret_cast<WindowImpl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);

  LRESULT result = 0;
  try {
    result = self->HandleMessage(message, wParam, lParam);
  } catch (...) {
    ReportException(hwnd, std::current_exception());
    result = 0;
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

// ---------------------------------------------------------------------------

Container::~Container() { DetachControls(); }

Container* Container::FromHandle(HWND hwnd) {
  if (!hwnd || reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)) != &WindowImpl::Thunk) return nullptr;
  return dynamic_cast<Container*>(reinterpret_cast<WindowImpl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
}

void Container::DetachControls() {
  // Child windows die with the container; the wrappers must not touch them.
  for (auto& [hwnd, control] : controls_) {
    control->container_ = nullptr;
    control->Attach(nullptr);
  }
  controls_.clear();
}

void Container::Register(Control& control) {
  if (control.Handle()) controls_[control.Handle()] = &control;
}

void Container::Unregister(Control& control) {
  std::erase_if(controls_, [&control](const auto& entry) { return entry.second == &control; });
}

void Container::OnMenuCommand(UINT id, std::function<void()> handler) { menuCommands_[id] = std::move(handler); }

UINT Container::NewCommandId() {
  if (nextCommandId_ > kLastCommandId) throw KipError(L"メニュー項目が多すぎます。");
  return nextCommandId_++;
}

Control* Container::ControlOf(HWND child) const {
  auto it = controls_.find(child);
  return it == controls_.end() ? nullptr : it->second;
}

LRESULT Container::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  std::optional<LRESULT> handled;
  switch (message) {
    case WM_COMMAND:
      handled = OnCommand(wParam, lParam);
      break;
    case WM_NOTIFY:
      handled = OnNotify(reinterpret_cast<NMHDR*>(lParam));
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      handled = OnCtlColor(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
      break;
    case WM_CONTEXTMENU:
      handled = OnContextMenu(reinterpret_cast<HWND>(wParam), lParam);
      break;
    case WM_NEXTDLGCTL:
      return OnNextDlgCtl(wParam, lParam);
    case WM_NCDESTROY:
      DetachControls();
      break;
    default:
      break;
  }
  return handled ? *handled : WindowImpl::HandleMessage(message, wParam, lParam);
}

std::optional<LRESULT> Container::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (lParam != 0) {
    Control* control = ControlOf(reinterpret_cast<HWND>(lParam));
    if (control && control->OnCommand(HIWORD(wParam))) return 0;
    return std::nullopt;
  }
  if (RunMenuCommand(LOWORD(wParam))) return 0;
  return std::nullopt;
}

bool Container::RunMenuCommand(UINT id) {
  auto it = menuCommands_.find(id);
  if (it != menuCommands_.end() && it->second) {
    it->second();
    return true;
  }
  // A child window's "menu" is its control id: only a top-level window has
  // a menu bar whose items may hold the command.
  const bool topLevel = !(GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_CHILD);
  return topLevel && MenuItem::DispatchCommand(GetMenu(hwnd_), id);
}

std::optional<LRESULT> Container::OnNotify(NMHDR* header) {
  Control* control = header ? ControlOf(header->hwndFrom) : nullptr;
  LRESULT result = 0;
  if (control && control->OnNotify(header, result)) return result;
  return std::nullopt;
}

std::optional<LRESULT> Container::OnCtlColor(UINT message, HDC dc, HWND child) {
  if (Control* control = ControlOf(child)) {
    if (HBRUSH brush = control->OnCtlColor(dc)) return reinterpret_cast<LRESULT>(brush);
  }
  if (message != WM_CTLCOLORSTATIC && message != WM_CTLCOLORBTN) return std::nullopt;
  // Labels, check boxes and read-only edits take the face colour of the
  // form or page they sit on.
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

std::optional<LRESULT> Container::OnContextMenu(HWND child, LPARAM screenPoint) {
  Control* control = ControlOf(child);
  if (!control || !control->OnContextMenu) return std::nullopt;
  POINT pt{static_cast<short>(LOWORD(screenPoint)), static_cast<short>(HIWORD(screenPoint))};
  if (screenPoint == -1 || (pt.x == -1 && pt.y == -1)) {
    // Context-menu key: the menu opens over the middle of the control.
    RECT rc{};
    GetWindowRect(control->Handle(), &rc);
    pt = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
  }
  control->ContextMenuAt(pt);
  return 0;
}

LRESULT Container::OnNextDlgCtl(WPARAM wParam, LPARAM lParam) {
  // Multi-line edits ask their parent for this when Tab is pressed in them;
  // the form moves through its own tab order.
  HWND root = GetAncestor(hwnd_, GA_ROOT);
  if (root && root != hwnd_) return SendMessageW(root, WM_NEXTDLGCTL, wParam, lParam);
  HWND target = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                               : GetNextDlgTabItem(root, GetFocus(), wParam != 0 ? TRUE : FALSE);
  if (target) {
    SetFocus(target);
    if (SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(target, EM_SETSEL, 0, -1);
  }
  return 0;
}

// ---------------------------------------------------------------------------

void Panel::Create(HWND parent, const Rect& r, int id) {
  CreateImpl(L"KipPanel", WS_EX_CONTROLPARENT, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, L"", r,
             parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
  ApplyEnabled();
}

LRESULT Panel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // A page is part of its form: WM_CLOSE (which a multi-line edit sends its
  // parent for Escape) must not destroy it with everything on it.
  if (message == WM_CLOSE) return 0;
  return Container::HandleMessage(message, wParam, lParam);
}

void Panel::ApplyEnabled() {
  Window::ApplyEnabled();
  bool effective = EffectiveEnabled();
  for (auto& [hwnd, control] : RegisteredControls()) {
    // Members of a group box follow their group box, which is itself here.
    if (control->EnableParent() == nullptr) control->SetParentEnabled(effective);
  }
}

}  // namespace kip::win
