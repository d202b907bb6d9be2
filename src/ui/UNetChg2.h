// The dialog shown after a commit: what to do next.
#pragma once

#include "ui/DialogShells.h"

namespace kip {

class TNetChg2 : public DialogShell {
 public:
  void Create(HWND owner, HFONT font);
};

}  // namespace kip
