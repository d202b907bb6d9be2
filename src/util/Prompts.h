// Everything that asks the user something goes through this interface, so
// that tests (and code without a window) can answer in the user's place.
#pragma once

#include <optional>
#include <string>

namespace kip {

enum class Answer { Yes, No, Cancel };

class Prompts {
 public:
  virtual ~Prompts() = default;
  // A plain message with one OK button.
  virtual void ShowMessage(const std::wstring& text) = 0;
  // A confirmation with Yes and No.
  virtual Answer ConfirmYesNo(const std::wstring& text) = 0;
  // A confirmation with Yes, No and Cancel.
  virtual Answer ConfirmYesNoCancel(const std::wstring& text) = 0;
  // A one-line input box; Cancel returns the proposal unchanged.
  virtual std::wstring InputBox(const std::wstring& caption, const std::wstring& prompt,
                                const std::wstring& proposal) = 0;
  // The open-file dialog; the chosen file's full path, nothing when
  // cancelled.
  virtual std::optional<std::wstring> ChooseFile() = 0;
};

// The application title shown in captions and message boxes.
inline constexpr wchar_t kApplicationTitle[] = L"HarluneIPコンフィグ";

}  // namespace kip
