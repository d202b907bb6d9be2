#include "ui/win/WindowProcHook.h"

#include <exception>

#include "ui/win/Window.h"

namespace kip::win {

WindowProcHook::~WindowProcHook() { Detach(); }

void WindowProcHook::Attach(HWND hwnd, Proc proc, void* data) {
  Detach();
  if (!hwnd || !proc) return;
  hwnd_ = hwnd;
  proc_ = proc;
  data_ = data;
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  original_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProcHook::Thunk)));
}

void WindowProcHook::Detach() {
  if (!hwnd_) return;
  if (IsWindow(hwnd_)) {
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  }
  hwnd_ = nullptr;
}

LRESULT WindowProcHook::CallOriginal(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) const {
  return CallWindowProcW(original_, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK WindowProcHook::Thunk(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* hook = reinterpret_cast<WindowProcHook*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!hook) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // The last message: the control's own procedure ends its life.
    WNDPROC original = hook->original_;
    hook->Detach();
    return CallWindowProcW(original, hwnd, message, wParam, lParam);
  }
  // Nothing may escape into the control's caller: the error goes to the
  // exception hook, as from every other window procedure.
  try {
    return hook->proc_(*hook, hwnd, message, wParam, lParam);
  } catch (...) {
    ReportException(hwnd, std::current_exception());
    return 0;
  }
}

}  // namespace kip::win
