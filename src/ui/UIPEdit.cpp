#include "ui/UIPEdit.h"

#include "AddressDialogIds.h"

namespace kip {

void TFormIPEdit::Create(HWND owner, HFONT font) {
  CreateAddressDialog(owner, font, L"TFormIPEdit", L"IP アドレス入力", 168, 70);
  win::DialogUnits du(font);
  LabelIPAddr.Create(*this, IDT_LabelFirst, L"IP アドレス", du.R(8, 8, 96, 8));
  PanelAddress.CreateOn(*this, IDP_PanelAddress, du.R(8, 18, 96, 14));
  win::Edit* address[] = {&EditIP1, &EditIP2, &EditIP3, &EditIP4};
  PanelAddress.CreateBoxes(address, IDE_EditIP1, du);
  LabelNetMask.Create(*this, IDT_LabelSecond, L"ネットワーク マスク", du.R(8, 38, 96, 8));
  PanelMask.CreateOn(*this, IDP_PanelMask, du.R(8, 48, 96, 14));
  win::Edit* mask[] = {&EditIP5, &EditIP6, &EditIP7, &EditIP8};
  PanelMask.CreateBoxes(mask, IDE_EditIP5, du);
  AddBoxes(address, AddressLimits(), 3);
  AddBoxes(mask, MaskLimits(), 3);
  CreateButtons(du, 112, 18);
  ClearResultOnShow();
}

void TFormIPEdit::FillOffered(const AddressRow& offered) {
  FillBoxes(offered.address, 0);
  FillBoxes(offered.second, 4);
}

AddressRow TFormIPEdit::Composed() const {
  BoxTexts texts = Texts();
  return {ComposeAddress(texts, 0), ComposeAddress(texts, 4)};
}

}  // namespace kip
