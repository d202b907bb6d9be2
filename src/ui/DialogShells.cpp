#include "ui/DialogShells.h"

#include <algorithm>

#include "ui/win/Layout.h"
#include "ui/win/Menus.h"

namespace kip {

void DialogShell::CreateShell(HWND owner, HFONT font, const wchar_t* className, std::wstring_view title, int width,
                               int height, bool centred) {
  SetFormFont(font);
  win::DialogUnits du(font);
  CreateForm(className, title, du.X(width), du.Y(height), FixedDialogStyle(), WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME,
             owner);
  RECT ownerRect{};
  if (centred) {
    CenterOnOwner();
  } else if (owner && GetWindowRect(owner, &ownerRect)) {
    SetPosition(ownerRect.left, ownerRect.top);
  }
  Cancelled = true;
}

void DialogShell::CenterOnOwner() {
  HWND owner = GetWindow(Handle(), GW_OWNER);
  RECT area{};
  if (!owner || !GetWindowRect(owner, &area)) {
    CenterOnScreen();
    return;
  }
  RECT self{};
  GetWindowRect(Handle(), &self);
  const int width = self.right - self.left, height = self.bottom - self.top;
  // A dialog wider or taller than its owner stays inside the owner's
  // monitor: centred over a window at the screen's edge, it would start
  // off the screen, its title and first column cut.
  const RECT work = win::WorkAreaOf(owner);
  const int left = area.left + ((area.right - area.left) - width) / 2;
  const int top = area.top + ((area.bottom - area.top) - height) / 2;
  SetPosition(std::max<int>(work.left, std::min<int>(left, work.right - width)),
              std::max<int>(work.top, std::min<int>(top, work.bottom - height)));
}

void DialogShell::RunModal() {
  OwnerDisabled modal(GetWindow(Handle(), GW_OWNER));
  Show();
  SetForegroundWindow(Handle());
  win::PumpWhile([this] { return IsWindow(Handle()) && IsWindowVisible(Handle()); });
  modal.Release();
  Hide();
}

}  // namespace kip
