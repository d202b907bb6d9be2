// The firewall page: the machine's exceptions read at start-up, the
// firewall part of a setting, and the commit step. The rows of CheckListFW
// pair by position with FirewallEntries; the last four rows are the fixed
// ones.
#include "app/UkIpConfig.h"
#include "apply/FirewallWriter.h"
#include "store/FirewallStore.h"
#include "store/SettingStore.h"

namespace kip {

namespace {

std::vector<FirewallRow> RowsOf(const win::CheckList& list) {
  std::vector<FirewallRow> rows;
  for (int i = 0; i < list.Count(); ++i) rows.push_back({list.Item(i), list.Checked(i)});
  return rows;
}

void ShowRows(win::CheckList& list, const std::vector<FirewallRow>& rows) {
  list.Clear();
  for (const FirewallRow& row : rows) list.Add(row.text, row.checked);
}

void ShowChecks(win::CheckList& list, const std::vector<FirewallRow>& rows) {
  for (size_t i = 0; i < rows.size(); ++i) list.SetChecked(static_cast<int>(i), rows[i].checked);
}

// The page as the controls show it.
FirewallPage ShownPage(const TFormIpconfig& form, const std::vector<FirewallRow>& rows) {
  return MakeFirewallPage(form.CheckFWUse.Checked(), form.RadioFWTrue.Checked(), form.FWDoNotAllowExceptions.Checked(),
                          form.FirewallEntries, rows);
}

// The switches are touched only where the page differs from the controls:
// a radio pair showing neither choice (the machine had no "EnableFirewall")
// stays so unless the stored setting turns the firewall on.
void ShowSwitches(TFormIpconfig& form, const FirewallPage& page) {
  form.CheckFWUse.SetChecked(page.useSwitch);
  if (page.firewallOn != form.RadioFWTrue.Checked()) {
    (page.firewallOn ? form.RadioFWTrue : form.RadioFWFalse).SetChecked(true);
  }
  form.FWDoNotAllowExceptions.SetChecked(page.doNotAllowExceptions);
}

}  // namespace

void TFormIpconfig::ReadFirewallState() {
  FirewallEntries.clear();
  CheckListFW.Clear();
  FirewallMachineState machine = ReadMachineFirewall();
  TabSheetFireWall->SetEnabled(machine.policyFound);
  if (machine.firewallOn) (*machine.firewallOn ? RadioFWTrue : RadioFWFalse).SetChecked(true);
  FirewallEntries = std::move(machine.entries);
  ShowRows(CheckListFW, machine.rows);
}

void TFormIpconfig::LoadFirewallPart(const std::wstring& settingName) {
  std::vector<FirewallRow> rows = RowsOf(CheckListFW);
  FirewallPage page = ShownPage(*this, rows);
  kip::LoadFirewallPart(SettingKeyPath(settingName), page);
  ShowSwitches(*this, page);
  CopyChecksToRows(page, rows);
  ShowChecks(CheckListFW, rows);
}

void TFormIpconfig::SaveFirewallPart(const std::wstring& settingName) {
  kip::SaveFirewallPart(SettingKeyPath(settingName), ShownPage(*this, RowsOf(CheckListFW)));
}

void TFormIpconfig::CheckFWUseClick() {
  Modified = true;
  const bool use = CheckFWUse.Checked();
  for (win::Window* control :
       std::initializer_list<win::Window*>{&RadioFWTrue, &RadioFWFalse, &FWDoNotAllowExceptions, &CheckListFW}) {
    control->SetEnabled(use);
  }
}

void TFormIpconfig::WireFirewallHandlers() {
  CheckFWUse.OnClick = [this] { CheckFWUseClick(); };
  auto modified = [this] { Modified = true; };
  RadioFWTrue.OnClick = modified;
  RadioFWFalse.OnClick = modified;
  FWDoNotAllowExceptions.OnClick = modified;
  CheckListFW.OnClickCheck = [this](int) { Modified = true; };
  // Usable only once the start-up read has found the machine's policy; the
  // switch starts off with its controls disabled.
  TabSheetFireWall->SetEnabled(false);
  CheckFWUseClick();
}

}  // namespace kip
