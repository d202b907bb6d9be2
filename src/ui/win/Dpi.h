// Dots per inch of windows and monitors. The program declares itself aware of
// each monitor's DPI, so a window that moves to a monitor of another DPI
// rebuilds its font and layout (Form does). The calls that know a monitor's
// own DPI exist from Windows 8.1 and 10 on; they are looked up at run time,
// and where they are missing every monitor has the screen's DPI.
#pragma once

#include <windows.h>

#include "util/UniqueHandle.h"

namespace kip::win {

inline constexpr int kDefaultDpi = 96;

// The DPI of the monitor that holds most of the rectangle (screen pixels).
int DpiAt(const RECT& screenRect);

// The window rectangle around a client area of this size at `dpi` (frame
// and caption as they are drawn at that DPI), placed at the origin.
RECT WindowRectForClient(SIZE client, DWORD style, DWORD exStyle, bool hasMenu, int dpi);

// A copy of `font` made for `toDpi` (the font was made for `fromDpi`); the
// stock dialog font stands in for a null font.
UniqueHFont ScaledFont(HFONT font, int fromDpi, int toDpi);

}  // namespace kip::win
