// The commit: carries out a commit plan, in a fixed order.
//
//   "Setting Index", before-batch (waited for), printer, Internet settings,
//   TCP/IP parameters, computer name, HOSTS copy, firewall, each card's
//   connection suffix, one netsh script over every card ("net start" twice
//   before "netsh exec", whose output goes to the commit log; the ARP and
//   NetBIOS caches flushed after it), on version 6 every card disabled and
//   then enabled again, domain or workgroup, "ipconfig /flushdns",
//   after-batch (started, not waited for).
//
// The plan holds every value; the only thing the sequence asks of its
// caller is the domain change, which may need the user's account. A
// command that cannot be started does not stop the commit, but it is
// reported: in the result and in the commit log, which every commit
// creates afresh.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "apply/MachineWriters.h"
#include "machine/Ipv6Live.h"
#include "util/Process.h"
#include "util/Text.h"

namespace kip {

struct CommitPlan;
struct DomainChoice;

// The steps of a commit, in their order; a plan may leave some out.
enum class CommitStep {
  BeforeBatch,
  Printer,
  InternetSettings,
  TcpipParameters,
  ComputerName,
  Hosts,
  Firewall,
  ConnectionSuffixes,
  Script,
  Services,
  Netsh,
  Caches,
  RestartCards,
  Domain,
  FlushDns,
  AfterBatch,
};

// What the status bar and the step log say while the step runs.
std::wstring CommitStepText(CommitStep step);

// What the commit asks of its caller, and what it tells it.
class CommitUser {
 public:
  virtual ~CommitUser() = default;
  // Joins the domain or workgroup the plan names (the window asks for an
  // account with its login dialog).
  virtual void ChangeDomain(const DomainChoice& choice) = 0;
  virtual void StepStarted(CommitStep) {}
  // `succeeded` is false when a child of the step could not be started, the
  // script file could not be written, or the step could not start because
  // of that (each of its commands is then reported as not started).
  virtual void StepEnded(CommitStep, bool /*succeeded*/) {}
  // What a step has to tell besides its result (whose proxy it changed,
  // what Windows refused, where netsh's answers went when the commit log
  // could not be opened), before the step ends.
  virtual void StepNote(CommitStep, const std::wstring& /*text*/, const std::wstring& /*result*/) {}
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

// The runners of util/Process.h. Their waits hand each window message to
// `filter` first: the window passes its own keyboard handling, so that it
// stays usable while a child runs.
class SystemRunner final : public CommandRunner {
 public:
  explicit SystemRunner(MessageFilter filter = nullptr) : filter_(filter) {}
  bool RunAndWait(const std::wstring& commandLine, int showCommand) override;
  bool RunCaptured(const std::wstring& commandLine, const std::wstring& outputFile) override;
  bool Start(const std::wstring& commandLine) override;

 private:
  const MessageFilter filter_;
};

// Without a window of its own: messages are handled plainly.
CommandRunner& SystemCommandRunner();

inline constexpr wchar_t kScriptFileName[] = L"kipconfig.sh";

// The machine around the commit; DefaultCommitEnvironment() gives the real
// one, tests replace parts.
struct CommitEnvironment {
  std::wstring programFolder;  // holds the batch files; trailing "\"
  // Holds the script, and the commit log's stand-in when that cannot be
  // opened; trailing "\". In the program the working folder only
  // administrators can write (util/AdminOnly.h), which the caller holds for
  // the commit: the program's own folder, or the user's %TEMP%, would let an
  // unelevated process swap the script netsh runs as an administrator.
  std::wstring tempFolder;
  // Each run its own: a way back may run beside the commit it undoes.
  std::wstring scriptName = kScriptFileName;
  // Named for one process, it is removed once netsh has read it: such
  // files would otherwise pile up.
  bool removeScriptAfterRun = false;
  std::wstring systemFolder;   // the HOSTS target is below it; trailing "\"
  std::wstring commitLogPath;  // the program's path with ".log"
  int batchShowCommand = SW_SHOWNORMAL;  // how the program itself was started
  // The major version as Windows reports it at the commit (interface restart).
  std::function<DWORD()> readMajorVersion;
  std::function<std::wstring(const std::wstring& cardId)> connectionName;
  // The current address of each card (index-parallel), taken from one
  // listing of the adapters; empty where Windows gives none.
  std::function<StringList(const StringList& cardIds)> currentAddresses;
  // The hardware (MAC) address of each card (index-parallel); empty where
  // Windows gives none. Unset: none is known.
  std::function<StringList(const StringList& cardIds)> hardwareAddresses;
  // The IPv6 values of every card, from one listing of the adapters; asked
  // only when a card's part changes IPv6. Unset: nothing is known.
  std::function<LiveIpv6Cards()> liveIpv6;
  // Sets the computer's name for the next start; false when Windows refuses.
  std::function<bool(const std::wstring& name)> setComputerName;
  SettingsAnnouncer* announcer = nullptr;
  CommandRunner* runner = nullptr;
  // WinINet, the firewall's interface and the accounts: the system's own.
  MachineInterfaces machine{};
};

CommitEnvironment DefaultCommitEnvironment();

struct NotStartedCommand {
  std::wstring commandLine;
  DWORD error = 0;
};

struct CommitResult {
  std::vector<NotStartedCommand> notStarted;
};

// Runs the plan. Raises (and stops) only when the domain change raises or a
// step is abandoned by its caller. A script that cannot be written, or a
// commit log another process holds, never stops it.
CommitResult RunCommitPlan(const CommitPlan& plan, CommitUser& user, const CommitEnvironment& environment);

// How many commits the store has seen (each commit counts itself first):
// a commit with automatic return tells by it whether a later commit came.
DWORD ReadCommitSerial();

// The status-bar text naming the commands that could not be started; empty
// when every command started.
std::wstring NotStartedStatusText(const CommitResult& result);

}  // namespace kip
