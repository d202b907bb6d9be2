// One card's IPv6 choice as plain data, read from and written to the card's
// key in a stored setting. Every key written before IPv6 was known reads as
// "leave IPv6 alone".
#pragma once

#include <optional>
#include <string>

#include "util/Text.h"

namespace kip {

class TkRegistry;

// The stored numbers of "IPv6Mode"; any other number reads as Unchanged.
enum class Ipv6Choice {
  Unchanged = 0,  // nothing of IPv6 is touched
  Automatic = 1,  // router advertisements and DHCPv6, DNS from the network
  Fixed = 2,      // the addresses, gateways and DNS servers below
  // The way back's: the card as it was kept. The hand-set addresses,
  // gateways and DNS servers below (no DNS server: from the network) and
  // the autoconfiguration as it was. Never offered on the page.
  AsItWas = 3,
};

// How the card takes IPv6 from the network ("netsh interface ipv6 set
// interface": routerdiscovery, managedaddress, otherstateful).
struct Ipv6Autoconfig {
  enum class RouterDiscovery { Disabled = 0, Enabled = 1, Dhcp = 2 };
  RouterDiscovery routerDiscovery = RouterDiscovery::Enabled;
  bool managedAddress = true;  // addresses by DHCPv6
  bool otherStateful = true;   // other settings (DNS) by DHCPv6
  bool operator==(const Ipv6Autoconfig&) const = default;
};

struct Ipv6Setting {
  Ipv6Choice choice = Ipv6Choice::Unchanged;
  StringList addresses;   // "address/length", as typed
  StringList gateways;    // in their order
  StringList dnsServers;  // in their order of use
  // AsItWas only; nullopt: it could not be read when the state was kept.
  std::optional<Ipv6Autoconfig> autoconfig{};
  bool operator==(const Ipv6Setting&) const = default;
};

// The value names, beside the card's IPv4 values.
inline constexpr wchar_t kIpv6ModeValue[] = L"IPv6Mode";
inline constexpr wchar_t kIpv6AddressValue[] = L"IPv6Address";
inline constexpr wchar_t kIpv6GatewayValue[] = L"IPv6DefaultGateway";
inline constexpr wchar_t kIpv6NameServerValue[] = L"IPv6NameServer";
// A kept state's autoconfiguration (DWORDs), beside "IPv6Mode" 3.
inline constexpr wchar_t kIpv6RouterDiscoveryValue[] = L"IPv6RouterDiscovery";
inline constexpr wchar_t kIpv6ManagedAddressValue[] = L"IPv6ManagedAddress";
inline constexpr wchar_t kIpv6OtherStatefulValue[] = L"IPv6OtherStateful";

// Reads the values, each in its own guard: a missing or unreadable mode
// leaves IPv6 alone, a bad list reads as empty. Without a stored mode the
// lists are not read (they are written only with one).
Ipv6Setting ReadIpv6Setting(const TkRegistry& key);

// Writes the values after the key's others. A choice to leave IPv6 alone with
// nothing typed writes no value at all (and removes a stored choice), so a
// setting that never used IPv6 keeps the shape it always had; a choice
// other than the way back's removes a kept autoconfiguration. False when a
// value could not be written.
bool WriteIpv6Setting(TkRegistry& key, const Ipv6Setting& setting);

}  // namespace kip
