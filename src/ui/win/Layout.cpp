#include "ui/win/Layout.h"

#include <commctrl.h>

#include "ui/win/Controls.h"

namespace kip::win {

namespace {

std::vector<int> ColumnWidths(HWND list) {
  std::vector<int> widths;
  auto header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  int count = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
  for (int i = 0; i < count; ++i) widths.push_back(static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, i, 0)));
  return widths;
}

// The wrapper of a control when its container knows it: it keeps state
// that goes with the rectangle (the height of a drop-down list).
Window* Wrapper(HWND hwnd) {
  Container* container = Container::FromHandle(GetParent(hwnd));
  return container ? container->ControlOf(hwnd) : nullptr;
}

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

// ---------------------------------------------------------------------------
// ScaledLayout

void ScaledLayout::Capture(HWND root, const DialogUnits& units) {
  items_.clear();
  units_ = units;
  RECT client{};
  GetClientRect(root, &client);
  client_ = {client.right, client.bottom};
  CaptureChildren(root);
  captured_ = true;
}

void ScaledLayout::CaptureChildren(HWND parent) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    Window* wrapper = Wrapper(child);
    Rect bounds = wrapper ? wrapper->LayoutBounds() : Window(child).Bounds();
    items_.push_back({child, bounds, HasClass(child, WC_LISTVIEWW) ? ColumnWidths(child) : std::vector<int>{}});
    if (GetWindowLongPtrW(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) CaptureChildren(child);
  }
}

void ScaledLayout::CaptureLate(HWND parent, const DialogUnits& units) {
  if (!captured_) return;
  size_t first = items_.size();
  CaptureChildren(parent);
  for (size_t i = first; i < items_.size(); ++i) {
    items_[i].bounds = units_.Scale(items_[i].bounds, units);
    for (int& width : items_[i].columns) width = units_.ScaleX(width, units);
  }
}

void ScaledLayout::Apply(const DialogUnits& units, HFONT oldFont, HFONT newFont) const {
  for (const Item& item : items_) {
    if (!IsWindow(item.hwnd)) continue;
    if (reinterpret_cast<HFONT>(SendMessageW(item.hwnd, WM_GETFONT, 0, 0)) == oldFont && newFont) {
      SendMessageW(item.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(newFont), FALSE);
    }
    Rect bounds = units.Scale(item.bounds, units_);
    if (Window* wrapper = Wrapper(item.hwnd)) {
      wrapper->SetBounds(bounds);
    } else {
      Window(item.hwnd).SetBounds(bounds);
    }
    for (size_t c = 0; c < item.columns.size(); ++c) {
      SendMessageW(item.hwnd, LVM_SETCOLUMNWIDTH, c, MAKELPARAM(units.ScaleX(item.columns[c], units_), 0));
    }
  }
}

SIZE ScaledLayout::ClientSize(const DialogUnits& units) const {
  return {units.ScaleX(client_.cx, units_), units.ScaleY(client_.cy, units_)};
}

}  // namespace kip::win
