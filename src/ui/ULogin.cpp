#include "ui/ULogin.h"

namespace kip {

void TFormLogin::Create(HWND owner, HFONT font) {
  CreateShell(owner, font, L"TFormLogin", L"ドメインのユーザー名とパスワード", 180, 80);
}

}  // namespace kip
