#include "ui/Prompts.h"

#include <commdlg.h>

#include "ui/InputBox.h"
#include "ui/win/Form.h"

namespace kip {

namespace {

class MessageBoxPrompts final : public Prompts {
 public:
  explicit MessageBoxPrompts(HWND owner) : owner_(owner) {}

  void ShowMessage(const std::wstring& text) override {
    MessageBoxW(Owner(), text.c_str(), kApplicationTitle, MB_OK | MB_ICONINFORMATION);
  }

  Answer ConfirmYesNo(const std::wstring& text) override {
    int result = MessageBoxW(Owner(), text.c_str(), kApplicationTitle, MB_YESNO | MB_ICONQUESTION);
    return result == IDYES ? Answer::Yes : Answer::No;
  }

  Answer ConfirmYesNoCancel(const std::wstring& text) override {
    int result = MessageBoxW(Owner(), text.c_str(), kApplicationTitle, MB_YESNOCANCEL | MB_ICONQUESTION);
    if (result == IDYES) return Answer::Yes;
    if (result == IDNO) return Answer::No;
    return Answer::Cancel;
  }

  std::wstring InputBox(const std::wstring& caption, const std::wstring& prompt,
                        const std::wstring& proposal) override {
    HWND owner = Owner();
    win::Form* form = owner ? win::Form::FromHandle(owner) : nullptr;
    HFONT font = form ? form->FormFont() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    return ShowInputBox(owner, font, caption, prompt, proposal);
  }

  std::optional<std::wstring> ChooseFile() override {
    wchar_t file[MAX_PATH * 4] = {};
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = Owner();
    dialog.lpstrFilter = L"すべてのファイル (*.*)\0*.*\0";
    dialog.lpstrFile = file;
    dialog.nMaxFile = static_cast<DWORD>(std::size(file));
    dialog.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&dialog)) return std::nullopt;
    return std::wstring(file);
  }

 private:
  // The owner may have been destroyed since; a message box without owner
  // still shows.
  HWND Owner() const { return IsWindow(owner_) ? owner_ : nullptr; }
  HWND owner_;
};

}  // namespace

std::unique_ptr<Prompts> CreateMessageBoxPrompts(HWND owner) {
  return std::make_unique<MessageBoxPrompts>(owner);
}

}  // namespace kip
