#include "machine/NetworkRecognition.h"

#include <winsock2.h>
#include <windows.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <wlanapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>

#include "machine/IPInfo.h"

namespace kip {

namespace {

std::wstring MacText(const BYTE* bytes, ULONG length) {
  std::wstring text;
  for (ULONG i = 0; i < length; ++i) {
    wchar_t part[4];
    std::swprintf(part, 4, L"%02X", bytes[i]);
    if (i > 0) text += L'-';
    text += part;
  }
  return text;
}

// The address bytes are in network order, first byte first.
uint32_t HostOrder(const IN_ADDR& address) {
  const auto& b = address.S_un.S_un_b;
  return (uint32_t{b.s_b1} << 24) | (uint32_t{b.s_b2} << 16) | (uint32_t{b.s_b3} << 8) | uint32_t{b.s_b4};
}

std::wstring GuidText(const GUID& guid) {
  wchar_t text[64];
  std::swprintf(text, 64, L"{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", static_cast<unsigned long>(guid.Data1),
                guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4],
                guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  return text;
}

// Interface index to its default gateways (next hops of 0.0.0.0/0).
std::map<NET_IFINDEX, std::vector<uint32_t>> DefaultGateways() {
  std::map<NET_IFINDEX, std::vector<uint32_t>> gateways;
  PMIB_IPFORWARD_TABLE2 table = nullptr;
  if (GetIpForwardTable2(AF_INET, &table) != NO_ERROR || table == nullptr) return gateways;
  for (ULONG i = 0; i < table->NumEntries; ++i) {
    const MIB_IPFORWARD_ROW2& row = table->Table[i];
    if (row.DestinationPrefix.PrefixLength != 0 || row.NextHop.si_family != AF_INET) continue;
    const uint32_t hop = HostOrder(row.NextHop.Ipv4.sin_addr);
    if (hop != 0) gateways[row.InterfaceIndex].push_back(hop);
  }
  FreeMibTable(table);
  return gateways;
}

// (interface index, address) to the neighbour's hardware address, for the
// entries that hold one.
std::map<std::pair<NET_IFINDEX, uint32_t>, std::wstring> Neighbours() {
  std::map<std::pair<NET_IFINDEX, uint32_t>, std::wstring> neighbours;
  // AF_INET: Wine fails AF_UNSPEC though it fills the IPv4 rows.
  PMIB_IPNET_TABLE2 table = nullptr;
  if (GetIpNetTable2(AF_INET, &table) != NO_ERROR || table == nullptr) return neighbours;
  for (ULONG i = 0; i < table->NumEntries; ++i) {
    const MIB_IPNET_ROW2& row = table->Table[i];
    if (row.Address.si_family != AF_INET || row.PhysicalAddressLength == 0) continue;
    if (row.State == NlnsUnreachable || row.State == NlnsIncomplete) continue;
    const ULONG length = std::min<ULONG>(row.PhysicalAddressLength, IF_MAX_PHYS_ADDRESS_LENGTH);
    neighbours[{row.InterfaceIndex, HostOrder(row.Address.Ipv4.sin_addr)}] = MacText(row.PhysicalAddress, length);
  }
  FreeMibTable(table);
  return neighbours;
}

NetworkCard CardOf(const IP_ADAPTER_ADDRESSES& adapter) {
  NetworkCard card;
  card.cardId = FromAnsi(adapter.AdapterName);
  card.name = adapter.FriendlyName ? adapter.FriendlyName : L"";
  card.linkUp = adapter.OperStatus == IfOperStatusUp;
  card.dnsSuffix = adapter.DnsSuffix ? adapter.DnsSuffix : L"";
  for (auto* unicast = adapter.FirstUnicastAddress; unicast != nullptr; unicast = unicast->Next) {
    const SOCKET_ADDRESS& socket = unicast->Address;
    if (socket.lpSockaddr == nullptr || socket.lpSockaddr->sa_family != AF_INET) continue;
    const auto* in = reinterpret_cast<const sockaddr_in*>(socket.lpSockaddr);
    card.addresses.push_back({HostOrder(in->sin_addr), static_cast<int>(unicast->OnLinkPrefixLength)});
  }
  return card;
}

template <class F>
F LoadFrom(HMODULE library, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// --- wlanapi -----------------------------------------------------------------

class WlanReader final : public WifiReader {
 public:
  WlanReader() : library_(LoadLibraryW(L"wlanapi.dll")) {
    if (!library_) return;
    open_ = LoadFrom<decltype(&WlanOpenHandle)>(library_, "WlanOpenHandle");
    close_ = LoadFrom<decltype(&WlanCloseHandle)>(library_, "WlanCloseHandle");
    enum_ = LoadFrom<decltype(&WlanEnumInterfaces)>(library_, "WlanEnumInterfaces");
    query_ = LoadFrom<decltype(&WlanQueryInterface)>(library_, "WlanQueryInterface");
    free_ = LoadFrom<decltype(&WlanFreeMemory)>(library_, "WlanFreeMemory");
  }
  ~WlanReader() override {
    if (client_ && close_) close_(client_, nullptr);
    if (library_) FreeLibrary(library_);
  }

  std::vector<Connection> Connections() override {
    std::vector<Connection> connections;
    if (!open_ || !close_ || !enum_ || !query_ || !free_) return connections;
    DWORD version = 0;
    if (!client_ && open_(2, nullptr, &version, &client_) != ERROR_SUCCESS) {
      client_ = nullptr;
      return connections;
    }
    PWLAN_INTERFACE_INFO_LIST list = nullptr;
    if (enum_(client_, nullptr, &list) != ERROR_SUCCESS || list == nullptr) return connections;
    for (DWORD i = 0; i < list->dwNumberOfItems; ++i) {
      const WLAN_INTERFACE_INFO& info = list->InterfaceInfo[i];
      if (info.isState != wlan_interface_state_connected) continue;
      DWORD size = 0;
      void* data = nullptr;
      if (query_(client_, &info.InterfaceGuid, wlan_intf_opcode_current_connection, nullptr, &size, &data, nullptr) !=
              ERROR_SUCCESS ||
          data == nullptr) {
        continue;
      }
      if (size >= sizeof(WLAN_CONNECTION_ATTRIBUTES)) {
        const auto& attributes = *static_cast<const WLAN_CONNECTION_ATTRIBUTES*>(data);
        const DOT11_SSID& ssid = attributes.wlanAssociationAttributes.dot11Ssid;
        const ULONG length = std::min<ULONG>(ssid.uSSIDLength, DOT11_SSID_MAX_LENGTH);
        // SSIDs are bytes; most are UTF-8 text.
        connections.push_back({GuidText(info.InterfaceGuid),
                               FromUtf8(std::string(reinterpret_cast<const char*>(ssid.ucSSID), length))});
      }
      free_(data);
    }
    free_(list);
    return connections;
  }

 private:
  HMODULE library_ = nullptr;
  HANDLE client_ = nullptr;
  decltype(&WlanOpenHandle) open_ = nullptr;
  decltype(&WlanCloseHandle) close_ = nullptr;
  decltype(&WlanEnumInterfaces) enum_ = nullptr;
  decltype(&WlanQueryInterface) query_ = nullptr;
  decltype(&WlanFreeMemory) free_ = nullptr;
};

}  // namespace

std::wstring PresentNetworks::Fingerprint() const {
  std::wstring text;
  for (const NetworkCard& card : cards) {
    text += card.cardId + (card.linkUp ? L" up" : L" down") + L" [" + card.dnsSuffix + L"]";
    for (const Ipv4Prefix& prefix : card.addresses) text += L" " + FormatIpv4(prefix.address) + L"/" + std::to_wstring(prefix.length);
    for (const GatewayNeighbour& gateway : card.gateways) text += L" gw " + gateway.address + L"=" + gateway.macAddress;
    if (!card.ssid.empty()) text += L" ssid " + card.ssid;
    text += L"\n";
  }
  return text;
}

std::unique_ptr<WifiReader> CreateWlanReader() { return std::make_unique<WlanReader>(); }

PresentNetworks ReadPresentNetworks(WifiReader* wifi) {
  PresentNetworks present;
  const std::vector<IP_ADAPTER_ADDRESSES> buffer =
      ReadAdapterAddresses(AF_INET, GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_DNS_SERVER);
  if (buffer.empty()) return present;
  const auto gateways = DefaultGateways();
  const auto neighbours = Neighbours();
  for (const IP_ADAPTER_ADDRESSES* adapter = buffer.data(); adapter != nullptr; adapter = adapter->Next) {
    if (adapter->AdapterName == nullptr || adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK) continue;
    NetworkCard card = CardOf(*adapter);
    const auto found = gateways.find(adapter->IfIndex);
    if (found != gateways.end()) {
      for (uint32_t hop : found->second) {
        const auto mac = neighbours.find({adapter->IfIndex, hop});
        card.gateways.push_back({FormatIpv4(hop), mac == neighbours.end() ? std::wstring() : mac->second});
      }
    }
    present.cards.push_back(std::move(card));
  }
  if (wifi) {
    for (const WifiReader::Connection& connection : wifi->Connections()) {
      for (NetworkCard& card : present.cards) {
        if (EqualsNoCase(card.cardId, connection.cardId)) card.ssid = connection.ssid;
      }
    }
  }
  return present;
}

// --- change notifications ------------------------------------------------------

struct NetworkChangeWatch::State {
  std::function<void()> changed;
  std::atomic<bool> confirmed{false};
  std::vector<HANDLE> handles;
  HMODULE library = nullptr;
  decltype(&CancelMibChangeNotify2) cancel = nullptr;
};

namespace {

template <class Row>
void CALLBACK OnChange(PVOID context, Row*, MIB_NOTIFICATION_TYPE type) {
  auto& state = *static_cast<NetworkChangeWatch::State*>(context);
  if (type == MibInitialNotification) {
    state.confirmed = true;
    return;
  }
  state.changed();
}

}  // namespace

NetworkChangeWatch::NetworkChangeWatch(std::function<void()> changed) : state_(std::make_unique<State>()) {
  state_->changed = std::move(changed);
  state_->library = LoadLibraryW(L"iphlpapi.dll");
  if (!state_->library) return;
  state_->cancel = LoadFrom<decltype(&CancelMibChangeNotify2)>(state_->library, "CancelMibChangeNotify2");
  if (!state_->cancel) return;
  const auto interfaces = LoadFrom<decltype(&NotifyIpInterfaceChange)>(state_->library, "NotifyIpInterfaceChange");
  const auto routes = LoadFrom<decltype(&NotifyRouteChange2)>(state_->library, "NotifyRouteChange2");
  const auto addresses = LoadFrom<decltype(&NotifyUnicastIpAddressChange)>(state_->library, "NotifyUnicastIpAddressChange");
  const auto keep = [&](auto notify, ADDRESS_FAMILY family, auto callback, BOOLEAN initial) {
    HANDLE handle = nullptr;
    if (notify && notify(family, callback, state_.get(), initial, &handle) == NO_ERROR) state_->handles.push_back(handle);
  };
  // Only this one asks for the initial notification: it proves that the
  // callbacks are really called.
  keep(interfaces, AF_UNSPEC, &OnChange<MIB_IPINTERFACE_ROW>, TRUE);
  keep(routes, AF_INET, &OnChange<MIB_IPFORWARD_ROW2>, FALSE);
  keep(addresses, AF_INET, &OnChange<MIB_UNICASTIPADDRESS_ROW>, FALSE);
}

NetworkChangeWatch::~NetworkChangeWatch() {
  // Waits for callbacks in progress, so the state outlives them.
  for (HANDLE handle : state_->handles) {
    if (handle) state_->cancel(handle);
  }
  if (state_->library) FreeLibrary(state_->library);
}

bool NetworkChangeWatch::Works() const { return state_->confirmed && state_->handles.size() == 3; }

}  // namespace kip
