#include "store/ReturnSnapshot.h"

#include "store/SettingStore.h"
#include "store/StoreKeys.h"
#include "util/Guard.h"
#include "util/UniqueHandle.h"
#include "util/kRegistry.h"

#include <cwchar>

namespace kip {

namespace {

constexpr wchar_t kCardIdsValue[] = L"Return Card Ids";
constexpr wchar_t kSettingIndexValue[] = L"Return Setting Index";
constexpr wchar_t kMajorValue[] = L"Return OS Major";
constexpr wchar_t kMinorValue[] = L"Return OS Minor";
constexpr wchar_t kTimeoutValue[] = L"Return Seconds";
constexpr wchar_t kProxyEnableValue[] = L"Return ProxyEnable";
constexpr wchar_t kProxyServerValue[] = L"Return ProxyServer";
constexpr wchar_t kStartPageValue[] = L"Return Start Page";
constexpr wchar_t kRemoveHostsValue[] = L"Return Remove Hosts";
constexpr wchar_t kSerialValue[] = L"Return Commit Serial";
constexpr wchar_t kStepLogValue[] = L"Return Step Log";
constexpr wchar_t kHandlesValue[] = L"Return Handles";
constexpr wchar_t kOwnersValue[] = L"Return Owners";
constexpr wchar_t kSettledValue[] = L"Return Settled";
constexpr wchar_t kKeptAtValue[] = L"Return Kept At";

std::wstring OwnerText(const ReturnOwner& owner) {
  return std::to_wstring(owner.processId) + L":" + std::to_wstring(owner.createdAt);
}

// A number of up to 20 digits and nothing else; nullopt otherwise.
std::optional<std::uint64_t> DecimalOf(const std::wstring& text) {
  if (text.empty() || text.size() > 20 || text.find_first_not_of(L"0123456789") != std::wstring::npos) {
    return std::nullopt;
  }
  return std::wcstoull(text.c_str(), nullptr, 10);
}

// Unreadable entries are left out: an owner that cannot be named is none.
std::vector<ReturnOwner> OwnersOf(const StringList& texts) {
  std::vector<ReturnOwner> owners;
  for (const std::wstring& text : texts) {
    const size_t colon = text.find(L':');
    if (colon == std::wstring::npos) continue;
    const long long id = ToIntDef(text.substr(0, colon), -1);
    const std::optional<std::uint64_t> created = DecimalOf(text.substr(colon + 1));
    if (id > 0 && id <= 0xFFFFFFFFLL && created) owners.push_back({static_cast<DWORD>(id), *created});
  }
  return owners;
}

std::vector<std::uint64_t> HandlesOf(const StringList& texts) {
  std::vector<std::uint64_t> handles;
  for (const std::wstring& text : texts) {
    const std::optional<std::uint64_t> handle = DecimalOf(text);
    if (!handle) return {};
    handles.push_back(*handle);
  }
  return handles;
}

// The key path without its leading "\", as the Win32 calls take it.
std::wstring Win32Path(const std::wstring& path) { return path.substr(path.starts_with(L"\\") ? 1 : 0); }

// A key found already there is not ours: whoever made it could have put in
// it what the way back would then commit.
bool CreateNewKey(const std::wstring& path) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, Win32Path(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                      nullptr, &key, &disposition) != ERROR_SUCCESS) {
    return false;
  }
  UniqueHKey owned(key);
  return disposition == REG_CREATED_NEW_KEY;
}

void WriteExactInternet(TkRegistry& key, const ExactInternetValues& exact) {
  if (exact.proxyEnable) key.WriteInteger(kProxyEnableValue, static_cast<int>(*exact.proxyEnable));
  if (exact.proxyServer) key.WriteString(kProxyServerValue, *exact.proxyServer);
  if (exact.startPage) key.WriteString(kStartPageValue, *exact.startPage);
}

ExactInternetValues ReadExactInternet(TkRegistry& key) {
  ExactInternetValues exact;
  if (key.ValueExists(kProxyEnableValue)) exact.proxyEnable = static_cast<DWORD>(key.ReadInteger(kProxyEnableValue));
  if (key.ValueExists(kProxyServerValue)) exact.proxyServer = key.ReadString(kProxyServerValue);
  if (key.ValueExists(kStartPageValue)) exact.startPage = key.ReadString(kStartPageValue);
  return exact;
}

bool WriteTicketValues(std::wstring_view token, const ReturnTicket& ticket) {
  TkRegistry key(HKEY_LOCAL_MACHINE);
  if (!key.OpenKey(SettingKeyPath(ReturnSnapshotName(token)), false)) return false;
  return RunGuarded([&] {
    key.WriteStringList(kCardIdsValue, ticket.cardIds);
    key.WriteInteger(kSettingIndexValue, ticket.settingIndex);
    key.WriteInteger(kMajorValue, static_cast<int>(ticket.osMajorVersion));
    key.WriteInteger(kMinorValue, static_cast<int>(ticket.osMinorVersion));
    key.WriteInteger(kTimeoutValue, static_cast<int>(ticket.timeoutSeconds));
    WriteExactInternet(key, ticket.exactInternet);
    key.WriteInteger(kRemoveHostsValue, ticket.removeHosts ? 1 : 0);
    key.WriteInteger(kSerialValue, static_cast<int>(ticket.commitSerial));
    key.WriteString(kStepLogValue, ticket.stepLogPath);
    StringList handles;
    for (std::uint64_t handle : ticket.handles) handles.push_back(std::to_wstring(handle));
    key.WriteStringList(kHandlesValue, handles);
    StringList owners;
    for (const ReturnOwner& owner : ticket.owners) owners.push_back(OwnerText(owner));
    key.WriteStringList(kOwnersValue, owners);
    key.WriteString(kKeptAtValue, std::to_wstring(ticket.keptAt));
  });
}

}  // namespace

std::wstring ReturnSnapshotName(std::wstring_view token) {
  return std::wstring(kOptionsKeyName) + L"\\" + kReturnSnapshotsKeyName + L"\\" + std::wstring(token);
}

bool SaveReturnSnapshot(std::wstring_view token, const ReturnSnapshot& snapshot) {
  if (token.empty()) return false;
  const std::wstring name = ReturnSnapshotName(token);
  if (!CreateNewKey(SettingKeyPath(name))) return false;
  bool complete = SaveMachineWide(name, snapshot.machineWide);
  for (const auto& [cardId, part] : snapshot.cards) {
    complete = SaveCardPart(name, cardId, cardId, part, snapshot.ticket.osMajorVersion) && complete;
  }
  if (snapshot.firewall) SaveFirewallPart(SettingKeyPath(name), *snapshot.firewall);
  // The ticket comes last and only after everything else: a state without
  // it is no way back, and the next start removes it.
  return complete && WriteTicketValues(token, snapshot.ticket);
}

bool AddReturnOwner(std::wstring_view token, const ReturnOwner& owner) {
  TkRegistry key(HKEY_LOCAL_MACHINE);
  if (token.empty() || !key.OpenKey(SettingKeyPath(ReturnSnapshotName(token)), false)) return false;
  return RunGuarded([&] {
    StringList owners;
    key.ReadStringList(kOwnersValue, owners);
    owners.push_back(OwnerText(owner));
    key.WriteStringList(kOwnersValue, owners);
  });
}

StringList ReturnSnapshotTokens() {
  StringList tokens;
  TkRegistry key(HKEY_LOCAL_MACHINE);
  if (key.OpenKeyReadOnly(SettingKeyPath(std::wstring(kOptionsKeyName) + L"\\" + kReturnSnapshotsKeyName))) key.GetKeyNames(tokens);
  return tokens;
}

std::optional<ReturnTicket> LoadReturnTicket(std::wstring_view token) {
  TkRegistry key(HKEY_LOCAL_MACHINE);
  if (!key.OpenKeyReadOnly(SettingKeyPath(ReturnSnapshotName(token)))) return std::nullopt;
  ReturnTicket ticket;
  const bool read = RunGuarded([&] {
    key.ReadStringList(kCardIdsValue, ticket.cardIds);
    ticket.settingIndex = key.ReadInteger(kSettingIndexValue);
    ticket.osMajorVersion = static_cast<DWORD>(key.ReadInteger(kMajorValue));
    ticket.osMinorVersion = static_cast<DWORD>(key.ReadInteger(kMinorValue));
    ticket.timeoutSeconds = static_cast<DWORD>(key.ReadInteger(kTimeoutValue));
    ticket.exactInternet = ReadExactInternet(key);
  });
  if (!read) return std::nullopt;
  // Newer than the values above: each on its own, a missing one reads as none.
  if (std::optional<int> remove = key.TryReadInteger(kRemoveHostsValue)) ticket.removeHosts = *remove != 0;
  if (std::optional<int> serial = key.TryReadInteger(kSerialValue)) ticket.commitSerial = static_cast<DWORD>(*serial);
  if (std::optional<std::wstring> log = key.TryReadString(kStepLogValue)) ticket.stepLogPath = std::move(*log);
  RunGuarded([&] {
    StringList texts;
    key.ReadStringList(kHandlesValue, texts);
    ticket.handles = HandlesOf(texts);
  });
  RunGuarded([&] {
    StringList texts;
    key.ReadStringList(kOwnersValue, texts);
    ticket.owners = OwnersOf(texts);
  });
  RunGuarded([&] { ticket.keptAt = DecimalOf(key.ReadString(kKeptAtValue)).value_or(0); });
  return ticket;
}

bool SettleReturn(std::wstring_view token) {
  TkRegistry key(HKEY_LOCAL_MACHINE);
  if (token.empty() || !key.OpenKey(SettingKeyPath(ReturnSnapshotName(token)), false)) return false;
  return RunGuarded([&] { key.WriteInteger(kSettledValue, 1); });
}

bool ReturnSettled(std::wstring_view token) {
  TkRegistry key(HKEY_LOCAL_MACHINE);
  if (token.empty() || !key.OpenKeyReadOnly(SettingKeyPath(ReturnSnapshotName(token)))) return false;
  bool settled = false;
  RunGuarded([&] { settled = key.ValueExists(kSettledValue) && key.ReadInteger(kSettledValue) == 1; });
  return settled;
}

UniqueHKey OpenReturnKeyForNotify(std::wstring_view token) {
  UniqueHKey key;
  if (token.empty() ||
      RegOpenKeyExW(HKEY_LOCAL_MACHINE, Win32Path(SettingKeyPath(ReturnSnapshotName(token))).c_str(), 0, KEY_NOTIFY,
                    key.put()) != ERROR_SUCCESS) {
    key.reset();
  }
  return key;
}

void DeleteReturnSnapshot(std::wstring_view token) {
  // An empty token would address every snapshot at once.
  if (token.empty()) return;
  TkRegistry(HKEY_LOCAL_MACHINE).DeleteKey(SettingKeyPath(ReturnSnapshotName(token)));
}

}  // namespace kip
