// The machine as it is now, for everything a commit writes: each card's
// interface values and the machine-wide settings, read in one go. From it
// come the value set the preview and the check after a commit compare, and
// the setting-shaped snapshot that a commit with automatic return goes back
// to.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "apply/CommitDiff.h"
#include "apply/CommitPlan.h"
#include "apply/CommitSequence.h"
#include "machine/FirewallPolicy.h"
#include "machine/InternetSettings.h"
#include "machine/MachineSettings.h"
#include "store/ReturnSnapshot.h"
#include "store/TcpipValueSet.h"

namespace kip {

struct LiveCard {
  std::wstring cardId;
  std::wstring name;
  std::optional<TcpipValues> tcpip;  // nullopt: the interface key does not open
  StringList winsServers;
  // Read only for a card whose setting changes IPv6.
  std::optional<LiveIpv6> ipv6{};
};

struct LiveMachine {
  std::wstring computerName;  // "NV Hostname", or the computer's name when it has none
  DomainMembership membership;
  std::optional<TcpipParameters> parameters;
  std::optional<InternetSettingsValues> internet;
  // The proxy as WinINet itself reports it; nullopt when it cannot be asked.
  std::optional<LanProxy> lanProxy;
  std::optional<std::wstring> startPage;
  std::wstring printerDevice;  // the current user's "Device"
  std::optional<std::string> hosts;
  FirewallMachineState firewall;  // through the interface the setting's Windows has
};

struct LiveState {
  std::vector<LiveCard> cards;  // the setting's card list, cards with an identifier
  LiveMachine machine;
  std::optional<int> settingIndex;  // the store's "Setting Index"
};

// Reads the cards of the setting's card list and the machine-wide part, the
// proxy and the firewall through the interfaces a commit writes them with.
// `systemFolder` holds drivers\etc\hosts (trailing "\").
LiveState ReadLiveState(const CommitSetting& setting, const std::wstring& systemFolder,
                        const MachineInterfaces& machine = {});

ValueSet ValueSetOf(const LiveState& live);

// The content of the HOSTS file a plan copies; nullopt when it names none or
// the file cannot be read.
std::optional<std::string> ReadHostsSource(const std::wstring& path);

// Reads the machine after the commit of `plan` and compares it with what the
// plan set, and with the Internet values put back exactly after it (a
// return); each difference also goes to the commit log.
std::vector<DiffSection> CheckAfterCommit(const CommitSetting& setting, const CommitPlan& plan,
                                          const CommitEnvironment& environment,
                                          const ExactInternetValues& exactInternet = {});

// The plan changes the domain (or workgroup) or the computer name, which no
// way back can undo: a commit with automatic return is refused for it.
bool ChangesDomainOrComputerName(const LiveMachine& live, const CommitPlan& plan);

// The state to go back to after the commit of `plan`, as a setting: every
// card the plan writes and the machine-wide values it writes, as they are
// now. What the plan leaves alone is left alone by the return too (the
// proxy, home page, printer, HOSTS file and firewall unless the plan writes
// them; never the domain, never a batch file). `hostsCopy` is where the
// current HOSTS file is kept for the return ("" when it is not copied back).
ReturnSnapshot SnapshotOf(const LiveState& live, const CommitSetting& setting, const CommitPlan& plan,
                          const std::wstring& hostsCopy);

}  // namespace kip
