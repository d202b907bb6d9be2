#include "ui/UIPEdit.h"

namespace kip {

void TFormIPEdit::Create(HWND owner, HFONT font) {
  CreateShell(owner, font, L"TFormIPEdit", L"IP アドレス入力", 170, 80);
}

}  // namespace kip
