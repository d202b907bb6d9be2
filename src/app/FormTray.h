// The quick switch from the notification area, held by the frame as one
// member: the icon, its menu of settings, and the close that only hides.
#pragma once

#include <windows.h>

#include <string>

#include "ui/win/TrayIcon.h"

namespace kip {

class TFormIpconfig;

class TrayMenu {
 public:
  static constexpr UINT kMessage = WM_APP + 40;

  explicit TrayMenu(TFormIpconfig& frame) : frame_(frame) {}

  std::wstring Tip() const;       // the name and the last committed setting
  int LastCommittedTab() const;  // -1 when none
  // While the window is busy (disabled, a dialog open, a commit or a change
  // of setting running) the icon's menu only opens the window.
  bool OffersOnlyOpen() const;
  void CommitTab(int tab);  // whatever exit choice is stored
  void EndProgram();        // also while the icon is shown

  void ToggleShown();
  void Update();
  void OnEvent(LPARAM event);
  bool OnTaskbarMessage(UINT message);
  bool HideInsteadOfClosing();
  bool IconShown() const { return icon_.Shown(); }
  // A notification from the icon; a click on it comes to OnEvent.
  void ShowBalloon(const std::wstring& text);

 private:
  void ShowMenu();
  void ShowWindowAgain();
  void RunCommand(UINT command);

  TFormIpconfig& frame_;
  win::TrayIcon icon_;
  bool endRequested_ = false;
};

}  // namespace kip
