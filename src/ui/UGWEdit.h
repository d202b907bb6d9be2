// The default gateway dialog: four address boxes and the metric box.
#pragma once

#include "ui/AddressDialog.h"

namespace kip {

class TFormGWEdit : public AddressDialog {
 public:
  void Create(HWND owner, HFONT font);

  win::Label LabelGatewayAddr;
  win::Label LabelMetric;
  OctetPanel PanelAddress;
  win::Edit EditIP1, EditIP2, EditIP3, EditIP4;  // gateway
  win::Edit EditIP5;                             // metric

 protected:
  void FillOffered(const AddressRow& offered) override;
  AddressRow Composed() const override;
};

}  // namespace kip
