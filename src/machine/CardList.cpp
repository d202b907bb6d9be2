#include "machine/CardList.h"

#include "machine/TcpipValues.h"
#include "util/kRegistry.h"
#include "util/Guard.h"
#include "util/Process.h"

namespace kip {

namespace {

constexpr wchar_t kClassKey[] = L"\\System\\CurrentControlSet\\Control\\Class";
constexpr wchar_t kNetworkCardsKey[] = L"\\Software\\Microsoft\\Windows NT\\CurrentVersion\\NetWorkCards";
constexpr wchar_t kNetworkControlKey[] = L"\\System\\CurrentControlSet\\Control\\Network";

// The open key is of the network class ("Class" is "Net", case-sensitive).
bool IsNetClass(const TkRegistry& registry) { return registry.TryReadString(L"Class") == L"Net"; }

// The subkey of `parent` whose "Class" is "Net" (case-sensitive), found by
// scanning in registry order; the window repaints between keys.
std::wstring FindNetClassKey(TkRegistry& registry, const std::wstring& parent) {
  if (!registry.OpenKeyReadOnly(parent)) return {};
  StringList names;
  registry.GetKeyNames(names);
  for (const auto& name : names) {
    std::wstring path = parent + L"\\" + name;
    const bool found = registry.OpenKeyReadOnly(path) && IsNetClass(registry);
    ProcessPendingMessages();
    if (found) return path;
  }
  return {};
}

bool IsBoundToTcpip(TkRegistry& registry, const std::wstring& instanceKey) {
  if (!registry.OpenKeyReadOnly(instanceKey + L"\\linkage")) return false;
  const StringList upperBind = registry.TryReadStringList(L"UpperBind").value_or(StringList{});
  registry.CloseKey();
  return ToLower(JoinCommaText(upperBind)).find(L"tcpip") != std::wstring::npos;
}

}  // namespace

int CardList::IndexOf(const std::wstring& id) const {
  for (size_t i = 0; i < ids.size(); ++i) {
    if (EqualsNoCase(ids[i], id)) return static_cast<int>(i);
  }
  return -1;
}

void CardList::Append(const std::wstring& id, const std::wstring& label) {
  ids.push_back(id);
  labels.push_back(label);
}

void CardList::Relabel(const std::wstring& id, const std::wstring& label) {
  int index = IndexOf(id);
  if (index >= 0 && static_cast<size_t>(index) < labels.size()) labels[static_cast<size_t>(index)] = label;
}

std::wstring ShortAdapterLabel(const std::wstring& description) {
  size_t tail = description.find(L" - ");
  return tail == std::wstring::npos ? description : description.substr(0, tail);
}

void ReadAdapters(CardList& cards, const std::vector<TAdapter>& adapters) {
  for (const auto& adapter : adapters) {
    if (!adapter.AdapterName.empty()) cards.Append(adapter.AdapterName, ShortAdapterLabel(adapter.Description));
  }
}

void ReadClassDescriptions(CardList& cards, const LiveInterfaceReader& readLive) {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  std::wstring netClass = FindNetClassKey(registry, kClassKey);
  if (netClass.empty() || !registry.OpenKeyReadOnly(netClass)) return;
  StringList instances;
  registry.GetKeyNames(instances);
  registry.CloseKey();

  for (const auto& instance : instances) {
    std::wstring instanceKey = netClass + L"\\" + instance;
    if (!IsBoundToTcpip(registry, instanceKey)) continue;
    std::wstring driverDesc, instanceId;
    if (registry.OpenKeyReadOnly(instanceKey)) {
      // Either read failing leaves the card as it is.
      if (!RunGuarded([&] {
            driverDesc = registry.ReadString(L"DriverDesc");
            instanceId = registry.ReadString(L"NetCfgInstanceId");
          })) {
        instanceId.clear();
      }
      registry.CloseKey();
    }
    if (!instanceId.empty() && readLive(instanceId)) cards.Relabel(instanceId, driverDesc);
  }
}

void ReadNetworkCards(CardList& cards) {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKeyReadOnly(kNetworkCardsKey)) return;
  StringList entries;
  registry.GetKeyNames(entries);
  for (const auto& entry : entries) {
    // An unreadable entry skips only itself.
    RunGuarded([&] {
      if (!registry.OpenKeyReadOnly(std::wstring(kNetworkCardsKey) + L"\\" + entry)) return;
      std::wstring serviceName = registry.ReadString(L"ServiceName");
      std::wstring description = registry.ReadString(L"Description");
      registry.CloseKey();
      if (cards.IndexOf(serviceName) < 0) return;
      std::wstring connection = GetConnectionName(serviceName);
      cards.Relabel(serviceName, connection.empty() ? description : connection + L" [" + description + L"]");
    });
  }
}

void BuildCardList(CardList& cards, DWORD osMajorVersion) {
  RunGuarded([&] { ReadAdapters(cards, TIPInfo().Adapters()); });
  RunGuarded([&] {
    ReadClassDescriptions(cards, [osMajorVersion](const std::wstring& id) {
      return ReadLiveTcpipValues(id, osMajorVersion).has_value();
    });
  });
  RunGuarded([&] { ReadNetworkCards(cards); });
}

std::wstring GetConnectionName(const std::wstring& cardId) {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKeyReadOnly(kNetworkControlKey)) return {};
  StringList names;
  registry.GetKeyNames(names);
  std::wstring classKey;
  for (const auto& name : names) {
    classKey = std::wstring(kNetworkControlKey) + L"\\" + name;
    bool found = registry.OpenKeyReadOnly(classKey) && IsNetClass(registry);
    if (!found) found = registry.OpenKeyReadOnly(classKey + L"\\Descriptions");
    ProcessPendingMessages();
    if (found) break;
  }
  // With no match the key visited last is used.
  if (classKey.empty() || !registry.OpenKeyReadOnly(classKey + L"\\" + cardId + L"\\Connection")) return {};
  std::wstring name = registry.TryReadString(L"Name").value_or(L"");
  registry.CloseKey();
  return name;
}

}  // namespace kip
