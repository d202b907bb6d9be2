#include "machine/FirewallPolicy.h"

#include "machine/FirewallApi.h"

#include <windows.h>

#include <map>

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
  state.doNotAllowExceptions = registry.TryReadInteger(L"DoNotAllowExceptions") == 1;
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

namespace {

// True when every switched profile answers yes; nullopt when one cannot be
// read.
template <typename Ask>
std::optional<bool> AllProfiles(Ask&& ask) {
  bool all = true;
  for (long profile : kSwitchedProfiles) {
    bool value = false;
    if (FAILED(ask(profile, value))) return std::nullopt;
    all = all && value;
  }
  return all;
}

// One entry per program or port, in the order the rules came; checked when
// any of its rules is enabled.
std::vector<TFirewallEntry> EntriesOfRules(const std::vector<FirewallRuleFacts>& rules,
                                           std::map<std::wstring, bool>& enabledByKey) {
  std::vector<TFirewallEntry> entries;
  for (const FirewallRuleFacts& rule : rules) {
    const std::optional<RuleEntryKey> key = EntryKeyOfRule(rule);
    if (!key) continue;
    const std::wstring id = key->kind + L"\t" + key->key;
    auto [found, added] = enabledByKey.try_emplace(id, rule.enabled);
    if (!added) {
      found->second = found->second || rule.enabled;
      continue;
    }
    entries.push_back({rule.name, key->kind, key->key, key->key});
  }
  return entries;
}

}  // namespace

FirewallMachineState ReadFirewallPolicy2(FirewallApi& api) {
  FirewallMachineState state;
  const std::optional<bool> on = AllProfiles([&](long p, bool& v) { return api.FirewallEnabled(p, v); });
  if (!on) return state;
  state.policyFound = true;
  state.firewallOn = *on;
  state.doNotAllowExceptions =
      AllProfiles([&](long p, bool& v) { return api.BlockAllInbound(p, v); }).value_or(false);
  std::vector<FirewallRuleFacts> rules;
  std::map<std::wstring, bool> enabledByKey;
  if (SUCCEEDED(api.ReadRules(rules))) state.entries = EntriesOfRules(rules, enabledByKey);
  SortFirewallEntries(state.entries);
  for (const TFirewallEntry& entry : state.entries) {
    state.rows.push_back({entry.friendlyName, enabledByKey[entry.kind + L"\t" + entry.valueName]});
  }
  // A group Windows does not have (S_FALSE) reads as unchecked.
  for (const FixedRow& row : FixedFirewallRows()) {
    bool enabled = false;
    const bool known = api.RuleGroupEnabled(kSwitchedProfileMask, row.ruleGroup, enabled) == S_OK;
    state.rows.push_back({row.text, known && enabled});
  }
  return state;
}

FirewallMachineState ReadMachineFirewall(DWORD majorVersion, const FirewallOpener& open) {
  if (majorVersion < 6) return ReadMachineFirewall();
  HRESULT error = S_OK;
  std::unique_ptr<FirewallApi> api = open ? open(error) : nullptr;
  if (!api) return {};
  return ReadFirewallPolicy2(*api);
}

}  // namespace kip
