#include "machine/FirewallPolicy.h"

#include <windows.h>

#include "util/kRegistry.h"
#include "util/Text.h"

namespace kip {

namespace {

// Values whose text cannot be read (not a string) are no exceptions.
NamedValues ReadList(TkRegistry& registry, const wchar_t* listKey, bool& found) {
  NamedValues values;
  found = registry.OpenKeyReadOnly(listKey);
  if (!found) return values;
  StringList names;
  registry.GetValueNames(names);
  for (const std::wstring& name : names) {
    if (std::optional<std::wstring> data = registry.TryReadString(name)) values.emplace_back(name, std::move(*data));
  }
  registry.CloseKey();
  return values;
}

// A fixed row is checked by the state of its last value; a missing value or
// list reads as unchecked.
bool ReadFixedRowState(TkRegistry& registry, const FixedRow& row) {
  const FixedValue& shown = row.values.back();
  bool checked = false;
  if (registry.OpenKeyReadOnly(row.listKey) && registry.ValueExists(shown.name)) {
    const std::optional<std::wstring> data = registry.TryReadString(shown.name);
    checked = data && DataReadsEnabled(shown.name, *data);
  }
  registry.CloseKey();
  return checked;
}

}  // namespace

FirewallMachineState ReadMachineFirewall() {
  FirewallMachineState state;
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKeyReadOnly(kFirewallPolicyKey)) return state;
  state.policyFound = true;
  const std::optional<int> enabled = registry.TryReadInteger(L"EnableFirewall");
  if (!enabled) return state;
  state.firewallOn = *enabled == 1;
  registry.CloseKey();

  bool programListFound = false, portListFound = false;
  const NamedValues programs = ReadList(registry, kFirewallProgramListKey, programListFound);
  const NamedValues ports = ReadList(registry, kFirewallPortListKey, portListFound);
  // Without the port list there are no rows, and no entries to pair with
  // them: nothing of the program list may be written back unseen.
  if (!portListFound) return state;

  state.entries = CollectFirewallEntries(programs, ports);
  for (const TFirewallEntry& entry : state.entries) {
    state.rows.push_back({entry.friendlyName, DataReadsEnabled(entry.valueName, entry.data)});
  }
  for (const FixedRow& row : FixedFirewallRows()) state.rows.push_back({row.text, ReadFixedRowState(registry, row)});
  return state;
}

}  // namespace kip
