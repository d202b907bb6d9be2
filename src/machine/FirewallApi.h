// Today's Windows firewall (Windows 7 and later) through its own interface,
// INetFwPolicy2 of FirewallAPI: the state of each profile, rule groups and
// rules. Everything the program asks of it goes through FirewallApi, so that
// a stand-in can show what was asked.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "machine/FirewallPolicy.h"

namespace kip {

// NET_FW_PROFILE_TYPE2: the profiles a switch of the page stands for. The
// domain profile is left to the domain's policy.
inline constexpr long kPrivateProfile = 0x2;
inline constexpr long kPublicProfile = 0x4;
inline constexpr long kSwitchedProfiles[] = {kPrivateProfile, kPublicProfile};
inline constexpr long kSwitchedProfileMask = kPrivateProfile | kPublicProfile;

inline constexpr long kProtocolTcp = 6;   // NET_FW_IP_PROTOCOL_TCP
inline constexpr long kProtocolUdp = 17;  // NET_FW_IP_PROTOCOL_UDP

// What the program reads of one rule (INetFwRule).
struct FirewallRuleFacts {
  std::wstring name;
  std::wstring applicationName;  // empty: any program
  std::wstring localPorts;       // empty or "*": any port
  std::wstring grouping;         // empty: the rule belongs to no group
  long protocol = 0;
  bool inbound = false;  // NET_FW_RULE_DIR_IN
  bool allow = false;    // NET_FW_ACTION_ALLOW
  long profiles = 0;
  bool enabled = false;
};

// The exception a rule stands for on the firewall page: an inbound rule that
// lets traffic in, belongs to no group (Windows' own rules all have one and
// are switched by their group), applies to the private or public profile,
// and names a program (kind "AA", key the program) or a TCP or UDP port
// (kind "GP", key "<ports>:TCP" or "<ports>:UDP"). nullopt for every other.
struct RuleEntryKey {
  std::wstring kind, key;
  bool operator==(const RuleEntryKey&) const = default;
};
std::optional<RuleEntryKey> EntryKeyOfRule(const FirewallRuleFacts& rule);

class FirewallApi {
 public:
  virtual ~FirewallApi() = default;
  // HRESULTs as INetFwPolicy2 returns them. The group calls return S_FALSE
  // when Windows has no such group.
  virtual HRESULT FirewallEnabled(long profile, bool& enabled) = 0;
  virtual HRESULT SetFirewallEnabled(long profile, bool enabled) = 0;
  virtual HRESULT BlockAllInbound(long profile, bool& block) = 0;
  virtual HRESULT SetBlockAllInbound(long profile, bool block) = 0;
  virtual HRESULT RuleGroupEnabled(long profiles, const std::wstring& group, bool& enabled) = 0;
  virtual HRESULT EnableRuleGroup(long profiles, const std::wstring& group, bool enable) = 0;
  virtual HRESULT ReadRules(std::vector<FirewallRuleFacts>& rules) = 0;
  // Sets the Enabled property of every rule whose EntryKeyOfRule is `entry`;
  // S_FALSE when there is none.
  virtual HRESULT EnableRules(const RuleEntryKey& entry, bool enable) = 0;
};

// Opens the machine's firewall policy; nullptr, with `error` set, when it
// cannot (no such COM class, as under Wine, or no access).
using FirewallOpener = std::function<std::unique_ptr<FirewallApi>(HRESULT& error)>;

// CoCreateInstance of NetFwPolicy2 (COM set up for the calling thread for
// the life of the object).
std::unique_ptr<FirewallApi> OpenFirewallPolicy2(HRESULT& error);

// "<text> (0x80004001)": why an interface call failed, for the step log.
std::wstring HresultText(HRESULT result);

// Reads today's firewall through its interface. An exception row is one
// program or port (EntryKeyOfRule), named after its first rule and checked
// when any of its rules is enabled (something is let in); a fixed row is
// checked when its group is enabled for both switched profiles.
FirewallMachineState ReadFirewallPolicy2(FirewallApi& api);

// The firewall as this Windows keeps it: the policy keys on major version 5
// and below, the interface from 6 on (a policy that cannot be opened or read
// is no policy: the page stays disabled).
FirewallMachineState ReadMachineFirewall(DWORD majorVersion, const FirewallOpener& open);

}  // namespace kip
