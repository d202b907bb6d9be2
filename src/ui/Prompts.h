// The message boxes and dialogs that answer the prompts (util/Prompts.h).
#pragma once

#include <windows.h>

#include <memory>

#include "util/Prompts.h"

namespace kip {

// Message boxes owned by the given window (which may be null), titled with
// the application title.
std::unique_ptr<Prompts> CreateMessageBoxPrompts(HWND owner);

}  // namespace kip
