#include "ui/UDNSEdit.h"

namespace kip {

void TFormDNSEdit::Create(HWND owner, HFONT font) {
  CreateShell(owner, font, L"TFormDNSEdit", L"アドレス入力", 160, 60);
}

}  // namespace kip
