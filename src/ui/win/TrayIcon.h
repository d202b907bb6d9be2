// An icon in the notification area; removed again when it goes.
#pragma once

#include <windows.h>

#include <string_view>

namespace kip::win {

class TrayIcon {
 public:
  TrayIcon() = default;
  ~TrayIcon() { Remove(); }
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Shows the icon, or changes its picture and tool-tip when shown; its
  // mouse events come to `window` as `callbackMessage` (lParam the event).
  bool Show(HWND window, UINT callbackMessage, HICON icon, std::wstring_view tip);
  void Remove();
  bool Shown() const { return shown_; }

 private:
  HWND window_ = nullptr;
  bool shown_ = false;
};

}  // namespace kip::win
