// The dialog that copies one card's stored settings to another card.
#pragma once

#include "ui/DialogShells.h"

namespace kip {

class TFormOtherLAN : public DialogShell {
 public:
  void Create(HWND owner, HFONT font);
};

}  // namespace kip
