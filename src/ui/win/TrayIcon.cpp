#include "ui/win/TrayIcon.h"

#include <shellapi.h>

#include <algorithm>

namespace kip::win {

namespace {

// Explorer runs without administrator rights; the broadcast reaches an
// elevated window only when it lets that message through (Windows 7 and
// later; earlier versions filter nothing and lack the call).
void AllowFromLowerRights(HWND window, UINT message) {
  using Filter = BOOL(WINAPI*)(HWND, UINT, DWORD, PCHANGEFILTERSTRUCT);
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  auto filter = user32 ? reinterpret_cast<Filter>(
                             reinterpret_cast<void*>(GetProcAddress(user32, "ChangeWindowMessageFilterEx")))
                       : nullptr;
  if (filter) filter(window, message, MSGFLT_ALLOW, nullptr);
}

}  // namespace

TrayIcon::TrayIcon() : taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")) {}

bool TrayIcon::Show(HWND window, UINT callbackMessage, HICON icon, std::wstring_view tip) {
  if (taskbarCreated_ != 0 && filtered_ != window) {
    AllowFromLowerRights(window, taskbarCreated_);
    filtered_ = window;
  }
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = kIconId;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = callbackMessage;
  data.hIcon = icon;
  const size_t length = std::min(tip.size(), std::size(data.szTip) - 1);
  tip.copy(data.szTip, length);
  // A change that fails means the icon is no longer there, an addition
  // that fails that it still is: each tries the other.
  const bool modify = shown_ && window_ == window;
  const bool shown = Shell_NotifyIconW(modify ? NIM_MODIFY : NIM_ADD, &data) != FALSE ||
                     Shell_NotifyIconW(modify ? NIM_ADD : NIM_MODIFY, &data) != FALSE;
  window_ = window;
  shown_ = shown;
  return shown;
}

bool TrayIcon::ShowBalloon(std::wstring_view title, std::wstring_view text) {
  if (!shown_) return false;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window_;
  data.uID = kIconId;
  data.uFlags = NIF_INFO;
  data.dwInfoFlags = NIIF_INFO;
  title.substr(0, std::size(data.szInfoTitle) - 1).copy(data.szInfoTitle, std::size(data.szInfoTitle) - 1);
  text.substr(0, std::size(data.szInfo) - 1).copy(data.szInfo, std::size(data.szInfo) - 1);
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

void TrayIcon::Remove() {
  if (!shown_) return;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window_;
  data.uID = kIconId;
  Shell_NotifyIconW(NIM_DELETE, &data);
  shown_ = false;
}

bool TrayIcon::TaskbarRestarted(UINT message) {
  if (taskbarCreated_ == 0 || message != taskbarCreated_) return false;
  shown_ = false;
  return true;
}

}  // namespace kip::win
