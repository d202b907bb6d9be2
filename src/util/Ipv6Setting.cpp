#include "util/Ipv6Setting.h"

#include "util/Guard.h"
#include "util/kRegistry.h"

namespace kip {

namespace {

StringList ReadListGuarded(const TkRegistry& key, const wchar_t* name) {
  StringList entries;
  if (!RunGuarded([&] { key.ReadStringList(name, entries); })) entries.clear();
  return entries;
}

Ipv6Choice ChoiceOf(int stored) {
  switch (stored) {
    case 1: return Ipv6Choice::Automatic;
    case 2: return Ipv6Choice::Fixed;
    case 3: return Ipv6Choice::AsItWas;
    default: return Ipv6Choice::Unchanged;
  }
}

// All three or none: a part of them is no state to go back to.
std::optional<Ipv6Autoconfig> ReadAutoconfig(const TkRegistry& key) {
  const auto discovery = key.TryReadInteger(kIpv6RouterDiscoveryValue);
  const auto managed = key.TryReadInteger(kIpv6ManagedAddressValue);
  const auto other = key.TryReadInteger(kIpv6OtherStatefulValue);
  if (!discovery || !managed || !other || *discovery < 0 || *discovery > 2) return std::nullopt;
  return Ipv6Autoconfig{static_cast<Ipv6Autoconfig::RouterDiscovery>(*discovery), *managed != 0, *other != 0};
}

}  // namespace

Ipv6Setting ReadIpv6Setting(const TkRegistry& key) {
  Ipv6Setting setting;
  RunGuarded([&] { setting.choice = ChoiceOf(key.ReadInteger(kIpv6ModeValue)); });
  setting.addresses = ReadListGuarded(key, kIpv6AddressValue);
  setting.gateways = ReadListGuarded(key, kIpv6GatewayValue);
  RunGuarded([&] { setting.dnsServers = SplitCommaText(key.ReadString(kIpv6NameServerValue)); });
  if (setting.choice == Ipv6Choice::AsItWas) RunGuarded([&] { setting.autoconfig = ReadAutoconfig(key); });
  return setting;
}

bool WriteIpv6Setting(TkRegistry& key, const Ipv6Setting& setting) {
  const bool nothingTyped = setting.addresses.empty() && setting.gateways.empty() && setting.dnsServers.empty();
  if (setting.choice == Ipv6Choice::Unchanged && nothingTyped) {
    for (const wchar_t* name : {kIpv6ModeValue, kIpv6AddressValue, kIpv6GatewayValue, kIpv6NameServerValue}) {
      if (key.ValueExists(name)) key.DeleteValue(name);
    }
    return true;
  }
  return RunGuarded([&] {
    key.WriteInteger(kIpv6ModeValue, static_cast<int>(setting.choice));
    key.WriteStringList(kIpv6AddressValue, setting.addresses);
    key.WriteStringList(kIpv6GatewayValue, setting.gateways);
    key.WriteString(kIpv6NameServerValue, JoinCommaText(setting.dnsServers));
    if (setting.choice == Ipv6Choice::AsItWas && setting.autoconfig) {
      key.WriteInteger(kIpv6RouterDiscoveryValue, static_cast<int>(setting.autoconfig->routerDiscovery));
      key.WriteInteger(kIpv6ManagedAddressValue, setting.autoconfig->managedAddress ? 1 : 0);
      key.WriteInteger(kIpv6OtherStatefulValue, setting.autoconfig->otherStateful ? 1 : 0);
    }
  });
}

}  // namespace kip
