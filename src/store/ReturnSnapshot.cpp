#include "store/ReturnSnapshot.h"

#include "store/SettingStore.h"
#include "store/StoreKeys.h"
#include "util/Guard.h"
#include "util/kRegistry.h"

namespace kip {

namespace {

constexpr wchar_t kReturnFolder[] = L"Return";
constexpr wchar_t kCardIdsValue[] = L"Return Card Ids";
constexpr wchar_t kSettingIndexValue[] = L"Return Setting Index";
constexpr wchar_t kMajorValue[] = L"Return OS Major";
constexpr wchar_t kMinorValue[] = L"Return OS Minor";
constexpr wchar_t kTimeoutValue[] = L"Return Seconds";
constexpr wchar_t kProxyEnableValue[] = L"Return ProxyEnable";
constexpr wchar_t kProxyServerValue[] = L"Return ProxyServer";
constexpr wchar_t kStartPageValue[] = L"Return Start Page";

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

bool WriteTicketValues(std::wstring_view token, const ReturnSnapshot& snapshot) {
  TkRegistry key(HKEY_LOCAL_MACHINE);
  if (!key.OpenKey(SettingKeyPath(ReturnSnapshotName(token)), true)) return false;
  return RunGuarded([&] {
    key.WriteStringList(kCardIdsValue, snapshot.cardIds);
    key.WriteInteger(kSettingIndexValue, snapshot.settingIndex);
    key.WriteInteger(kMajorValue, static_cast<int>(snapshot.osMajorVersion));
    key.WriteInteger(kMinorValue, static_cast<int>(snapshot.osMinorVersion));
    key.WriteInteger(kTimeoutValue, static_cast<int>(snapshot.timeoutSeconds));
    WriteExactInternet(key, snapshot.exactInternet);
  });
}

}  // namespace

std::wstring ReturnSnapshotName(std::wstring_view token) {
  return std::wstring(kOptionsKeyName) + L"\\" + kReturnFolder + L"\\" + std::wstring(token);
}

bool SaveReturnSnapshot(std::wstring_view token, const ReturnSnapshot& snapshot) {
  // A snapshot never mixes with a former one of the same name.
  DeleteReturnSnapshot(token);
  const std::wstring name = ReturnSnapshotName(token);
  bool complete = SaveMachineWide(name, snapshot.machineWide);
  for (const auto& [cardId, part] : snapshot.cards) {
    complete = SaveCardPart(name, cardId, cardId, part, snapshot.osMajorVersion) && complete;
  }
  if (snapshot.firewall) SaveFirewallPart(SettingKeyPath(name), *snapshot.firewall);
  return WriteTicketValues(token, snapshot) && complete;
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
  return ticket;
}

void DeleteReturnSnapshot(std::wstring_view token) {
  // An empty token would address every snapshot at once.
  if (token.empty()) return;
  TkRegistry(HKEY_LOCAL_MACHINE).DeleteKey(SettingKeyPath(ReturnSnapshotName(token)));
}

}  // namespace kip
