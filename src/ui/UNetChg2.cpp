#include "ui/UNetChg2.h"

namespace kip {

void TNetChg2::Create(HWND owner, HFONT font) {
  CreateShell(owner, font, L"TNetChg2", L"ネットワーク設定を変更しました.", 200, 90);
}

}  // namespace kip
