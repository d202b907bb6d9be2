// A hidden form that hosts the controls under test, and a counter for
// handlers.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "ui/win/Controls.h"
#include "ui/win/Form.h"

namespace kip::win::test {

class TestForm : public Form {
 public:
  TestForm() { CreateForm(L"KipWinTestForm", L"control test", 480, 360, WS_OVERLAPPEDWINDOW); }
};

// Dispatches what is waiting in this thread's queue (posted notifications,
// characters made by TranslateMessage).
inline void DispatchPending() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// A user's click on a push button, check box or radio button, as the button
// control itself reports it.
inline void UserClick(const Window& button) { SendMessageW(button.Handle(), BM_CLICK, 0, 0); }

// A user's click (or right click) in the middle of tab `index` of a tab control.
inline void ClickTab(HWND tabs, int index, bool right = false) {
  RECT tab{};
  SendMessageW(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&tab));
  const LPARAM at = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
  SendMessageW(tabs, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, at);
  SendMessageW(tabs, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
}

inline void KeyDown(HWND hwnd, WPARAM key) {
  SendMessageW(hwnd, WM_KEYDOWN, key, 1);
  SendMessageW(hwnd, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}

class WinTest : public testing::Test {
 protected:
  TestForm form;
};

}  // namespace kip::win::test
