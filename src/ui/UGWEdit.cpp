#include "ui/UGWEdit.h"

namespace kip {

void TFormGWEdit::Create(HWND owner, HFONT font) {
  CreateShell(owner, font, L"TFormGWEdit", L"ゲートウェイ アドレス入力", 170, 80);
}

}  // namespace kip
