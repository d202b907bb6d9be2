#include "ui/KeepSettingDialog.h"

#include "ui/win/Layout.h"

namespace kip {

namespace {

enum : int { IDT_Question = 101, IDB_Keep, IDB_Return };

constexpr UINT_PTR kCountdownTimer = 1;
// Often enough that the shown second never lags by more than a quarter.
constexpr UINT kTickMs = 250;

}  // namespace

void KeepSettingDialog::Create(HWND owner, HFONT font) {
  CreateShell(owner, font, L"TKeepSetting", kKeepSettingTitle, 190, 56);
  win::DialogUnits du(font);
  LabelQuestion.Create(*this, IDT_Question, L"", du.R(10, 10, 170, 10));
  // Enter, and the focus the dialog opens with, mean "元に戻す": a user cut
  // off by the new setting, or pressing keys blind, never keeps it. Made
  // first, it is the first stop of the tab order.
  ButtonReturn.Create(*this, IDB_Return, L"元に戻す", du.R(128, 34, 54, 14), true);
  ButtonKeep.Create(*this, IDB_Keep, L"維持する", du.R(70, 34, 54, 14));
  ButtonKeep.OnClick = [this] { Answer(KeepAnswer::Keep); };
  ButtonReturn.OnClick = [this] { Answer(KeepAnswer::Return); };
  OnEnter = [this] { Answer(KeepAnswer::Return); };
  OnEscape = [this] { Answer(KeepAnswer::Return); };
  CenterOnOwner();
}

KeepAnswer KeepSettingDialog::Ask(int seconds) {
  deadline_ = GetTickCount64() + static_cast<ULONGLONG>(seconds > 0 ? seconds : 0) * 1000;
  answer_ = KeepAnswer::Return;  // the close box
  ShowRemaining();
  SetTimer(Handle(), kCountdownTimer, kTickMs, nullptr);
  RunModal();
  KillTimer(Handle(), kCountdownTimer);
  return answer_;
}

void KeepSettingDialog::ShowRemaining() {
  const ULONGLONG now = GetTickCount64();
  if (now >= deadline_) {
    Answer(KeepAnswer::TimedOut);
    return;
  }
  const ULONGLONG seconds = (deadline_ - now + 999) / 1000;
  LabelQuestion.SetText(L"この設定を維持しますか? 残り " + std::to_wstring(seconds) + L" 秒");
}

void KeepSettingDialog::Answer(KeepAnswer answer) {
  answer_ = answer;
  Hide();
}

LRESULT KeepSettingDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == kCountdownTimer) {
    if (IsWindowVisible(Handle())) ShowRemaining();
    return 0;
  }
  return DialogShell::HandleMessage(message, wParam, lParam);
}

KeepAnswer AskKeepSetting(HWND owner, HFONT font, int seconds) {
  KeepSettingDialog dialog;
  dialog.Create(owner, font);
  return dialog.Ask(seconds);
}

}  // namespace kip
