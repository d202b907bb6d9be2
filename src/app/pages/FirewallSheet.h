// The firewall page ("ファイアウォール"): the switch of the firewall
// part, the firewall on or off, and a check per exception row. (The store's
// FirewallPage is the same part as it is stored.)
#pragma once

#include <optional>
#include <vector>

#include "app/pages/Page.h"
#include "app/pages/PageValues.h"
#include "machine/FirewallPolicy.h"
#include "ui/win/Controls.h"

namespace kip {


class FirewallSheet final : public ValuesPage<FirewallSheetValues> {
 private:
  void CreateControls(win::Panel& panel, const win::DialogUnits& du) override;
  void FillControls() override;
  FirewallSheetValues ReadControls() const override;
  // The choices are usable only while the switch is on.
  void ApplyEnabling();

  win::CheckBox use_;
  win::RadioButton on_;
  win::RadioButton off_;
  win::RadioGroup onOff_;
  win::CheckBox doNotAllowExceptions_;
  win::Label rowsLabel_;
  win::CheckList rows_;
};

}  // namespace kip
