// The gateway address and metric dialog.
#pragma once

#include "ui/DialogShells.h"

namespace kip {

class TFormGWEdit : public DialogShell {
 public:
  void Create(HWND owner, HFONT font);
};

}  // namespace kip
