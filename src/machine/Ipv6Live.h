// The machine's IPv6 configuration per card: the addresses with their prefix
// lengths (and whether each was set by hand) and the DNS servers as
// GetAdaptersAddresses reports them, the default gateways as the route table
// holds them (the adapter list's when the table cannot be read); beside it
// what tells the hand-set from what the network gave: the default routes set
// by hand (the route table's origin), the DNS servers set by hand (the
// interface's "NameServer" under Tcpip6) and how the card takes IPv6 from
// the network (the IP interface table).
//
// Under Wine the adapter list counts every address as learnt, the route
// table has no IPv6 row and the interface table holds values netsh cannot
// change there: the autoconfiguration is then not read (unknown).
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include <map>
#include <string>
#include <vector>

#include "store/Ipv6Setting.h"
#include "util/Text.h"

namespace kip {

struct LiveIpv6Address {
  std::wstring address;  // canonical text, without a zone
  int prefixLength = 0;
  bool manual = false;  // set by hand (netsh, the adapter's dialog), not learnt
  bool operator==(const LiveIpv6Address&) const = default;
};

// "address/length", as settings write an address.
inline std::wstring PrefixedText(const LiveIpv6Address& address) {
  return address.address + L"/" + std::to_wstring(address.prefixLength);
}

struct LiveIpv6 {
  std::vector<LiveIpv6Address> addresses;  // link-local ones left out
  StringList gateways;                     // canonical text, without a zone
  StringList dnsServers;                   // in their order of use
  // Default gateways set by hand, canonical; nullopt: the routes could not
  // be read.
  std::optional<StringList> handSetGateways{};
  // DNS servers set by hand, in their order; empty: from the network.
  StringList handSetDnsServers{};
  // nullopt: not known.
  std::optional<Ipv6Autoconfig> autoconfig{};
  bool operator==(const LiveIpv6&) const = default;
};

// Card identifier ("{GUID}") to its IPv6 values.
using LiveIpv6Cards = std::map<std::wstring, LiveIpv6>;

// Asks the system; an empty map when it cannot say.
LiveIpv6Cards ReadLiveIpv6();

}  // namespace kip
