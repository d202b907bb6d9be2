// The domain page ("Domainほか"): the computer name, the switch to another
// domain or workgroup, and IP forwarding (stored and committed with a
// setting, but not offered on the window).
#pragma once

#include <string>

#include "app/pages/Page.h"
#include "app/pages/PageValues.h"
#include "store/SettingRecord.h"
#include "ui/win/Controls.h"

namespace kip {


class DomainPage final : public ValuesPage<DomainPageValues> {
 private:
  void CreateControls(win::Panel& panel, const win::DialogUnits& du) override;
  void FillControls() override;
  DomainPageValues ReadControls() const override;
  DomainPageValues Tidied(DomainPageValues values) const override;
  // The choices are usable while the switch is on, each name while its
  // choice is taken.
  void ApplyEnabling();

  win::GroupBox group_;
  win::Label machineNameLabel_;
  win::Edit machineName_;
  win::CheckBox change_;
  win::RadioButton joinDomain_;
  win::Edit domain_;
  win::RadioButton joinWorkGroup_;
  win::Edit workGroup_;
  win::RadioGroup choices_;
  win::Label caution_;
  win::CheckBox ipRouter_;
};

}  // namespace kip
