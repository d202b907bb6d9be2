// The one-address dialog of the DNS and WINS server lists.
#pragma once

#include "ui/AddressDialog.h"

namespace kip {

class TFormDNSEdit : public AddressDialog {
 public:
  void Create(HWND owner, HFONT font);

  win::Label LabelAddress;
  OctetPanel PanelAddress;
  win::Edit EditIP1, EditIP2, EditIP3, EditIP4;

 protected:
  void FillOffered(const AddressRow& offered) override;
  AddressRow Composed() const override;
};

}  // namespace kip
