// The quick switch from the notification area, held by the frame as one
// member: the icon, its menu of settings, and the close that only hides.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "ui/win/Form.h"
#include "ui/win/TrayIcon.h"
#include "util/Text.h"

namespace kip {

// What the icon asks of the window it belongs to.
class TrayOwner {
 public:
  virtual ~TrayOwner() = default;
  // The settings in their order; nothing while a commit or a change of
  // setting runs.
  virtual std::optional<StringList> TraySettings() const = 0;
  // Shows the setting and commits it; the program carries on.
  virtual void CommitFromTray(int index) = 0;
  // The icon was shown or removed; a notification from it was clicked.
  virtual void TrayIconChanged() {}
  virtual void OfferClicked() {}
};

// Shows `menu` at the mouse for `window`; the chosen command, 0 for none.
UINT TrackMenuAtCursor(HMENU menu, HWND window);

class TrayMenu {
 public:
  static constexpr UINT kMessage = WM_APP + 40;

  TrayMenu(const win::Form& window, TrayOwner& owner) : window_(window), owner_(owner) {}

  std::wstring Tip() const;       // the name and the last committed setting
  int LastCommittedTab() const;  // -1 when none
  // While the window is busy (disabled, a dialog open, a commit or a change
  // of setting running) the icon's menu only opens the window.
  bool OffersOnlyOpen() const;
  void CommitTab(int tab);  // whatever exit choice is stored
  void EndProgram();        // also while the icon is shown

  void SetWanted(bool wanted);  // the option to show the icon
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

  StringList Settings() const;
  const win::Form& window_;
  TrayOwner& owner_;
  bool wanted_ = false;
  win::TrayIcon icon_;
  bool endRequested_ = false;
};

}  // namespace kip
