// The IP address and subnet mask dialog: four address boxes, four mask
// boxes.
#pragma once

#include "ui/AddressDialog.h"

namespace kip {

class TFormIPEdit : public AddressDialog {
 public:
  void Create(HWND owner, HFONT font);

  win::Label LabelIPAddr;
  win::Label LabelNetMask;
  OctetPanel PanelAddress;
  OctetPanel PanelMask;
  win::Edit EditIP1, EditIP2, EditIP3, EditIP4;  // address
  win::Edit EditIP5, EditIP6, EditIP7, EditIP8;  // mask

 protected:
  void FillOffered(const AddressRow& offered) override;
  AddressRow Composed() const override;
};

}  // namespace kip
