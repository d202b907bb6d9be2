// Exception types shared by every subsystem. Each carries the text shown to
// the user (the status bar shows Message()); what() gives the same in UTF-8.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>
#include <string_view>

#include "util/Text.h"

namespace kip {

class KipError : public std::runtime_error {
 public:
  explicit KipError(std::wstring message) : std::runtime_error(ToUtf8(message)), message_(std::move(message)) {}
  const std::wstring& Message() const noexcept { return message_; }

 private:
  std::wstring message_;
};

// Replaces every "%s" in a message pattern by the argument. Used instead of
// printf-style formatting so that names coming from the registry or the user
// can never be taken as format directives.
inline std::wstring FormatMessageText(std::wstring_view pattern, std::wstring_view argument) {
  std::wstring out;
  out.reserve(pattern.size() + argument.size());
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == L'%' && i + 1 < pattern.size() && pattern[i + 1] == L's') {
      out += argument;
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

// The system's text for a Win32 error code, without the trailing line break;
// empty when the system has none.
inline std::wstring SystemErrorText(DWORD code) {
  wchar_t* buffer = nullptr;
  DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                    FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text;
  if (length != 0 && buffer != nullptr) text.assign(buffer, length);
  if (buffer != nullptr) LocalFree(buffer);
  return Trim(text);
}

// A failed operating-system call, carrying its error code.
class EOSError : public KipError {
 public:
  explicit EOSError(DWORD code) : KipError(Describe(code)), code_(code) {}
  DWORD Code() const noexcept { return code_; }

 private:
  static std::wstring Describe(DWORD code) {
    std::wstring text = L"システムエラー.  コード: " + std::to_wstring(code) + L".";
    std::wstring system = SystemErrorText(code);
    if (!system.empty()) text += L"\n" + system;
    return text;
  }
  DWORD code_;
};

}  // namespace kip
