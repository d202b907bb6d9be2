#include "ui/UOtherLAN.h"

namespace kip {

void TFormOtherLAN::Create(HWND owner, HFONT font) {
  CreateShell(owner, font, L"TFormOtherLAN", L"他のLANカード設定のコピー", 220, 100);
}

}  // namespace kip
