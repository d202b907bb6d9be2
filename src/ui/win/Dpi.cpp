#include "ui/win/Dpi.h"

#include "ui/win/Layout.h"

namespace kip::win {

namespace {

// MDT_EFFECTIVE_DPI of GetDpiForMonitor.
constexpr int kEffectiveDpi = 0;

using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

template <typename Fn>
Fn Lookup(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

HMODULE User32() { return GetModuleHandleW(L"user32.dll"); }

// shcore stays loaded for the rest of the run once asked for.
GetDpiForMonitorFn MonitorDpiCall() {
  static const GetDpiForMonitorFn call = Lookup<GetDpiForMonitorFn>(LoadLibraryW(L"shcore.dll"), "GetDpiForMonitor");
  return call;
}

}  // namespace

int DpiAt(const RECT& screenRect) {
  if (GetDpiForMonitorFn call = MonitorDpiCall()) {
    UINT x = 0, y = 0;
    HMONITOR monitor = MonitorFromRect(&screenRect, MONITOR_DEFAULTTONEAREST);
    if (monitor && SUCCEEDED(call(monitor, kEffectiveDpi, &x, &y)) && y > 0) return static_cast<int>(y);
  }
  return ScreenDpi();
}

RECT WindowRectForClient(SIZE client, DWORD style, DWORD exStyle, bool hasMenu, int dpi) {
  static const AdjustWindowRectExForDpiFn call =
      Lookup<AdjustWindowRectExForDpiFn>(User32(), "AdjustWindowRectExForDpi");
  RECT rect{0, 0, client.cx, client.cy};
  if (!call || !call(&rect, style, hasMenu ? TRUE : FALSE, exStyle, static_cast<UINT>(dpi))) {
    AdjustWindowRectEx(&rect, style, hasMenu ? TRUE : FALSE, exStyle);
  }
  OffsetRect(&rect, -rect.left, -rect.top);
  return rect;
}

UniqueHFont ScaledFont(HFONT font, int fromDpi, int toDpi) {
  LOGFONTW logFont{};
  HGDIOBJ source = font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT);
  if (!GetObjectW(source, sizeof logFont, &logFont)) return UniqueHFont();
  if (fromDpi > 0 && toDpi > 0) {
    logFont.lfHeight = MulDiv(logFont.lfHeight, toDpi, fromDpi);
    logFont.lfWidth = MulDiv(logFont.lfWidth, toDpi, fromDpi);
  }
  return UniqueHFont(CreateFontIndirectW(&logFont));
}

}  // namespace kip::win
