#include "ui/win/Window.h"

#include "ui/win/Form.h"
#include "util/Errors.h"
#include "util/Text.h"

namespace kip::win {

namespace {

// The hook that reports errors for `where`: its own form's, or that of the
// nearest owner with one (a dialog of the main window reports to the main
// window).
const ExceptionHook* HookFor(HWND where) {
  for (HWND top = where ? GetAncestor(where, GA_ROOT) : nullptr; top; top = GetWindow(top, GW_OWNER)) {
    const Form* form = Form::FromHandle(top);
    if (form && form->GetExceptionHook()) return &form->GetExceptionHook();
  }
  return nullptr;
}

}  // namespace

std::wstring ExceptionText(std::exception_ptr error) {
  if (!error) return {};
  try {
    std::rethrow_exception(error);
  } catch (const KipError& e) {
    return e.Message();
  } catch (const std::exception& e) {
    return FromUtf8(e.what());
  } catch (...) {
    return L"不明なエラーが発生しました。";
  }
}

void ReportException(HWND where, std::exception_ptr error) noexcept {
  try {
    std::wstring text = ExceptionText(error);
    if (const ExceptionHook* hook = HookFor(where)) {
      (*hook)(text);
    } else {
      text += L"\n";
      OutputDebugStringW(text.c_str());
    }
  } catch (...) {
    // The hook itself failed (out of memory, a broken status bar): nothing
    // is left to tell, and nothing may escape into the window procedure.
    OutputDebugStringW(L"exception while reporting an exception\n");
  }
}

bool HasClass(HWND hwnd, const wchar_t* className) {
  wchar_t name[64] = {};
  return GetClassNameW(hwnd, name, 64) && lstrcmpiW(name, className) == 0;
}

int Window::Id() const { return hwnd_ ? GetDlgCtrlID(hwnd_) : 0; }

void Window::SetText(std::wstring_view text) {
  if (hwnd_) SetWindowTextW(hwnd_, std::wstring(text).c_str());
}

std::wstring Window::Text() const {
  if (!hwnd_) return {};
  int length = GetWindowTextLengthW(hwnd_);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int copied = GetWindowTextW(hwnd_, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

void Window::SetEnabled(bool enabled) {
  enabled_ = enabled;
  ApplyEnabled();
}

void Window::SetParentEnabled(bool enabled) {
  parentEnabled_ = enabled;
  ApplyEnabled();
}

void Window::ApplyEnabled() {
  if (hwnd_) EnableWindow(hwnd_, EffectiveEnabled() ? TRUE : FALSE);
}

void Window::SetVisible(bool visible) {
  if (hwnd_) ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
}

bool Window::Visible() const { return hwnd_ && (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0; }

void Window::SetBounds(const Rect& r) {
  // A window kept in place costs nothing: layout passes that change nothing
  // (the main window lays out its frame after every change of the tabs)
  // send no messages and repaint nothing.
  if (hwnd_ && !(Bounds() == r)) {
    SetWindowPos(hwnd_, nullptr, r.x, r.y, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

Rect Window::Bounds() const {
  if (!hwnd_) return {};
  RECT rc{};
  GetWindowRect(hwnd_, &rc);
  HWND parent = (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_CHILD) ? GetParent(hwnd_) : nullptr;
  if (parent) MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rc), 2);
  return {rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top};
}

void Window::SetFont(HFONT font) {
  if (hwnd_) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void Window::StartGroup() {
  if (hwnd_) SetWindowLongPtrW(hwnd_, GWL_STYLE, GetWindowLongPtrW(hwnd_, GWL_STYLE) | WS_GROUP);
}

void Window::Focus() {
  if (hwnd_) SetFocus(hwnd_);
}

}  // namespace kip::win
