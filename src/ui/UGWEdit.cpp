#include "ui/UGWEdit.h"

#include "AddressDialogIds.h"

namespace kip {

void TFormGWEdit::Create(HWND owner, HFONT font) {
  CreateAddressDialog(owner, font, L"TFormGWEdit", L"ゲートウェイ アドレス入力", 168, 68);
  win::DialogUnits du(font);
  LabelGatewayAddr.Create(*this, IDT_LabelFirst, L"ゲートウェイ アドレス", du.R(8, 8, 96, 8));
  PanelAddress.CreateOn(*this, IDP_PanelAddress, du.R(8, 18, 96, 14));
  win::Edit* address[] = {&EditIP1, &EditIP2, &EditIP3, &EditIP4};
  PanelAddress.CreateBoxes(address, IDE_EditIP1, du);
  LabelMetric.Create(*this, IDT_LabelSecond, L"メトリック", du.R(8, 38, 96, 8));
  EditIP5.Create(*this, IDE_EditIP5, L"", du.R(8, 48, 32, 12));
  win::Edit* metric[] = {&EditIP5};
  const BoxLimit metricLimit[] = {MetricLimit()};
  AddBoxes(address, AddressLimits(), 3);
  AddBoxes(metric, metricLimit, 4);
  CreateButtons(du, 112, 18);
}

void TFormGWEdit::FillOffered(const AddressRow& offered) {
  FillBoxes(offered.address, 0);
  FillBoxes(offered.second, 4);
}

AddressRow TFormGWEdit::Composed() const {
  BoxTexts texts = Texts();
  return {ComposeAddress(texts, 0), ComposeNumber(texts.at(4))};
}

}  // namespace kip
