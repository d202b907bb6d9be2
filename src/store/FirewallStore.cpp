#include "store/FirewallStore.h"

#include <optional>

#include "util/kRegistry.h"
#include "util/Guard.h"
#include "util/Text.h"

namespace kip {

namespace {

constexpr wchar_t kUseSwitchValue[] = L"Use FireWall Switch";
constexpr wchar_t kEnabledValue[] = L"FireWall Enabled";
constexpr wchar_t kNoExceptionsValue[] = L"DoNotAllowExceptions";

std::wstring FirewallKey(const std::wstring& settingKey) { return settingKey + L"\\" + kFirewallSubkey; }

std::wstring CheckKey(const std::wstring& settingKey, const StoredCheck& check) {
  return check.subkey.empty() ? FirewallKey(settingKey) : FirewallKey(settingKey) + L"\\" + check.subkey;
}

// A missing value, or one that is no DWORD, reads as absent.
std::optional<bool> ReadFlag(const TkRegistry& registry, const std::wstring& name) {
  const std::optional<int> number = registry.TryReadInteger(name);
  if (!number) return std::nullopt;
  return *number != 0;
}

void ReadChecks(const TkRegistry& key, const std::wstring& subkey, std::vector<StoredCheck>& checks) {
  StringList names;
  RunGuarded([&] { key.GetValueNames(names); });
  for (const std::wstring& name : names) {
    if (std::optional<bool> checked = ReadFlag(key, name)) checks.push_back({subkey, name, *checked});
  }
}

// A row the setting holds no state for keeps its own.
void LayCheck(const StoredFirewallPart& stored, StoredCheck& row) {
  for (const StoredCheck& check : stored.checks) {
    if (EqualsNoCase(check.subkey, row.subkey) && EqualsNoCase(check.name, row.name)) {
      row.checked = check.checked;
      return;
    }
  }
}

void WriteCheck(TkRegistry& registry, const std::wstring& settingKey, const StoredCheck& check) {
  RunGuarded([&] {
    if (registry.OpenKey(CheckKey(settingKey, check), true)) registry.WriteInteger(check.name, check.checked ? 1 : 0);
  });
}

}  // namespace

std::optional<StoredFirewallPart> ReadStoredFirewallPart(const TkRegistry& settingKey) {
  TkRegistry firewall(settingKey.CurrentKey());
  if (!settingKey.CurrentKey() || !firewall.OpenKeyReadOnly(kFirewallSubkey)) return std::nullopt;
  StoredFirewallPart stored;
  stored.useSwitch = ReadFlag(firewall, kUseSwitchValue).value_or(false);
  stored.firewallOn = ReadFlag(firewall, kEnabledValue);
  if (stored.firewallOn) stored.doNotAllowExceptions = ReadFlag(firewall, kNoExceptionsValue);
  ReadChecks(firewall, L"", stored.checks);
  StringList kinds;
  RunGuarded([&] { firewall.GetKeyNames(kinds); });
  for (const std::wstring& kind : kinds) {
    TkRegistry entries(firewall.CurrentKey());
    if (entries.OpenKeyReadOnly(kind)) ReadChecks(entries, kind, stored.checks);
  }
  return stored;
}

void LayStoredFirewallPart(const StoredFirewallPart& stored, FirewallPage& page) {
  page.useSwitch = stored.useSwitch;
  if (stored.firewallOn) page.firewallOn = *stored.firewallOn;
  if (stored.doNotAllowExceptions) {
    page.doNotAllowExceptions = *stored.doNotAllowExceptions;
    for (StoredCheck& row : page.fixedChecks) LayCheck(stored, row);
  }
  for (StoredCheck& row : page.entryChecks) LayCheck(stored, row);
}

void SaveFirewallPart(const std::wstring& settingKey, const FirewallPage& page) {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  registry.DeleteKey(FirewallKey(settingKey));
  RunGuarded([&] {
    if (!registry.OpenKey(FirewallKey(settingKey), true)) return;
    registry.WriteInteger(kUseSwitchValue, page.useSwitch ? 1 : 0);
    registry.WriteInteger(kEnabledValue, page.firewallOn ? 1 : 0);
    registry.WriteInteger(kNoExceptionsValue, page.doNotAllowExceptions ? 1 : 0);
  });
  for (const StoredCheck& check : page.fixedChecks) WriteCheck(registry, settingKey, check);
  for (const StoredCheck& check : page.entryChecks) WriteCheck(registry, settingKey, check);
}

}  // namespace kip
