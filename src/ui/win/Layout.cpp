#include "ui/win/Layout.h"

namespace kip::win {

namespace {

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

}  // namespace

UniqueHFont CreateUiFont(int dpi) {
  if (dpi <= 0) dpi = 96;
  return UniqueHFont(CreateFontW(-MulDiv(9, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                 DEFAULT_PITCH | FF_DONTCARE, L"MS UI Gothic"));
}

int ScreenDpi() {
  ScreenDc dc;
  int dpi = dc.get() ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : 96;
}

DialogUnits::DialogUnits(HFONT font) {
  ScreenDc dc;
  if (!dc.get()) return;
  SelectedFont selected(dc.get(), font);
  TEXTMETRICW metrics{};
  SIZE size{};
  static const wchar_t kAlphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  if (GetTextMetricsW(dc.get(), &metrics) && GetTextExtentPoint32W(dc.get(), kAlphabet, 52, &size)) {
    // The classic dialog base units: average width of the alphabet, rounded.
    baseX_ = (size.cx / 26 + 1) / 2;
    baseY_ = metrics.tmHeight;
    if (baseX_ <= 0) baseX_ = 8;
    if (baseY_ <= 0) baseY_ = 16;
  }
}

}  // namespace kip::win
