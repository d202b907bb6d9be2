#include "ui/UNetChg2.h"

#include "ui/win/Layout.h"

namespace kip {

namespace {

enum : int {
  IDC_Image1 = 101,
  IDC_LabelSelect,
  IDC_ComboBoxSelect,
  IDC_CheckExitWin,
  IDC_ButtonOK,
  IDC_ButtonCancel,
};

constexpr int kShutdownChoice = 0;
constexpr int kRestartChoice = 1;

// The dialog has no title-bar buttons: the user answers with OK or Cancel.
void RemoveTitleBarButtons(HWND hwnd) {
  const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
  SetWindowLongPtrW(hwnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_SYSMENU));
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void TNetChg2::Create(HWND owner, HFONT font) {
  CreateShell(owner, font, L"TNetChg2", L"ネットワーク設定を変更しました.", 200, 88);
  RemoveTitleBarButtons(Handle());
  win::DialogUnits du(font);
  Image1.Create(*this, IDC_Image1, L"", du.R(8, 8, 20, 20), SS_ICON);
  SendMessageW(Image1.Handle(), STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_INFORMATION)), 0);
  LabelSelect.Create(*this, IDC_LabelSelect, L"この中から選んでください.", du.R(36, 8, 156, 10));
  ComboBoxSelect.Create(*this, IDC_ComboBoxSelect, du.R(36, 22, 156, 12), 4);
  for (const wchar_t* item : kExitChoiceItems) ComboBoxSelect.Add(item);
  CheckExitWin.Create(*this, IDC_CheckExitWin, L"次回から表示しない.", du.R(36, 42, 156, 10));
  ButtonOK.Create(*this, IDC_ButtonOK, L"OK", du.R(84, 66, 50, 14), true);
  ButtonCancel.Create(*this, IDC_ButtonCancel, L"キャンセル", du.R(142, 66, 50, 14));

  OnActivate = [this] { FormActivate(); };
  CheckExitWin.OnClick = [this] { CheckExitWinClick(); };
  ButtonOK.OnClick = [this] { ButtonOKClick(); };
  ButtonCancel.OnClick = [this] { ButtonCancelClick(); };
  OnEnter = [this] { ButtonOK.Click(); };
  OnEscape = [this] { ButtonCancel.Click(); };
}

void TNetChg2::ShowAfterCommit(int exitChoice, bool showExitWin) {
  initialChoice_ = exitChoice;
  showExitWin_ = showExitWin;
  Cancelled = true;
  Show();
}

void TNetChg2::FormActivate() {
  if (activatedOnce_) return;
  activatedOnce_ = true;
  UpdateWindow(Handle());
  ComboBoxSelect.SetItemIndex(initialChoice_);
}

void TNetChg2::CheckExitWinClick() {
  showExitWin_ = !CheckExitWin.Checked();
  if (OnShowExitWinChange) OnShowExitWinChange(showExitWin_);
}

void TNetChg2::ButtonOKClick() {
  Cancelled = false;
  const int choice = Choice();
  if (OnChoice) OnChoice(choice);
  // While Windows shuts down or restarts the dialog stays on the screen.
  if (choice != kShutdownChoice && choice != kRestartChoice) Hide();
}

void TNetChg2::ButtonCancelClick() {
  Cancelled = true;
  Hide();
}

}  // namespace kip
