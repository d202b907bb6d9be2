// The domain account dialog of the domain join.
#pragma once

#include "ui/DialogShells.h"

namespace kip {

class TFormLogin : public DialogShell {
 public:
  void Create(HWND owner, HFONT font);
};

}  // namespace kip
