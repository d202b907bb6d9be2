// The Internet page ("IE設定"): the proxy, its local bypass, the automatic
// configuration script and the home page.
#pragma once

#include "app/pages/Page.h"
#include "app/pages/PageValues.h"
#include "machine/InternetSettings.h"
#include "store/SettingRecord.h"
#include "ui/win/Controls.h"

namespace kip {


class InternetPage final : public ValuesPage<ProxyValues> {
 public:
  // "詳細設定を取り込む" was pressed: the frame reads the machine.
  std::function<void()> OnTakeOverClick;
  // The machine's proxy fields taken into the page, as the user's edit.
  void TakeOver(const ProxyFields& fields);

 private:
  void CreateControls(win::Panel& panel, const win::DialogUnits& du) override;
  void FillControls() override;
  ProxyValues ReadControls() const override;
  ProxyValues Tidied(ProxyValues values) const override;
  // A click on either switch, or leaving the server field: what the user
  // can edit for them and the server text.
  void SwitchClicked();
  void ApplySwitchRule();
  // What a shown setting leaves usable once its values are in.
  void ApplyLoadRule();

  win::CheckBox use_;
  win::GroupBox group_;
  win::Label serverLabel_;
  win::Edit server_;
  win::Label portLabel_;
  win::Edit port_;
  win::CheckBox bypassLocal_;
  win::Edit bypassList_;
  win::CheckBox detailed_;
  win::Button takeOver_;
  win::Label scriptLabel_;
  win::Edit autoConfigUrl_;
  win::Label homePageLabel_;
  win::Edit homePage_;
};

}  // namespace kip
