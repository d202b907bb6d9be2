#include "ui/DialogShells.h"

#include "ui/win/Layout.h"
#include "ui/win/Menus.h"

namespace kip {

void DialogShell::CreateShell(HWND owner, HFONT font, const wchar_t* className, std::wstring_view title, int width,
                               int height) {
  SetFormFont(font);
  win::DialogUnits du(font);
  CreateForm(className, title, du.X(width), du.Y(height), FixedDialogStyle(), WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME,
             owner);
  RECT ownerRect{};
  if (owner && GetWindowRect(owner, &ownerRect)) SetPosition(ownerRect.left, ownerRect.top);
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
  SetPosition(area.left + ((area.right - area.left) - (self.right - self.left)) / 2,
              area.top + ((area.bottom - area.top) - (self.bottom - self.top)) / 2);
}

void DialogShell::RunModal() {
  HWND owner = GetWindow(Handle(), GW_OWNER);
  const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  win::RegisterDialogWindow(Handle());
  Show();
  SetForegroundWindow(Handle());
  win::PumpWhile([this] { return IsWindow(Handle()) && IsWindowVisible(Handle()); });
  win::UnregisterDialogWindow(Handle());
  // The owner is enabled before the dialog goes, so that it gets the
  // activation back.
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  Hide();
}

}  // namespace kip
