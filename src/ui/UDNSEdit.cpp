#include "ui/UDNSEdit.h"

#include "AddressDialogIds.h"

namespace kip {

void TFormDNSEdit::Create(HWND owner, HFONT font) {
  CreateAddressDialog(owner, font, L"TFormDNSEdit", L"アドレス入力", 168, 46);
  win::DialogUnits du(font);
  LabelAddress.Create(*this, IDT_LabelFirst, L"アドレス", du.R(8, 8, 96, 8));
  PanelAddress.CreateOn(*this, IDP_PanelAddress, du.R(8, 18, 96, 14));
  win::Edit* address[] = {&EditIP1, &EditIP2, &EditIP3, &EditIP4};
  PanelAddress.CreateBoxes(address, IDE_EditIP1, du);
  AddBoxes(address, AddressLimits(), 3);
  CreateButtons(du, 112, 8);
}

void TFormDNSEdit::FillOffered(const AddressRow& offered) { FillBoxes(offered.address); }

AddressRow TFormDNSEdit::Composed() const { return {ComposeAddress(Texts(), 0), L""}; }

}  // namespace kip
