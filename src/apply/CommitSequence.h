// The commit: writes one setting into the machine, in a fixed order.
//
//   before-batch (waited for), printer, Internet settings, TCP/IP
//   parameters, computer name, HOSTS copy, firewall, one netsh script over
//   every card ("net start" twice before "netsh exec", whose output goes to
//   the commit log; the ARP and NetBIOS caches flushed after it), on version
//   6 every card disabled and then enabled again, domain or workgroup,
//   "ipconfig /flushdns", after-batch (started, not waited for).
//
// The sequence takes plain values; what needs the main window (loading a
// card's part of the setting, the firewall and domain steps) it asks through
// CommitWindow, so the window's handler is a thin adapter. A command that
// cannot be started does not stop the commit, but it is reported: in the
// result and in the commit log, which every commit creates afresh.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "apply/MachineWriters.h"
#include "apply/NetshScript.h"
#include "util/Text.h"

namespace kip {

// What the commit asks of the main window.
class CommitWindow {
 public:
  virtual ~CommitWindow() = default;
  // Selects item `index` of the card list without its change event and
  // loads the committed setting's part for that card into the window (the
  // card's live configuration when the setting holds none).
  virtual void LoadCard(int index) = 0;
  // The loaded card's TCP/IP values as the script needs them; the sequence
  // fills in the identifier, connection name and current address itself.
  virtual NetshCardInput LoadedCardValues() = 0;
  // Writes the loaded card's connection suffix (and, on Windows 2000, its
  // registration values) into the card's interface key. A failure is
  // dropped by the sequence.
  virtual void WriteLiveDomainValues(const std::wstring& cardId) = 0;
  virtual void CommitFirewall() = 0;
  virtual void ChangeDomain() = 0;
};

// How child programs are started; the process runners of util in the
// program. A runner returns false, with GetLastError() telling why, when
// the program could not be started.
class CommandRunner {
 public:
  virtual ~CommandRunner() = default;
  // Shown with `showCommand`, in the program's folder, waited for.
  virtual bool RunAndWait(const std::wstring& commandLine, int showCommand) = 0;
  // Hidden, waited for; standard output into `outputFile` unless empty.
  virtual bool RunCaptured(const std::wstring& commandLine, const std::wstring& outputFile) = 0;
  // Shown normally, not waited for.
  virtual bool Start(const std::wstring& commandLine) = 0;
};

CommandRunner& SystemCommandRunner();

// The machine around the commit; DefaultCommitEnvironment() gives the real
// one, tests replace parts.
struct CommitEnvironment {
  std::wstring programFolder;  // holds the batch files; trailing "\"
  std::wstring tempFolder;     // holds the script; trailing "\" (or "\" alone)
  std::wstring systemFolder;   // the HOSTS target is below it; trailing "\"
  std::wstring commitLogPath;  // the program's path with ".log"
  int batchShowCommand = SW_SHOWNORMAL;  // how the program itself was started
  // The major version as Windows reports it at the commit (interface restart).
  std::function<DWORD()> readMajorVersion;
  std::function<std::wstring(const std::wstring& cardId)> connectionName;
  // The current address of each card (index-parallel), taken from one
  // listing of the adapters; empty where Windows gives none.
  std::function<StringList(const StringList& cardIds)> currentAddresses;
  std::function<void(const std::wstring& name)> setComputerName;
  SettingsAnnouncer* announcer = nullptr;
  CommandRunner* runner = nullptr;
};

CommitEnvironment DefaultCommitEnvironment();

// The setting being committed, as plain values.
struct CommitInputs {
  int settingIndex = -1;     // the selected tab, stored as "Setting Index"
  std::wstring settingName;  // its text; names the batch files
  WindowsClass scriptWindows = WindowsClass::Version6;  // from the start-up version
  int cardCount = 0;         // items of the card list
  StringList cardIds;        // index-parallel to the items (may be shorter)
  int selectedCard = -1;     // loaded again at the end
  PrinterValues printer;
  InternetValues internet;
  TcpipParameterValues tcpip;  // hostName is also the computer name
  std::wstring hostsFile;      // the file copied over HOSTS; blank for none
};

struct NotStartedCommand {
  std::wstring commandLine;
  DWORD error = 0;
};

struct CommitResult {
  std::vector<NotStartedCommand> notStarted;
};

inline constexpr wchar_t kScriptFileName[] = L"kipconfig.sh";

// Runs the sequence. Raises (and stops) only when the script cannot be
// written after it was created, when the commit log cannot be created for
// "netsh exec", or when a window step raises.
CommitResult RunCommitSequence(const CommitInputs& inputs, CommitWindow& window,
                               const CommitEnvironment& environment);

// The whole netsh script, loading each card into the window in turn (the
// window is left on the last card). With writeLiveDomainValues each card's
// domain values are written as the commit does; without, nothing is written
// anywhere, so the script can be shown before a commit.
std::wstring CollectNetshScript(const CommitInputs& inputs, CommitWindow& window,
                                const CommitEnvironment& environment, bool writeLiveDomainValues);

// The status-bar text naming the commands that could not be started; empty
// when every command started.
std::wstring NotStartedStatusText(const CommitResult& result);

}  // namespace kip
