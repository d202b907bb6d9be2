// An icon in the notification area; removed again when it goes.
#pragma once

#include <windows.h>

#include <string_view>

namespace kip::win {

class TrayIcon {
 public:
  // The icon's number among the window's icons.
  static constexpr UINT kIconId = 1;

  TrayIcon();
  ~TrayIcon() { Remove(); }
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Shows the icon, or changes its picture and tool-tip when shown; its
  // mouse events come to `window` as `callbackMessage` (lParam the event).
  // False, and not shown, when the notification area refused it: a close
  // must then never hide the window.
  bool Show(HWND window, UINT callbackMessage, HICON icon, std::wstring_view tip);
  void Remove();
  // A notification beside the shown icon (an information icon, the title
  // and the text); a click on it comes as NIN_BALLOONUSERCLICK. False when
  // the icon is not shown or the notification area refused it.
  bool ShowBalloon(std::wstring_view title, std::wstring_view text);
  bool Shown() const { return shown_; }
  // True for the message Explorer broadcasts when it starts again with an
  // empty notification area: the icon is gone and must be shown anew.
  bool TaskbarRestarted(UINT message);

 private:
  UINT taskbarCreated_ = 0;
  HWND window_ = nullptr;
  HWND filtered_ = nullptr;  // the window that lets the broadcast through
  bool shown_ = false;
};

}  // namespace kip::win
