// IPv6 address text: parsing every valid written form (full, compressed
// with "::", with an embedded dotted IPv4 tail, with a zone id) and writing
// the one canonical form (lower case, no leading zeros, the longest run of
// zero groups as "::"). Pure text work, no Win32.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kip {

struct Ipv6Address {
  std::array<std::uint8_t, 16> bytes{};
  std::wstring zone;  // "%" suffix without the "%"; empty when none

  bool IsUnspecified() const;  // ::
  bool IsMulticast() const;    // ff00::/8
  bool IsLinkLocal() const;    // fe80::/10
  bool operator==(const Ipv6Address&) const = default;
};

// The address the text writes, or nullopt when it is not exactly one IPv6
// address (surrounding blanks are allowed). A zone id ("%12", "%eth0":
// letters, digits, '.', '_', '-') is accepted only on a link-local address,
// the one kind whose meaning depends on it.
std::optional<Ipv6Address> ParseIpv6Address(std::wstring_view text);

// The canonical text; the zone id is kept when `withZone`.
std::wstring FormatIpv6Address(const Ipv6Address& address, bool withZone = true);

// An address with its prefix length ("2001:db8::10/64").
struct Ipv6Prefixed {
  Ipv6Address address;
  int prefixLength = 64;
  bool operator==(const Ipv6Prefixed&) const = default;
};

// "address/length" with a length of 1 to 128, or a bare address, which takes
// the usual subnet length of 64. Refused: zone ids, the unspecified and
// multicast addresses (none can be a card's own address).
std::optional<Ipv6Prefixed> ParseIpv6Prefixed(std::wstring_view text);
std::wstring FormatIpv6Prefixed(const Ipv6Prefixed& value);

// A gateway or a DNS server: an address that can be sent to (not :: and not
// multicast); nullopt otherwise.
std::optional<Ipv6Address> ParseIpv6Host(std::wstring_view text);

}  // namespace kip
