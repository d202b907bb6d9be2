// The firewall part of a setting in the window: the machine's exceptions
// read at start-up, the stored part laid over the page, and saved back. The
// page's rows pair by position with FirewallEntries; the last four rows are
// the fixed ones.
#include "app/UkIpConfig.h"
#include "apply/FirewallWriter.h"
#include "store/FirewallStore.h"
#include "store/SettingStore.h"

namespace kip {

namespace {

FirewallPage StoredForm(const FirewallSheetValues& shown, const std::vector<TFirewallEntry>& entries) {
  return MakeFirewallPage(shown.useSwitch, shown.firewallOn.value_or(false), shown.doNotAllowExceptions, entries,
                          shown.rows);
}

}  // namespace

void TFormIpconfig::ReadFirewallState() {
  FirewallEntries.clear();
  FirewallMachineState machine = ReadMachineFirewall(OSMajorVersion, CommitEnvironmentOfWindow().machine.openFirewall);
  TabSheetFireWall->SetEnabled(machine.policyFound);
  FirewallSheetValues shown = pages_.firewall.Current();
  if (machine.firewallOn) shown.firewallOn = *machine.firewallOn;
  shown.rows = std::move(machine.rows);
  FirewallEntries = std::move(machine.entries);
  pages_.firewall.Show(std::move(shown));
}

// The page changes only where the stored part differs: a choice of on or
// off that shows neither stays so unless the setting turns the firewall on.
void TFormIpconfig::LoadFirewallPart(const StoredFirewallPart& stored) {
  FirewallSheetValues shown = pages_.firewall.Current();
  FirewallPage page = StoredForm(shown, FirewallEntries);
  LayStoredFirewallPart(stored, page);
  shown.useSwitch = page.useSwitch;
  if (page.firewallOn != shown.firewallOn.value_or(false)) shown.firewallOn = page.firewallOn;
  shown.doNotAllowExceptions = page.doNotAllowExceptions;
  CopyChecksToRows(page, shown.rows);
  pages_.firewall.Show(std::move(shown));
}

void TFormIpconfig::SaveFirewallPart(const std::wstring& settingName) {
  kip::SaveFirewallPart(SettingKeyPath(settingName), StoredForm(pages_.firewall.Collect(), FirewallEntries));
}

}  // namespace kip
