#include "apply/NetshIpv6.h"

#include <algorithm>

#include "util/Ipv6Address.h"

namespace kip {

namespace {

constexpr wchar_t kLineEnd[] = L"\r\n";

bool Holds(const StringList& list, const std::wstring& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

void AddOnce(StringList& list, std::wstring item) {
  if (!Holds(list, item)) list.push_back(std::move(item));
}

class Ipv6BlockWriter {
 public:
  explicit Ipv6BlockWriter(const NetshIpv6Card& card) : card_(card), name_(card.quotedName) {}

  std::wstring Write() {
    const Ipv6Setting& setting = card_.setting;
    if (setting.choice == Ipv6Choice::Unchanged) return {};
    const bool automatic = setting.choice == Ipv6Choice::Automatic;
    const bool fixed = setting.choice == Ipv6Choice::Fixed;
    const StringList addresses = automatic ? StringList() : Ipv6ScriptAddresses(setting.addresses);
    const StringList gateways = automatic ? StringList() : Ipv6ScriptHosts(setting.gateways);
    WriteAutoconfig(Ipv6AutoconfigOf(setting));
    RemoveHandSetAddresses(addresses);
    RemoveGateways(gateways, fixed);
    for (const std::wstring& address : addresses) Line(L"add address interface=" + name_ + L" address=" + address);
    for (const std::wstring& gateway : gateways) {
      Line(L"add route prefix=::/0 interface=" + name_ + L" nexthop=" + gateway);
    }
    const StringList servers = automatic ? StringList() : Ipv6ScriptHosts(setting.dnsServers);
    // A card kept without DNS servers of its own took them from the network.
    if (fixed || !servers.empty()) {
      WriteFixedDns(servers);
    } else {
      Line(L"set dnsservers name=" + name_ + L" source=dhcp");
    }
    return text_;
  }

 private:
  void Line(const std::wstring& line) { text_ += line + kLineEnd; }

  void WriteAutoconfig(const Ipv6Autoconfig& autoconfig) {
    static constexpr const wchar_t* kDiscovery[] = {L"disabled", L"enabled", L"dhcp"};
    const auto state = [](bool on) { return on ? L"enabled" : L"disabled"; };
    Line(std::wstring(L"set interface interface=") + name_ + L" routerdiscovery=" +
         kDiscovery[static_cast<int>(autoconfig.routerDiscovery)] + L" managedaddress=" +
         state(autoconfig.managedAddress) + L" otherstateful=" + state(autoconfig.otherStateful));
  }

  void RemoveHandSetAddresses(const StringList& kept) {
    for (const LiveIpv6Address& live : card_.live.addresses) {
      if (!live.manual) continue;
      const auto parsed = ParseIpv6Prefixed(PrefixedText(live));
      if (!parsed) continue;
      if (Holds(kept, FormatIpv6Prefixed(*parsed))) continue;
      Line(L"delete address interface=" + name_ + L" address=" + FormatIpv6Address(parsed->address, false));
    }
  }

  // A fixed setting removes every gateway it does not hold. The others
  // remove those set by hand: where the route table says which, those; else
  // the ones beyond the link (routers announce themselves from link-local
  // addresses, so such a gateway was set by hand).
  void RemoveGateways(const StringList& kept, bool fixed) {
    const bool origins = !fixed && card_.live.handSetGateways.has_value();
    const StringList handSet = origins ? Ipv6ScriptHosts(*card_.live.handSetGateways) : StringList();
    StringList live = Ipv6ScriptHosts(card_.live.gateways);
    for (const std::wstring& gateway : handSet) AddOnce(live, gateway);
    for (const std::wstring& gateway : live) {
      if (Holds(kept, gateway)) continue;
      if (origins ? !Holds(handSet, gateway) : !fixed && ParseIpv6Address(gateway)->IsLinkLocal()) continue;
      Line(L"delete route prefix=::/0 interface=" + name_ + L" nexthop=" + gateway);
    }
  }

  void WriteFixedDns(const StringList& servers) {
    const std::wstring set = L"set dnsservers name=" + name_ + L" source=static address=";
    if (servers.empty()) {
      Line(set + L"none");
      return;
    }
    Line(set + servers.front());
    for (size_t i = 1; i < servers.size(); ++i) {
      Line(L"add dnsservers name=" + name_ + L" address=" + servers[i] + L" index=" + std::to_wstring(i + 1));
    }
  }

  const NetshIpv6Card& card_;
  const std::wstring& name_;
  std::wstring text_;
};

}  // namespace

StringList Ipv6ScriptAddresses(const StringList& entries) {
  StringList result;
  for (const std::wstring& entry : entries) {
    if (const auto value = ParseIpv6Prefixed(entry)) AddOnce(result, FormatIpv6Prefixed(*value));
  }
  return result;
}

StringList Ipv6ScriptHosts(const StringList& entries) {
  StringList result;
  for (const std::wstring& entry : entries) {
    if (const auto value = ParseIpv6Host(entry)) AddOnce(result, FormatIpv6Address(*value, false));
  }
  return result;
}

bool NetshHasIpv6Section(DWORD majorVersion, DWORD minorVersion) {
  return majorVersion > 6 || (majorVersion == 6 && minorVersion >= 1);
}

Ipv6Autoconfig Ipv6AutoconfigOf(const Ipv6Setting& setting) {
  using Discovery = Ipv6Autoconfig::RouterDiscovery;
  const Ipv6Autoconfig fromNetwork{Discovery::Enabled, true, true};
  const Ipv6Autoconfig byHand{Discovery::Disabled, false, false};
  switch (setting.choice) {
    case Ipv6Choice::Fixed: return byHand;
    // Kept without it: as the card's hand-set addresses suggest.
    case Ipv6Choice::AsItWas:
      return setting.autoconfig.value_or(Ipv6ScriptAddresses(setting.addresses).empty() ? fromNetwork : byHand);
    default: return fromNetwork;
  }
}

std::wstring NetshIpv6Block(const NetshIpv6Card& card) { return Ipv6BlockWriter(card).Write(); }

std::wstring NetshIpv6Section(const std::vector<NetshIpv6Card>& cards) {
  std::wstring blocks;
  for (const NetshIpv6Card& card : cards) blocks += NetshIpv6Block(card);
  if (blocks.empty()) return {};
  return std::wstring(L"pushd interface ipv6") + kLineEnd + blocks + L"popd" + kLineEnd;
}

}  // namespace kip
