// A one-line input box: caption, prompt, a text proposed by the caller, OK
// and Cancel. Cancel (Escape, the close box) gives back the proposal
// unchanged, so the caller always gets a text to check.
#pragma once

#include <windows.h>

#include <string>

namespace kip {

// Shows the box owned by `owner` (disabled meanwhile) and returns when it is
// closed; window messages are handled while it is shown.
std::wstring ShowInputBox(HWND owner, HFONT font, const std::wstring& caption, const std::wstring& prompt,
                          const std::wstring& proposal);

}  // namespace kip
