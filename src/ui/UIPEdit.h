// The IP address and subnet mask dialog.
#pragma once

#include "ui/DialogShells.h"

namespace kip {

class TFormIPEdit : public DialogShell {
 public:
  void Create(HWND owner, HFONT font);
};

}  // namespace kip
