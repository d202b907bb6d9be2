// The program's entry: one instance, the windows, the message loop.
#pragma once

#include <windows.h>

namespace kip {

// Runs the program; returns the process exit code.
int RunApplication(HINSTANCE instance, int showCommand);

}  // namespace kip
