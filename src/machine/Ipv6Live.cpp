#include "machine/Ipv6Live.h"

#include <cstring>

#include "util/Ipv6Address.h"

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

constexpr int kAttempts = 4;
constexpr ULONG kInitialSize = 16 * 1024;

}  // namespace

LiveIpv6Cards BuildLiveIpv6(const IP_ADAPTER_ADDRESSES* first) {
  LiveIpv6Cards cards;
  for (const IP_ADAPTER_ADDRESSES* adapter = first; adapter != nullptr; adapter = adapter->Next) {
    if (adapter->AdapterName == nullptr) continue;
    cards[FromAnsi(adapter->AdapterName)] = CardOf(*adapter);
  }
  return cards;
}

LiveIpv6Cards ReadLiveIpv6() {
  const ULONG flags = GAA_FLAG_INCLUDE_GATEWAYS | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_ANYCAST;
  ULONG size = kInitialSize;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    // Whole records, so the buffer is aligned for the chain it receives.
    std::vector<IP_ADAPTER_ADDRESSES> buffer(size / sizeof(IP_ADAPTER_ADDRESSES) + 1);
    size = static_cast<ULONG>(buffer.size() * sizeof(IP_ADAPTER_ADDRESSES));
    const ULONG result = ::GetAdaptersAddresses(AF_UNSPEC, flags, nullptr, buffer.data(), &size);
    if (result == ERROR_SUCCESS) return BuildLiveIpv6(buffer.data());
    if (result != ERROR_BUFFER_OVERFLOW) break;
  }
  return {};
}

}  // namespace kip
