// The IPv6 part of the netsh script: its own "interface ipv6" section after
// the IPv4 lines, one block per card whose setting changes IPv6. Pure text
// work on plain values, like the IPv4 part.
//
// Automatic: router discovery and DHCPv6 on, DNS from the network, the
// addresses set by hand removed. Fixed: router discovery and DHCPv6 off, the
// hand-set addresses and the gateways the setting does not hold removed, the
// setting's addresses, gateways and DNS servers (in order) put in. Only
// entries that parse as IPv6 addresses reach a line, always in their
// canonical form; a zone id never does (every line names its interface).
#pragma once

#include <string>
#include <vector>

#include "apply/NetshScript.h"
#include "machine/Ipv6Live.h"
#include "store/Ipv6Setting.h"

namespace kip {

struct NetshIpv6Card {
  std::wstring quotedName;  // as the card's IPv4 lines address it
  Ipv6Setting setting;
  LiveIpv6 live;            // what the card has now
};

// Whether this Windows's netsh has the commands of the section: 6.1 and
// later ("dnsservers" in the ipv6 context came with 6.1; 6.0 knows only
// "dnsserver").
bool NetshHasIpv6Section(DWORD majorVersion, DWORD minorVersion);

// As it was: the kept autoconfiguration, the kept hand-set addresses and
// gateways (those set by hand since removed), the kept DNS servers set by
// hand, or DNS from the network when there were none.

// The autoconfiguration the card's block sets.
Ipv6Autoconfig Ipv6AutoconfigOf(const Ipv6Setting& setting);

// The lines of one card; empty for a card whose IPv6 is left alone.
std::wstring NetshIpv6Block(const NetshIpv6Card& card);

// "pushd interface ipv6", the blocks, "popd"; empty when no block has a
// line, so a script that leaves IPv6 alone is what it always was.
std::wstring NetshIpv6Section(const std::vector<NetshIpv6Card>& cards);

// The setting's entries as the script writes them: the valid ones, canonical,
// each once, in their order.
StringList Ipv6ScriptAddresses(const StringList& entries);  // "address/length"
StringList Ipv6ScriptHosts(const StringList& entries);      // gateways, DNS servers

}  // namespace kip
