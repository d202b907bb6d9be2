#include "store/FirewallStore.h"

#include <optional>

#include "util/kRegistry.h"
#include "util/Guard.h"

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

void LoadSwitches(TkRegistry& registry, FirewallPage& page) {
  page.useSwitch = ReadFlag(registry, kUseSwitchValue).value_or(false);
  const std::optional<bool> enabled = ReadFlag(registry, kEnabledValue);
  if (!enabled) return;
  page.firewallOn = *enabled;
  const std::optional<bool> noExceptions = ReadFlag(registry, kNoExceptionsValue);
  if (!noExceptions) return;
  page.doNotAllowExceptions = *noExceptions;
  for (StoredCheck& check : page.fixedChecks) {
    if (std::optional<bool> stored = ReadFlag(registry, check.name)) check.checked = *stored;
  }
}

void LoadEntryChecks(const std::wstring& settingKey, TkRegistry& registry, FirewallPage& page) {
  for (StoredCheck& check : page.entryChecks) {
    if (!registry.OpenKeyReadOnly(CheckKey(settingKey, check))) continue;
    if (std::optional<bool> stored = ReadFlag(registry, check.name)) check.checked = *stored;
  }
  registry.CloseKey();
}

void WriteCheck(TkRegistry& registry, const std::wstring& settingKey, const StoredCheck& check) {
  RunGuarded([&] {
    if (registry.OpenKey(CheckKey(settingKey, check), true)) registry.WriteInteger(check.name, check.checked ? 1 : 0);
  });
}

}  // namespace

void LoadFirewallPart(const std::wstring& settingKey, FirewallPage& page) {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  if (registry.OpenKeyReadOnly(FirewallKey(settingKey))) LoadSwitches(registry, page);
  LoadEntryChecks(settingKey, registry, page);
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
