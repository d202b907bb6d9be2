// The Windows firewall as the page shows it: the switch, and the exceptions.
// Four exceptions are fixed rows known by name; every other exception is
// taken from the machine as found. Windows 2000 and XP keep it all as policy
// values in the registry (the program and port lists); Windows 7 and later
// through the firewall's own interface, where the switch is the private and
// public profiles' state, the fixed rows are rule groups and the exceptions
// are inbound rules for a program or a port.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kip {

// Under HKEY_LOCAL_MACHINE.
inline constexpr wchar_t kFirewallPolicyKey[] =
    L"\\SYSTEM\\CurrentControlSet\\Services\\SharedAccess\\Parameters\\FirewallPolicy\\StandardProfile";
inline constexpr wchar_t kFirewallProgramListKey[] =
    L"\\SYSTEM\\CurrentControlSet\\Services\\SharedAccess\\Parameters\\FirewallPolicy\\StandardProfile"
    L"\\AuthorizedApplications\\List";
inline constexpr wchar_t kFirewallPortListKey[] =
    L"\\SYSTEM\\CurrentControlSet\\Services\\SharedAccess\\Parameters\\FirewallPolicy\\StandardProfile"
    L"\\GloballyOpenPorts\\List";

// Kinds of exception: the list an entry comes from, also the subkey its
// stored state goes to.
inline constexpr wchar_t kProgramKind[] = L"AA";
inline constexpr wchar_t kPortKind[] = L"GP";

// One exception taken from the machine (not a fixed row).
struct TFirewallEntry {
  std::wstring friendlyName;
  std::wstring kind;  // kProgramKind or kPortKind
  std::wstring valueName;
  std::wstring data;  // "<value name>:<scope>:<state>:<friendly name>"

  // Friendly name, kind and data separated by tabs: the order of the list.
  std::wstring SortKey() const;
};

// A row of the exception list on the firewall page.
struct FirewallRow {
  std::wstring text;
  bool checked = false;
  bool operator==(const FirewallRow&) const = default;
};

// One value a fixed row writes: "<name>:<scope>:<state>:<friendly name>".
struct FixedValue {
  const wchar_t* name;
  const wchar_t* scope;
  const wchar_t* friendlyName;
};

struct FixedRow {
  const wchar_t* text;  // also the name its state is stored under
  const wchar_t* listKey;
  std::vector<FixedValue> values;  // written in this order; the last one gives the shown state
  // Windows 7 and later: the rule group the row switches, by its
  // resource-indirect name, which every language of Windows shares.
  const wchar_t* ruleGroup;
};

// The four fixed rows, always the last rows of the list, in this order.
const std::vector<FixedRow>& FixedFirewallRows();
inline constexpr size_t kFixedRowCount = 4;

// A value of a list in registry order: name and text.
using NamedValues = std::vector<std::pair<std::wstring, std::wstring>>;

// The friendly name of an entry: what follows the value-name prefix, the
// scope and the state (the remaining text where a colon is missing).
std::wstring FriendlyNameOf(std::wstring_view valueName, std::wstring_view data);
// True when the state field of the data is "Enabled" in any case.
bool DataReadsEnabled(std::wstring_view valueName, std::wstring_view data);
// The data with only its state field replaced by "Enabled" or "Disabled".
std::wstring DataWithState(std::wstring_view valueName, std::wstring_view data, bool enabled);
// "<name>:<scope>:<state>:<friendly name>" of a fixed row's value.
std::wstring FixedValueData(const FixedValue& value, bool enabled);

// The entry list of the two lists as read: values of the fixed rows left
// out, sorted by sort key (case ignored, the user's locale), entries with a
// friendly name of Windows' own exceptions dropped.
std::vector<TFirewallEntry> CollectFirewallEntries(const NamedValues& programs, const NamedValues& ports);
// Orders entries by sort key, case ignored under the user's locale.
void SortFirewallEntries(std::vector<TFirewallEntry>& entries);

// What the start-up read found.
struct FirewallMachineState {
  // The policy key exists: the firewall page is usable.
  bool policyFound = false;
  // "EnableFirewall" is 1 (both switched profiles on); absent when the value
  // is missing (the page's switches are then left as they are).
  std::optional<bool> firewallOn;
  // "DoNotAllowExceptions" is 1 (both profiles block all inbound traffic).
  bool doNotAllowExceptions = false;
  // Paired by position with the first rows.
  std::vector<TFirewallEntry> entries;
  // The exception list from the top: one row per entry, then the four
  // fixed rows; empty when the port list is missing.
  std::vector<FirewallRow> rows;
};

// Reads the policy key and both lists of HKEY_LOCAL_MACHINE. Windows 7 and
// later: FirewallApi.h.
FirewallMachineState ReadMachineFirewall();

}  // namespace kip
