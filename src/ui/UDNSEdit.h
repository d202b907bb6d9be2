// The DNS and WINS address dialog.
#pragma once

#include "ui/DialogShells.h"

namespace kip {

class TFormDNSEdit : public DialogShell {
 public:
  void Create(HWND owner, HFONT font);
};

}  // namespace kip
