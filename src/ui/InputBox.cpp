#include "ui/InputBox.h"

#include "ui/DialogShells.h"
#include "ui/win/Controls.h"
#include "ui/win/Layout.h"
#include "ui/win/Menus.h"

namespace kip {

namespace {

constexpr int kIdPrompt = 100;
constexpr int kIdText = 101;

class InputBoxForm : public DialogShell {
 public:
  void Build(HWND owner, HFONT font, const std::wstring& caption, const std::wstring& prompt,
             const std::wstring& proposal) {
    CreateShell(owner, font, L"TInputBox", caption, 220, 62);
    win::DialogUnits du(font);
    prompt_.Create(*this, kIdPrompt, prompt, du.R(7, 7, 206, 8));
    text_.Create(*this, kIdText, proposal, du.R(7, 18, 206, 12));
    ok_.Create(*this, IDOK, L"OK", du.R(106, 40, 50, 14), true);
    cancel_.Create(*this, IDCANCEL, L"キャンセル", du.R(163, 40, 50, 14));
    result_ = proposal;
    ok_.OnClick = [this] { Finish(text_.Text()); };
    cancel_.OnClick = [this] { Close(); };
    OnEnter = [this] { Finish(text_.Text()); };
    OnEscape = [this] { Close(); };
    OnCloseQuery = [this] {
      done_ = true;
      return true;
    };
    if (owner) CenterOnOwner();
  }

  std::wstring Run() {
    Show();
    text_.Focus();
    SendMessageW(text_.Handle(), EM_SETSEL, 0, -1);
    win::PumpWhile([this] { return !done_ && IsWindow(Handle()); });
    return result_;
  }

 private:
  void Finish(std::wstring text) {
    result_ = std::move(text);
    done_ = true;
    Hide();
  }

  win::Label prompt_;
  win::Edit text_;
  win::Button ok_, cancel_;
  std::wstring result_;
  bool done_ = false;
};

}  // namespace

std::wstring ShowInputBox(HWND owner, HFONT font, const std::wstring& caption, const std::wstring& prompt,
                          const std::wstring& proposal) {
  InputBoxForm box;
  box.Build(owner, font, caption, prompt, proposal);
  OwnerDisabled modal(owner);
  return box.Run();
}

}  // namespace kip
