// What a commit changes, in plain values: the cards and the machine-wide
// part in the terms a commit sets them, the state a plan leaves behind, and
// the field-by-field difference of two such value sets. No Win32 call: the
// preview before a commit, the check after it and the tests share it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "apply/CommitPlan.h"
#include "store/TcpipValueSet.h"
#include "util/Text.h"

namespace kip {

struct AddressValue {
  std::wstring address, mask;
};

struct GatewayValue {
  std::wstring gateway, metric;  // the metric as the script writes it
};

// A card's IPv6 as it can be seen from outside: its addresses (those set by
// hand apart from those learnt from the network), gateways, DNS servers
// (whether set by hand) and, where it can be read, how it takes IPv6 from
// the network.
struct Ipv6ValueSet {
  StringList handSet;     // "address/length", canonical, sorted
  StringList learnt;      // the same, for addresses the network gave
  StringList gateways;    // canonical, sorted
  StringList dnsServers;  // canonical, in their order
  bool dnsHandSet = false;
  std::optional<Ipv6Autoconfig> autoconfig{};  // nullopt: not known
  bool operator==(const Ipv6ValueSet&) const = default;
};

Ipv6ValueSet Ipv6ValuesOf(const LiveIpv6& live);

// One card. Blank rows and the "0.0.0.0" placeholder are no entries.
struct CardValueSet {
  std::wstring cardId;
  std::wstring name;      // the connection name, or the identifier when there is none
  bool readable = false;  // false: the card's values could not be read
  bool dhcp = false;
  std::vector<AddressValue> addresses;  // none with DHCP
  std::vector<GatewayValue> gateways;
  StringList dnsServers;  // in their order; none with DHCP means from DHCP
  std::wstring dnsSuffix;
  bool registerAddresses = true;
  bool registerSuffix = false;  // counts only while the addresses are registered
  StringList winsServers;
  // Compared only for a card whose setting changes IPv6; nullopt elsewhere.
  std::optional<Ipv6ValueSet> ipv6;
};

struct HostsValue {
  std::wstring source;                 // empty: the file in place
  std::optional<std::string> content;  // nullopt: it cannot be read
};

struct FirewallRowValue {
  std::wstring name;  // the row's text on the firewall page
  bool enabled = false;
};

struct FirewallValueSet {
  bool on = false;
  bool noExceptions = false;
  std::vector<FirewallRowValue> rows;  // in the page's order
};

struct MachineValueSet {
  std::wstring computerName;
  std::wstring domain;     // set when the machine is (or will be) in a domain
  std::wstring workGroup;  // set when it is (or will be) in a workgroup
  bool ipRouter = false;
  bool domainNameDevolution = true;
  StringList searchList;  // empty: the primary and connection-specific suffixes
  bool proxyOn = false;
  std::wstring proxyServer, proxyOverride, autoConfigUrl;
  std::wstring homePage;
  std::wstring printerDevice;  // "name,driver,port"
  HostsValue hosts;
  std::optional<FirewallValueSet> firewall;  // nullopt: the machine has no firewall policy
};

struct ValueSet {
  std::vector<CardValueSet> cards;  // in the card list's order
  MachineValueSet machine;
};

// What the user calls a card: its connection name, or its identifier.
std::wstring CardDisplayName(const PlannedCardSource& card);

// A card as its TCP/IP and WINS values hold it (the interface keys, or a
// stored card part); `tcpip` nullopt: they could not be read.
CardValueSet CardValuesOf(const std::wstring& cardId, const std::wstring& name,
                          const std::optional<TcpipValues>& tcpip, const StringList& winsServers);

// The state the plan leaves: `current` with everything the plan writes put
// over it. `hostsSource` is the content of the plan's HOSTS file.
ValueSet ExpectedAfterCommit(const ValueSet& current, const CommitSetting& setting, const CommitPlan& plan,
                             const std::optional<std::string>& hostsSource);

enum class DiffField {
  Dhcp, Addresses, Gateways, DnsServers, DnsSuffix, DnsRegistration, WinsServers,
  ComputerName, Membership, IpRouter, Devolution, SearchList, ProxyOn, ProxyServer, ProxyOverride,
  AutoConfigUrl, HomePage, Printer, Hosts, Firewall, FirewallNoExceptions, FirewallAllowed,
  Ipv6Addresses, Ipv6Gateways, Ipv6DnsServers, Ipv6Autoconfig,
};

struct DiffRow {
  DiffField field;
  std::wstring caption;
  std::wstring before, after;
  bool changed = false;
};

// One card, or the machine-wide part (cardId empty).
struct DiffSection {
  std::wstring cardId;
  std::wstring title;
  bool readableBefore = true, readableAfter = true;
  std::vector<DiffRow> rows;
};

// Every field of both sets, side by side; cards are paired by identifier in
// the order of `after`.
std::vector<DiffSection> DiffValueSets(const ValueSet& before, const ValueSet& after);

// The fields that did not take the value the plan gave them: `expected`
// against what the machine holds after the commit. The domain membership is
// left out, since it changes only when Windows restarts.
std::vector<DiffSection> CommitMismatches(const ValueSet& expected, const ValueSet& actual);

// "反映しました" when nothing is left, otherwise what did not stick, card by
// card ("ローカル エリア接続: DNS サーバーが一致しません").
std::wstring MismatchStatusText(const std::vector<DiffSection>& mismatches);
// One line per difference for the commit log; empty when there is none.
std::wstring MismatchLogText(const std::vector<DiffSection>& mismatches);

// What the preview shows: the difference and the plan's own script and
// command lines.
struct CommitReview {
  std::wstring settingName;
  std::vector<DiffSection> sections;
  std::wstring script;
  StringList commandLines;
};

CommitReview ReviewOf(const ValueSet& current, const ValueSet& expected, const CommitPlan& plan);
// The script and the command lines under their headings, CR LF line ends.
std::wstring ScriptAndCommandsText(const CommitReview& review);
// The whole review as text (changed fields marked with "*"), for a file.
std::wstring ReviewText(const CommitReview& review);

inline constexpr wchar_t kMachineSectionTitle[] = L"コンピュータ全体";
inline constexpr wchar_t kCommitVerifiedText[] = L"反映しました";

}  // namespace kip
