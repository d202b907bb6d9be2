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

void TFormDNSEdit::Create(HWND owner, HFONT font) {
  CreateShell(owner, font, L"TFormDNSEdit", L"アドレス入力", 160, 60);
}
void TNetChg2::Create(HWND owner, HFONT font) {
  CreateShell(owner, font, L"TNetChg2", L"ネットワーク設定を変更しました.", 200, 90);
}
void TFormGWEdit::Create(HWND owner, HFONT font) {
  CreateShell(owner, font, L"TFormGWEdit", L"ゲートウェイ アドレス入力", 170, 80);
}
void TFormIPEdit::Create(HWND owner, HFONT font) {
  CreateShell(owner, font, L"TFormIPEdit", L"IP アドレス入力", 170, 80);
}
void TFormOtherLAN::Create(HWND owner, HFONT font) {
  CreateShell(owner, font, L"TFormOtherLAN", L"他のLANカード設定のコピー", 220, 100);
}
void TFormLogin::Create(HWND owner, HFONT font) {
  CreateShell(owner, font, L"TFormLogin", L"ドメインのユーザー名とパスワード", 180, 80);
}

}  // namespace kip
