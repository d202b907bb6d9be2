// A function put in front of a control's own window procedure for as long as
// the control lives (classic subclassing). SetWindowSubclass does the same,
// but looks its chain up in a window property on every message, and under
// Wine reading a property is a round trip to the server: a tab control then
// paid two for each of the hundreds of messages of a start-up. The hook sits
// behind the window's user data instead, which no system control uses.
#pragma once

#include <windows.h>

namespace kip::win {

class WindowProcHook {
 public:
  // Sees every message first; hands it on with CallOriginal.
  using Proc = LRESULT (*)(const WindowProcHook& hook, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  WindowProcHook() = default;
  // Puts the control's own procedure back when the window still exists.
  ~WindowProcHook();
  WindowProcHook(const WindowProcHook&) = delete;
  WindowProcHook& operator=(const WindowProcHook&) = delete;

  // `data` is handed back through Data(); the hook is removed again when the
  // window is destroyed.
  void Attach(HWND hwnd, Proc proc, void* data = nullptr);
  LRESULT CallOriginal(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) const;
  void* Data() const { return data_; }

 private:
  static LRESULT CALLBACK Thunk(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void Detach();

  HWND hwnd_ = nullptr;
  WNDPROC original_ = nullptr;
  Proc proc_ = nullptr;
  void* data_ = nullptr;
};

}  // namespace kip::win
