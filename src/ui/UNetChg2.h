// The dialog shown after a commit: shut down, restart, leave the program or
// carry on. It knows nothing of the main window: it is given the current
// exit choice and the menu's "show this dialog" mark, and reports the user's
// decision through its callbacks.
#pragma once

#include <functional>

#include "ui/DialogShells.h"
#include "ui/win/Controls.h"

namespace kip {

// The items of ComboBoxSelect, in the order of the exit choice values.
inline constexpr const wchar_t* kExitChoiceItems[] = {L"シャットダウン", L"再起動", L"プログラム終了", L"続ける"};

class TNetChg2 : public DialogShell {
 public:
  // Creates the hidden dialog with its texts and items.
  void Create(HWND owner, HFONT font);

  // Shows the dialog and returns at once. `exitChoice` is selected on the
  // first activation of the run (later showings keep the user's selection);
  // `showExitWin` is the menu's mark as it is now.
  void ShowAfterCommit(int exitChoice, bool showExitWin);

  // The selected item (-1 for none); after OK, the choice made.
  int Choice() const { return ComboBoxSelect.ItemIndex(); }
  // The mark the menu item must carry: the opposite of the check box once
  // the check box was clicked, whichever button then closes the dialog.
  bool ShowExitWin() const { return showExitWin_; }

  // Run at once when the check box is clicked, with the menu's new mark.
  std::function<void(bool showExitWin)> OnShowExitWinChange;
  // OK: the caller stores the choice and acts on it. The dialog stays open
  // for shut down and restart (Windows is ending) and closes otherwise.
  std::function<void(int choice)> OnChoice;

  win::Label LabelSelect;
  win::Label Image1;
  win::ComboList ComboBoxSelect;
  win::CheckBox CheckExitWin;
  win::Button ButtonOK;
  win::Button ButtonCancel;

 private:
  void FormActivate();
  void CheckExitWinClick();
  void ButtonOKClick();
  void ButtonCancelClick();

  bool activatedOnce_ = false;
  int initialChoice_ = 2;
  bool showExitWin_ = false;
};

}  // namespace kip
