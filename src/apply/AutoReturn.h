// A commit that goes back by itself unless the user confirms it. Before the
// commit the machine's state is kept as a setting (store/ReturnSnapshot.h)
// and a helper process is started: the program itself with
// kAutoReturnSwitch. The helper reads the way back and says it is ready
// before the commit begins; from the moment netsh has run (the network has
// changed) it counts the time-out down, whole again each time the window says
// the commit moved on and once more when the question is shown, and without
// an answer it commits the way back whatever the window is doing: a commit
// stuck in a child, a window killed or cut off from its user.
//
// The window and the helper speak through handles the helper inherits, not
// through names: no other process can create them first or answer for the
// user. The kept state is stored under a random token, in a key made new.
#pragma once

#include "apply/AutoReturnSwitch.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "apply/CommitSequence.h"
#include "apply/LiveSnapshot.h"
#include "store/ReturnSnapshot.h"
#include "util/UniqueHandle.h"

namespace kip {

// kIpCnfg.exe /autoreturn <token> <process id of the window>

// How the helper ended: its exit code.
enum class ReturnOutcome : DWORD { Kept = 0, Failed = 1, Returned = 2, Superseded = 3 };

enum class ReturnDecision { Keep, Return };

// What the helper waits on.
struct ReturnSignals {
  HANDLE netshRan = nullptr;   // the network has changed: the countdown starts
  HANDLE committed = nullptr;  // the commit has ended; starts it too when netsh never ran
  HANDLE keep = nullptr;
  HANDLE returnNow = nullptr;
  HANDLE window = nullptr;  // the window's process: once it has ended nobody can answer
  // Auto-reset: a step of the commit ended, or the question is shown; the
  // countdown, once started, starts again whole. Null: never.
  HANDLE restartClock = nullptr;
};

// When the helper goes back unanswered. The time-out is the user's time to
// answer, not the machine's time to restart its cards: it starts when the
// network changed and starts again whole each time the commit moves on or
// the question is shown. A commit stuck in a step goes back within the
// time-out of the last step that ended.
class ReturnCountdown {
 public:
  explicit ReturnCountdown(DWORD timeoutMs) : timeoutMs_(timeoutMs) {}
  // Netsh ran, or the commit ended without it; only the first counts.
  void Start(ULONGLONG now) {
    if (!started_) From(now);
  }
  // Nothing to restart before the start.
  void Restart(ULONGLONG now) {
    if (started_) From(now);
  }
  // How long to wait at `now`: INFINITE before the start, 0 once it is up.
  DWORD WaitMs(ULONGLONG now) const {
    if (!started_) return INFINITE;
    return now >= deadline_ ? 0 : static_cast<DWORD>(deadline_ - now);
  }

 private:
  void From(ULONGLONG now) {
    started_ = true;
    deadline_ = now + timeoutMs_;
  }
  DWORD timeoutMs_;
  bool started_ = false;
  ULONGLONG deadline_ = 0;
};

// The helper's wait: an answer decides at once; the countdown above decides
// without one; the window's end means going back at once.
ReturnDecision AwaitConfirmation(const ReturnSignals& signals, DWORD timeoutMs);

// What a look at a kept state's owner found.
enum class OwnerLook {
  Same,      // the process is there and is the one that was named
  Ended,     // it has ended, or its id now names a later process
  Gone,      // no process has that id
  Unknown,   // it could not be opened for another reason (access denied)
};

// Whether an owner still holds its kept state. One that cannot be looked at
// holds it only as long as a way back can take: `keptForMs` since the state
// was kept (nullopt: not known), against the kept time-out.
bool OwnerHolds(OwnerLook look, std::optional<ULONGLONG> keptForMs, DWORD timeoutSeconds);

// The way back: snapshot `token` as a setting (its cards and machine-wide
// values, no batch file) and what is put back around it.
struct WayBack {
  CommitSetting setting;
  ExactInternetValues exactInternet;
  bool removeHosts = false;
  std::wstring stepLogPath;  // the window's "/log FILE"; empty: none
};

// The helper reads the way back when it starts, so that an import or an
// undo during the countdown, which replaces the whole store and the
// snapshot with it, cannot turn the way back into a commit of the new state.
WayBack ReadWayBack(const std::wstring& token, const ReturnTicket& ticket, const CommitEnvironment& environment);

// Commits the way back with the cards' names and addresses as they are now,
// without a domain change, and puts the exact Internet values back; then
// checks the machine against it (differences into the commit log). Returns
// what did not go back: empty only when every command started and the
// check matched. Raises as a commit does.
std::wstring CommitWayBack(WayBack wayBack, const CommitEnvironment& environment);

// The whole run of the helper process; returns its exit code.
int RunAutoReturnHelper(const std::wstring& token, DWORD windowProcessId);

// What the helper did: its outcome, and the text the status bar and the
// logs show (empty when the user kept the commit).
struct ReturnReport {
  ReturnOutcome outcome = ReturnOutcome::Failed;
  std::wstring text;
};

// Removes the kept states (and their HOSTS copies in the working folder, or
// beside the program where older versions kept them) that neither a window
// nor a helper holds any more: a process that was killed or a machine that
// was switched off left them.
void RemoveAbandonedReturns(const std::wstring& programPath, const std::wstring& workFolder);
// True while some process, in this session or another, holds a kept state:
// a return may still come.
bool ReturnPending();

// The window's side of one commit with automatic return.
class AutoReturn {
 public:
  struct Options {
    DWORD timeoutSeconds = 60;
    std::wstring programPath;
    std::wstring systemFolder;  // holds drivers\etc\hosts; trailing "\"
    std::wstring workFolder;    // the safe folder the HOSTS copy goes to; trailing "\"
    std::wstring stepLogPath;   // empty: none
    // The window's handling of its messages while it waits for the helper.
    MessageFilter messageFilter = nullptr;
  };
  // Keeps the state of `live` for the return of `plan`, starts the helper
  // and waits until it holds the way back. Null when any of it fails, with
  // `whyNot` telling why (nothing is then left behind).
  static std::unique_ptr<AutoReturn> Start(const LiveState& live, const CommitSetting& setting,
                                           const CommitPlan& plan, const Options& options, std::wstring& whyNot);
  // Without an answer the helper goes back at once; the window waits for it
  // rather than run anything beside the way back.
  ~AutoReturn();
  AutoReturn(const AutoReturn&) = delete;
  AutoReturn& operator=(const AutoReturn&) = delete;

  void NetshRan();
  // A step or a child of the commit ended: once the countdown runs, it
  // starts again whole.
  void Progressed();
  // The commit has ended.
  void Committed();
  // The question is shown: the user has the whole time-out from now.
  void QuestionShown();
  DWORD TimeoutMs() const { return timeoutMs_; }
  void Keep();
  void ReturnNow();
  bool HelperEnded() const;
  // Waits, handling window messages, until the helper has ended, or at most
  // as long as a way back can take (the report then says the helper did not
  // end). Once ended, the same report every time.
  const ReturnReport& AwaitHelper();

 private:
  AutoReturn(std::wstring token, const Options& options)
      : token_(std::move(token)), programPath_(options.programPath), messageFilter_(options.messageFilter) {}
  bool CreateSignals();
  bool StartHelper(std::wstring& whyNot);
  bool AwaitReady(std::wstring& whyNot);
  void RemoveKeptState();

  std::wstring token_;
  std::wstring programPath_;
  MessageFilter messageFilter_;
  std::wstring hostsCopy_;
  DWORD timeoutMs_ = 0;
  bool countdownStarted_ = false;
  UniqueKernelHandle ready_, netshRan_, committed_, keep_, returnNow_, window_, restartClock_;
  UniqueKernelHandle reportRead_, reportWrite_;
  ProcessInfo helper_;
  bool answered_ = false;
  bool helperAtWork_ = false;  // the window stopped waiting for it
  std::unique_ptr<ReturnReport> report_;
};

}  // namespace kip
