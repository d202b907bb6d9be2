#include "ui/win/TrayIcon.h"

#include <shellapi.h>

#include <algorithm>

namespace kip::win {

namespace {

constexpr UINT kIconId = 1;

}  // namespace

bool TrayIcon::Show(HWND window, UINT callbackMessage, HICON icon, std::wstring_view tip) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = kIconId;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = callbackMessage;
  data.hIcon = icon;
  const size_t length = std::min(tip.size(), std::size(data.szTip) - 1);
  tip.copy(data.szTip, length);
  const bool shown = Shell_NotifyIconW(shown_ && window_ == window ? NIM_MODIFY : NIM_ADD, &data) != FALSE;
  if (shown) {
    window_ = window;
    shown_ = true;
  }
  return shown;
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

}  // namespace kip::win
