// The firewall step of a commit, and the pairing of the firewall page's
// rows with the exceptions read at start-up.
#pragma once

#include <vector>

#include "apply/MachineWriters.h"
#include "machine/FirewallPolicy.h"
#include "store/FirewallStore.h"

namespace kip {

// The page as plain values: row i of `rows` is entry i while rows remain
// before the four fixed rows at the end (a list of three rows or fewer has
// no fixed rows).
FirewallPage MakeFirewallPage(bool useSwitch, bool firewallOn, bool doNotAllowExceptions,
                              const std::vector<TFirewallEntry>& entries, const std::vector<FirewallRow>& rows);

// The checks of the page back into the rows it was made from.
void CopyChecksToRows(const FirewallPage& page, std::vector<FirewallRow>& rows);

// Writes the page into the machine's firewall policy when its switch is on
// and the policy key exists: the two policy values, the state of each entry
// (paired by position with page.entryChecks) and the values of the fixed
// rows. Failing writes are skipped; nothing is reported.
void CommitFirewall(const FirewallPage& page, const std::vector<TFirewallEntry>& entries);

// The commit's firewall step: the policy keys on major version 5 and below,
// the firewall's interface from 6 on. A firewall whose interface cannot be
// opened fails the step and says why; it is never taken as written. Through
// the interface, when the switch is on: the state and block-all-inbound of
// the private and public profiles, each exception's rules (paired by
// position with page.entryChecks) and each fixed row's rule group. Every
// call is made; each one refused (a group or rule Windows does not have
// included) is a note, and fails the step.
WriterOutcome WriteFirewall(const FirewallPage& page, const std::vector<TFirewallEntry>& entries,
                            DWORD majorVersion, const FirewallOpener& open);

}  // namespace kip
