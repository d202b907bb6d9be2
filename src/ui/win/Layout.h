// Dialog units: positions are given in the units of the window's font so
// that layouts scale with the font and the screen's DPI.
#pragma once

#include <windows.h>

#include "ui/win/Window.h"
#include "util/UniqueHandle.h"

namespace kip::win {

// The user-interface font of the program at the screen's DPI
// ("MS UI Gothic" 9 pt, the Japanese dialog font).
UniqueHFont CreateUiFont(int dpi);
int ScreenDpi();

class DialogUnits {
 public:
  // Measures the average character size of the font.
  explicit DialogUnits(HFONT font);
  int X(int dlu) const { return MulDiv(dlu, baseX_, 4); }
  int Y(int dlu) const { return MulDiv(dlu, baseY_, 8); }
  Rect R(int x, int y, int width, int height) const { return {X(x), Y(y), X(width), Y(height)}; }

 private:
  int baseX_ = 8;
  int baseY_ = 16;
};

}  // namespace kip::win
