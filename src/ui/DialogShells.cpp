#include "ui/DialogShells.h"

#include "ui/win/Layout.h"

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

}  // namespace kip
