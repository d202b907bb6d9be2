#include "store/Ipv6Setting.h"

#include <cstring>
#include <initializer_list>

#include "util/Guard.h"
#include "util/kRegistry.h"

namespace kip {

namespace {

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
  // The lists are only ever written with a choice: a key without one holds
  // none, and each list is a call into the registry per card.
  TRegRawValue mode;
  if (!key.ReadRaw(kIpv6ModeValue, mode)) return setting;
  DWORD number = 0;
  if (mode.Type == REG_DWORD && mode.Data.size() == sizeof number) {
    std::memcpy(&number, mode.Data.data(), sizeof number);
    setting.choice = ChoiceOf(static_cast<int>(number));
  }
  // A list of another type reads as empty.
  setting.addresses = key.TryReadStringList(kIpv6AddressValue).value_or(StringList{});
  setting.gateways = key.TryReadStringList(kIpv6GatewayValue).value_or(StringList{});
  setting.dnsServers = SplitCommaText(key.TryReadString(kIpv6NameServerValue).value_or(L""));
  if (setting.choice == Ipv6Choice::AsItWas) RunGuarded([&] { setting.autoconfig = ReadAutoconfig(key); });
  return setting;
}

bool WriteIpv6Setting(TkRegistry& key, const Ipv6Setting& setting) {
  const auto remove = [&key](std::initializer_list<const wchar_t*> names) {
    for (const wchar_t* name : names) {
      if (key.ValueExists(name)) key.DeleteValue(name);
    }
  };
  // A kept autoconfiguration belongs to the way back's choice alone: once
  // another is saved it goes, so that it cannot come back with a later one.
  if (setting.choice != Ipv6Choice::AsItWas) {
    remove({kIpv6RouterDiscoveryValue, kIpv6ManagedAddressValue, kIpv6OtherStatefulValue});
  }
  const bool nothingTyped = setting.addresses.empty() && setting.gateways.empty() && setting.dnsServers.empty();
  if (setting.choice == Ipv6Choice::Unchanged && nothingTyped) {
    remove({kIpv6ModeValue, kIpv6AddressValue, kIpv6GatewayValue, kIpv6NameServerValue});
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
