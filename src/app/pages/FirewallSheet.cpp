#include "app/pages/FirewallSheet.h"

#include "MainIds.h"

namespace kip {

void FirewallSheet::CreateControls(win::Panel& panel, const win::DialogUnits& du) {
  use_.Create(panel, IDX_CheckFWUse, L"ファイアウォール切り替え機能を使用する", du.R(8, 6, 290, 10));
  on_.Create(panel, IDR_RadioFWTrue, L"有効", du.R(20, 20, 60, 10), true);
  off_.Create(panel, IDR_RadioFWFalse, L"無効", du.R(84, 20, 60, 10), false);
  onOff_.Add(on_);
  onOff_.Add(off_);
  doNotAllowExceptions_.Create(panel, IDX_FWDoNotAllowExceptions, L"例外を許可しない", du.R(20, 34, 200, 10));
  doNotAllowExceptions_.StartGroup();
  rowsLabel_.Create(panel, IDT_LabelFWReigai, L"例外", du.R(8, 50, 100, 8));
  rows_.Create(panel, IDL_CheckListFW, du.R(8, 60, 300, 150));

  use_.OnClick = [this] {
    ApplyEnabling();
    Edited();
  };
  for (win::RadioButton* choice : {&on_, &off_}) choice->OnClick = [this] { Edited(); };
  doNotAllowExceptions_.OnClick = [this] { Edited(); };
  rows_.OnClickCheck = [this](int) { Edited(); };
}

void FirewallSheet::FillControls() {
  const FirewallSheetValues& values = Kept();
  use_.SetChecked(values.useSwitch);
  if (values.firewallOn) {
    (*values.firewallOn ? on_ : off_).SetChecked(true);
  } else {
    on_.SetChecked(false);
    off_.SetChecked(false);
  }
  doNotAllowExceptions_.SetChecked(values.doNotAllowExceptions);
  rows_.Clear();
  for (const FirewallRow& row : values.rows) rows_.Add(row.text, row.checked);
  ApplyEnabling();
}

FirewallSheetValues FirewallSheet::ReadControls() const {
  FirewallSheetValues values;
  values.useSwitch = use_.Checked();
  if (on_.Checked() || off_.Checked()) values.firewallOn = on_.Checked();
  values.doNotAllowExceptions = doNotAllowExceptions_.Checked();
  for (int i = 0; i < rows_.Count(); ++i) values.rows.push_back({rows_.Item(i), rows_.Checked(i)});
  return values;
}

void FirewallSheet::ApplyEnabling() {
  const bool use = use_.Checked();
  for (win::Window* control : std::initializer_list<win::Window*>{&on_, &off_, &doNotAllowExceptions_, &rows_}) {
    control->SetEnabled(use);
  }
}

}  // namespace kip
