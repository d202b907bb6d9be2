#include "store/Ipv6Setting.h"

#include <cstring>

#include "util/Guard.h"
#include "util/kRegistry.h"

namespace kip {

namespace {

// A list of another type reads as empty.
StringList ReadList(const TkRegistry& key, const wchar_t* name) {
  return key.TryReadStringList(name).value_or(StringList{});
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
  // The lists are only ever written with a choice: a key without one holds
  // none, and each list is a call into the registry per card.
  TRegRawValue mode;
  if (!key.ReadRaw(kIpv6ModeValue, mode)) return setting;
  DWORD number = 0;
  if (mode.Type == REG_DWORD && mode.Data.size() == sizeof number) {
    std::memcpy(&number, mode.Data.data(), sizeof number);
    setting.choice = ChoiceOf(static_cast<int>(number));
  }
  setting.addresses = ReadList(key, kIpv6AddressValue);
  setting.gateways = ReadList(key, kIpv6GatewayValue);
  setting.dnsServers = SplitCommaText(key.TryReadString(kIpv6NameServerValue).value_or(L""));
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
