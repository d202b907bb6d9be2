#include "machine/Ipv6Live.h"

#include <netioapi.h>

#include <algorithm>
#include <cstring>

#include "machine/IPInfo.h"
#include "util/Guard.h"
#include "util/Ipv6Address.h"
#include "util/WindowsVersion.h"
#include "util/kRegistry.h"

namespace kip {

namespace {

// The address of a socket address when it is an IPv6 one.
std::optional<Ipv6Address> Ipv6Of(const SOCKET_ADDRESS& socketAddress) {
  if (socketAddress.lpSockaddr == nullptr || socketAddress.iSockaddrLength < static_cast<INT>(sizeof(sockaddr_in6)) ||
      socketAddress.lpSockaddr->sa_family != AF_INET6) {
    return std::nullopt;
  }
  const auto* in6 = reinterpret_cast<const sockaddr_in6*>(socketAddress.lpSockaddr);
  Ipv6Address address;
  std::memcpy(address.bytes.data(), &in6->sin6_addr, address.bytes.size());
  return address;
}

LiveIpv6 CardOf(const IP_ADAPTER_ADDRESSES& adapter) {
  LiveIpv6 card;
  for (auto* unicast = adapter.FirstUnicastAddress; unicast != nullptr; unicast = unicast->Next) {
    const auto address = Ipv6Of(unicast->Address);
    if (!address || address->IsLinkLocal()) continue;
    card.addresses.push_back({FormatIpv6Address(*address, false), static_cast<int>(unicast->OnLinkPrefixLength),
                              unicast->PrefixOrigin == IpPrefixOriginManual});
  }
  for (auto* gateway = adapter.FirstGatewayAddress; gateway != nullptr; gateway = gateway->Next) {
    if (const auto address = Ipv6Of(gateway->Address)) card.gateways.push_back(FormatIpv6Address(*address, false));
  }
  for (auto* server = adapter.FirstDnsServerAddress; server != nullptr; server = server->Next) {
    if (const auto address = Ipv6Of(server->Address)) card.dnsServers.push_back(FormatIpv6Address(*address, false));
  }
  return card;
}

// Where netsh keeps the DNS servers set by hand for a card's IPv6.
constexpr wchar_t kTcpip6InterfacesKey[] = L"\\SYSTEM\\CurrentControlSet\\Services\\Tcpip6\\Parameters\\Interfaces\\";

// "NameServer" holds them separated by commas or blanks.
StringList HandSetDnsServers(const std::wstring& cardId) {
  StringList servers;
  TkRegistry key(HKEY_LOCAL_MACHINE);
  if (!key.OpenKeyReadOnly(kTcpip6InterfacesKey + cardId)) return servers;
  const std::wstring text = key.TryReadString(L"NameServer").value_or(L"");
  std::wstring item;
  for (wchar_t c : text + L",") {
    if (c == L',' || c == L' ' || c == L'\t') {
      if (const auto address = ParseIpv6Address(item)) servers.push_back(FormatIpv6Address(*address, false));
      item.clear();
    } else {
      item += c;
    }
  }
  return servers;
}

std::optional<Ipv6Address> Ipv6Of(const SOCKADDR_INET& address) {
  if (address.si_family != AF_INET6) return std::nullopt;
  Ipv6Address result;
  std::memcpy(result.bytes.data(), &address.Ipv6.sin6_addr, result.bytes.size());
  return result;
}

// The default routes of each interface: every next hop (the card's
// gateways) and those set by hand ("netsh interface ipv6 add route ::/0").
struct DefaultRoutes {
  StringList gateways;
  StringList handSet;
};

// By interface; nullopt when the table cannot be read.
std::optional<std::map<ULONG64, DefaultRoutes>> ReadDefaultRoutes() {
  PMIB_IPFORWARD_TABLE2 table = nullptr;
  if (GetIpForwardTable2(AF_INET6, &table) != NO_ERROR || table == nullptr) return std::nullopt;
  std::map<ULONG64, DefaultRoutes> routes;
  for (ULONG i = 0; i < table->NumEntries; ++i) {
    const MIB_IPFORWARD_ROW2& row = table->Table[i];
    if (row.DestinationPrefix.PrefixLength != 0) continue;
    const auto nextHop = Ipv6Of(row.NextHop);
    if (!nextHop || nextHop->IsUnspecified()) continue;
    DefaultRoutes& routesOf = routes[row.InterfaceLuid.Value];
    const std::wstring text = FormatIpv6Address(*nextHop, false);
    if (std::find(routesOf.gateways.begin(), routesOf.gateways.end(), text) == routesOf.gateways.end()) {
      routesOf.gateways.push_back(text);
    }
    if (row.Origin == NlroManual) routesOf.handSet.push_back(text);
  }
  FreeMibTable(table);
  return routes;
}

std::map<ULONG64, Ipv6Autoconfig> Autoconfigs() {
  std::map<ULONG64, Ipv6Autoconfig> result;
  PMIB_IPINTERFACE_TABLE table = nullptr;
  if (GetIpInterfaceTable(AF_INET6, &table) != NO_ERROR || table == nullptr) return result;
  for (ULONG i = 0; i < table->NumEntries; ++i) {
    const MIB_IPINTERFACE_ROW& row = table->Table[i];
    if (row.RouterDiscoveryBehavior < RouterDiscoveryDisabled || row.RouterDiscoveryBehavior > RouterDiscoveryDhcp) {
      continue;
    }
    result[row.InterfaceLuid.Value] = {static_cast<Ipv6Autoconfig::RouterDiscovery>(row.RouterDiscoveryBehavior),
                                       row.ManagedAddressConfigurationSupported != FALSE,
                                       row.OtherStatefulConfigurationSupported != FALSE};
  }
  FreeMibTable(table);
  return result;
}

// Each adapter's IPv6 values with what tells hand-set from learnt; with the
// route table, the gateways come from it.
LiveIpv6Cards CardsOf(const IP_ADAPTER_ADDRESSES* first, const std::optional<std::map<ULONG64, DefaultRoutes>>& routes) {
  LiveIpv6Cards cards;
  // Wine's values are not the card's and no netsh there changes them.
  const auto autoconfigs = RunningOnWine() ? std::map<ULONG64, Ipv6Autoconfig>() : Autoconfigs();
  for (const IP_ADAPTER_ADDRESSES* adapter = first; adapter != nullptr; adapter = adapter->Next) {
    if (adapter->AdapterName == nullptr) continue;
    const std::wstring cardId = FromAnsi(adapter->AdapterName);
    LiveIpv6& card = cards[cardId] = CardOf(*adapter);
    const ULONG64 luid = adapter->Luid.Value;
    if (routes) {
      auto found = routes->find(luid);
      card.gateways = found != routes->end() ? found->second.gateways : StringList();
      card.handSetGateways = found != routes->end() ? found->second.handSet : StringList();
    }
    if (auto found = autoconfigs.find(luid); found != autoconfigs.end()) card.autoconfig = found->second;
    RunGuarded([&] { card.handSetDnsServers = HandSetDnsServers(cardId); });
  }
  return cards;
}

}  // namespace

LiveIpv6Cards ReadLiveIpv6() {
  // The gateways are the default routes' next hops: read from the route
  // table, which tells the hand-set ones anyway, the adapter list need not
  // list them; it does only when the table cannot be read.
  const auto routes = ReadDefaultRoutes();
  // Only what the cards' IPv6 values need: every part the system leaves out
  // is a query fewer (under Wine each is a round trip through the device
  // server). The family stays unspecified: asked for IPv6 alone, Wine fails
  // the whole call (DNS_ERROR_NO_DNS_SERVERS) on a machine without an IPv6
  // DNS server, where Windows answers with an empty list.
  const ULONG flags = GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_FRIENDLY_NAME |
                      (routes ? 0 : GAA_FLAG_INCLUDE_GATEWAYS);
  const std::vector<IP_ADAPTER_ADDRESSES> buffer = ReadAdapterAddresses(AF_UNSPEC, flags);
  return buffer.empty() ? LiveIpv6Cards() : CardsOf(buffer.data(), routes);
}

}  // namespace kip
