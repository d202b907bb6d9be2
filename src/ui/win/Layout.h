// Dialog units: positions are given in the units of the window's font so
// that layouts scale with the font and the screen's DPI.
#pragma once

#include <windows.h>

#include <vector>

#include "ui/win/Window.h"
#include "util/UniqueHandle.h"

namespace kip::win {

// The screen's device context for the life of a scope.
class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_) ReleaseDC(nullptr, dc_);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// Selects a font into a device context and puts the old one back.
class SelectedFont {
 public:
  SelectedFont(HDC dc, HFONT font) : dc_(dc), old_(font ? SelectObject(dc, font) : nullptr) {}
  ~SelectedFont() {
    if (old_) SelectObject(dc_, old_);
  }
  SelectedFont(const SelectedFont&) = delete;
  SelectedFont& operator=(const SelectedFont&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// The user-interface font of the program at the screen's DPI
// ("MS UI Gothic" 9 pt, the Japanese dialog font).
UniqueHFont CreateUiFont(int dpi);
int ScreenDpi();

class DialogUnits {
 public:
  DialogUnits() = default;
  // Measures the average character size of the font.
  explicit DialogUnits(HFONT font);
  int X(int dlu) const { return MulDiv(dlu, baseX_, 4); }
  int Y(int dlu) const { return MulDiv(dlu, baseY_, 8); }
  Rect R(int x, int y, int width, int height) const { return {X(x), Y(y), X(width), Y(height)}; }
  // Horizontal pixels in dialog units, rounded up.
  int DluX(int pixels) const { return (pixels * 4 + baseX_ - 1) / baseX_; }
  // Pixels laid out in the units `from`, in these units.
  int ScaleX(int pixels, const DialogUnits& from) const { return MulDiv(pixels, baseX_, from.baseX_); }
  int ScaleY(int pixels, const DialogUnits& from) const { return MulDiv(pixels, baseY_, from.baseY_); }
  Rect Scale(const Rect& r, const DialogUnits& from) const {
    return {ScaleX(r.x, from), ScaleY(r.y, from), ScaleX(r.width, from), ScaleY(r.height, from)};
  }

 private:
  int baseX_ = 8;
  int baseY_ = 16;
};

// Where the controls of a window sit, taken once at the dialog units of the
// font the window was built with, so that they can be placed again for any
// other font (another DPI). Every placement scales from that one capture:
// going back and forth between DPIs never lets rounding errors add up.
class ScaledLayout {
 public:
  bool Captured() const { return captured_; }
  // The client size and every child window, with the children of the
  // windows that host controls themselves (panels, pages) and the column
  // widths of list views.
  void Capture(HWND root, const DialogUnits& units);
  // Places the captured windows for `units`; those that used `oldFont` get
  // `newFont`. Windows destroyed since the capture are skipped.
  void Apply(const DialogUnits& units, HFONT oldFont, HFONT newFont) const;
  // Adds the children of `parent` made after the capture, placed now for
  // `units`, as if they had been there at the capture. Nothing before one.
  void CaptureLate(HWND parent, const DialogUnits& units);
  SIZE ClientSize(const DialogUnits& units) const;

 private:
  struct Item {
    HWND hwnd;
    Rect bounds;
    std::vector<int> columns;
  };
  void CaptureChildren(HWND parent);
  std::vector<Item> items_;
  DialogUnits units_;
  SIZE client_{};
  bool captured_ = false;
};

}  // namespace kip::win
