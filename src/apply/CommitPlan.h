// The plan of a commit: everything a commit of one setting will write and
// run, built from plain values. No Win32 call and no window: the same plan
// is carried out by the commit sequence, shown before a commit, and checked
// against the machine after it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "apply/DomainJoiner.h"
#include "apply/FirewallWriter.h"
#include "apply/MachineWriters.h"
#include "apply/NetshIpv6.h"
#include "apply/NetshScript.h"
#include "machine/FirewallPolicy.h"
#include "store/FirewallStore.h"
#include "store/SettingRecord.h"
#include "util/Text.h"

namespace kip {

// One item of the machine's card list.
struct PlannedCardSource {
  std::wstring cardId;          // empty: the list has no identifier for it (no block, no restart)
  std::wstring connectionName;  // empty when Windows gives none
  std::wstring currentAddress;  // empty when Windows gives none
  // The setting's part for the card, or its live configuration when the
  // setting holds none; nullopt when neither can be read.
  std::optional<CardPart> part;
  // The label of the absent card whose stored part this card takes (the
  // same MAC address or connection name); empty: its own part or live values.
  std::wstring partFromLabel{};
  // The card's IPv6 values now; read only for a card whose part changes
  // IPv6 (the script removes what the setting does not hold).
  LiveIpv6 liveIpv6{};
  // The Windows Wi-Fi profile the card connects to before its addresses are
  // set (apply/WifiCommit.h); empty: none.
  std::wstring wifiProfile{};
};

// The card's IPv6 choice (Unchanged for a part without one).
Ipv6Setting Ipv6SettingOf(const PlannedCardSource& card);
bool ChangesIpv6(const PlannedCardSource& card);

struct FirewallCommit {
  FirewallPage page;
  std::vector<TFirewallEntry> entries;
};

// The setting to commit and the machine around it, as plain values.
struct CommitSetting {
  int settingIndex = -1;     // the tab, stored as "Setting Index"
  std::wstring settingName;
  WindowsClass scriptWindows = WindowsClass::Version6;  // from the start-up version
  DWORD osMajorVersion = 6, osMinorVersion = 1;         // from the start-up version
  DWORD commitMajorVersion = 6;                         // read again at the commit
  std::vector<PlannedCardSource> cards;                 // the card list, in its order
  MachineWideValues machineWide;
  // The device string of the stored default printer among the machine's
  // printers; nullopt when it names none of them.
  std::optional<std::wstring> printerDevice;
  std::optional<FirewallCommit> firewall;  // nullopt: the machine has no firewall policy
  std::wstring scriptPath;
  std::wstring beforeBatchPath, afterBatchPath;  // empty: the file does not exist
  // Whether a text reaches the script file unchanged (the code page carries
  // it); text that does not is never written into a line.
  ScriptTextFits scriptTextFits = FitsAnsiCodePage;
};

// A connection's DNS suffix (and, on Windows 2000, its registration values)
// written into the card's interface key before the script runs.
struct LiveDomainWrite {
  std::wstring cardId;
  std::wstring domain;
  bool registrationEnabled = true;
  bool registerAdapterName = false;
};

// How a child is run.
enum class ChildRun {
  WaitShown,      // shown as the program was started, waited for (before-batch)
  Captured,       // hidden, waited for, output discarded
  CapturedToLog,  // hidden, waited for, output into the commit log
  Start,          // shown normally, not waited for (after-batch)
};

struct PlannedChild {
  ChildRun run = ChildRun::Captured;
  std::wstring commandLine;
  // A batch file copied to the path the command line names, just before
  // it runs; empty: none.
  std::wstring copiedFrom;
  bool operator==(const PlannedChild&) const = default;
};

// The copies a batch whose path holds "%" runs as.
inline constexpr wchar_t kBeforeBatchCopyName[] = L"kIpCnfg_before.bat";
inline constexpr wchar_t kAfterBatchCopyName[] = L"kIpCnfg_after.bat";

struct CommitPlan {
  int settingIndex = -1;
  std::wstring settingName;
  DWORD osMajorVersion = 6, osMinorVersion = 1;
  // Machine-wide writes, in the order they are made.
  PrinterValues printer;
  InternetValues internet;
  TcpipParameterValues tcpip;   // hostName is also the computer name
  std::wstring hostsFile;       // copied over HOSTS; blank for none
  std::optional<FirewallCommit> firewall;
  std::vector<LiveDomainWrite> liveDomainWrites;
  DomainChoice domain;
  // The script and the children, each group in its order.
  std::wstring scriptPath;
  std::wstring script;
  std::optional<PlannedChild> beforeBatch;
  // Run only when the script file was written.
  std::vector<PlannedChild> serviceStarts;    // net start twice
  PlannedChild netshExec;                     // into the commit log
  std::vector<PlannedChild> cacheFlushes;     // arp, nbtstat twice
  std::vector<PlannedChild> restartChildren;  // version 6: every card disabled, then enabled
  PlannedChild flushDns;
  std::optional<PlannedChild> afterBatch;
};

// Whether the script gets its IPv6 section (cards that change IPv6 give it
// lines): on the Windows whose netsh has its commands.
bool WritesIpv6Section(const CommitSetting& setting);

// Every child of the plan in the order the commit runs them.
std::vector<PlannedChild> ChildrenInOrder(const CommitPlan& plan);

// A card's part as the script needs it: the values the editor shows for it
// and reads back (blank rows of the address and gateway lists kept as rows,
// automatic DNS only with DHCP, an empty WINS list as one blank row).
NetshCardInput CardScriptInput(const PlannedCardSource& card);

CommitPlan PlanCommit(const CommitSetting& setting);

}  // namespace kip
