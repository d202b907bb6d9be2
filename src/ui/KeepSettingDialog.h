// The question after a commit with automatic return: "この設定を維持しますか?
// 残り 60 秒", counting down, with "維持する" and "元に戻す". Enter, Escape
// and the close box mean "元に戻す": only a deliberate "維持する" keeps the
// new setting.
#pragma once

#include <windows.h>

#include "ui/DialogShells.h"
#include "ui/win/Controls.h"

namespace kip {

enum class KeepAnswer { Keep, Return, TimedOut };

inline constexpr wchar_t kKeepSettingTitle[] = L"確認付きで反映";

class KeepSettingDialog : public DialogShell {
 public:
  void Create(HWND owner, HFONT font);
  // Shows the question and waits for the answer or the end of `seconds`.
  KeepAnswer Ask(int seconds);

  win::Label LabelQuestion;
  win::Button ButtonKeep;
  win::Button ButtonReturn;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void ShowRemaining();
  void Answer(KeepAnswer answer);

  ULONGLONG deadline_ = 0;
  KeepAnswer answer_ = KeepAnswer::Return;
};

// The dialog made, asked and gone again.
KeepAnswer AskKeepSetting(HWND owner, HFONT font, int seconds);

}  // namespace kip
