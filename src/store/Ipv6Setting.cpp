#include "store/Ipv6Setting.h"

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
    default: return Ipv6Choice::Unchanged;
  }
}

}  // namespace

Ipv6Setting ReadIpv6Setting(const TkRegistry& key) {
  Ipv6Setting setting;
  RunGuarded([&] { setting.choice = ChoiceOf(key.ReadInteger(kIpv6ModeValue)); });
  setting.addresses = ReadListGuarded(key, kIpv6AddressValue);
  setting.gateways = ReadListGuarded(key, kIpv6GatewayValue);
  RunGuarded([&] { setting.dnsServers = SplitCommaText(key.ReadString(kIpv6NameServerValue)); });
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
  });
}

}  // namespace kip
