#include "ui/Prompts.h"

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
