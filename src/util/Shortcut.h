// Windows shortcut (.lnk) files.
#pragma once

#include <string>

#include "util/Errors.h"

namespace kip {

// The shell-link object or one of its interfaces could not be obtained
// (for example COM is not initialised on the calling thread).
// Its message is shown to the user (in the status bar), so it is Japanese.
class ShortcutError : public KipError {
 public:
  using KipError::KipError;
};

// Writes a shortcut to `target` with the given arguments, working folder,
// description and icon (the first icon of `iconFile`). ".lnk" is appended
// to `linkFile` unless it already ends so (any case); an existing file of
// that name is replaced. Returns whether the file was saved. Needs COM on
// the calling thread; throws ShortcutError when the shell-link object or
// one of its interfaces cannot be obtained.
bool CreateShortcut(const std::wstring& target, const std::wstring& arguments, const std::wstring& workingFolder,
                    const std::wstring& description, const std::wstring& linkFile, const std::wstring& iconFile);

// The name a shortcut is saved under: `linkFile`, with ".lnk" appended
// unless its last four characters are ".lnk" in any case.
std::wstring ShortcutFileName(const std::wstring& linkFile);

}  // namespace kip
