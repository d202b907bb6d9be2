// A commit that goes back by itself unless the user confirms it. Before the
// commit the machine's state is kept as a setting (store/ReturnSnapshot.h)
// and a helper process is started: the program itself with
// kAutoReturnSwitch. The helper waits for the window's answer; when none
// comes within the time-out after the commit (the remote session was cut,
// the window was killed), it commits the kept setting through the same
// engine. It needs nothing of the window: a window that ends before it has
// reported the commit's end starts the countdown as well.
#pragma once

#include "apply/AutoReturnSwitch.h"

#include <windows.h>

#include <memory>
#include <string>

#include "apply/CommitSequence.h"
#include "apply/LiveSnapshot.h"
#include "store/ReturnSnapshot.h"
#include "util/UniqueHandle.h"

namespace kip {

// kIpCnfg.exe /autoreturn <token> <process id of the window>

// How the helper ended: its exit code.
enum class ReturnOutcome : DWORD { Kept = 0, Failed = 1, Returned = 2 };

enum class ReturnDecision { Keep, Return };

// The helper's wait. `keep` and `returnNow` decide at once; the time-out
// runs from `committed` or from the end of `window` (null: already gone).
ReturnDecision AwaitConfirmation(HANDLE committed, HANDLE keep, HANDLE returnNow, HANDLE window, DWORD timeoutMs);

// The way back: snapshot `token` as a setting (its cards and machine-wide
// values, no batch file) and the Internet values to put back exactly.
struct WayBack {
  CommitSetting setting;
  ExactInternetValues exactInternet;
};

// The helper reads the way back when it starts, so that an import or an
// undo during the countdown, which replaces the whole store and the
// snapshot with it, cannot turn the way back into a commit of the new state.
WayBack ReadWayBack(const std::wstring& token, const ReturnTicket& ticket, const CommitEnvironment& environment);

// Commits the way back with the cards' names and addresses as they are now,
// without a domain change, and puts the exact Internet values back; then
// checks the machine against it (differences into the commit log). Raises
// as a commit does.
void CommitWayBack(WayBack wayBack, const CommitEnvironment& environment);

// The whole run of the helper process; returns its exit code.
int RunAutoReturnHelper(const std::wstring& token, DWORD windowProcessId);

// The window's side of one commit with automatic return.
class AutoReturn {
 public:
  // Keeps the state of `live` for the return of `plan` and starts the
  // helper; null when either fails (nothing is then left behind).
  static std::unique_ptr<AutoReturn> Start(const LiveState& live, const CommitSetting& setting,
                                           const CommitPlan& plan, DWORD timeoutSeconds,
                                           const std::wstring& programPath);
  // Without an answer the helper goes back at once.
  ~AutoReturn();
  AutoReturn(const AutoReturn&) = delete;
  AutoReturn& operator=(const AutoReturn&) = delete;

  // The commit has ended: the countdown starts.
  void Committed();
  void Keep();
  void ReturnNow();
  // Waits, handling window messages, until the helper has ended.
  ReturnOutcome AwaitHelper();

 private:
  explicit AutoReturn(std::wstring token) : token_(std::move(token)) {}
  bool CreateSignals();
  bool StartHelper(const std::wstring& programPath);

  std::wstring token_;
  std::wstring hostsCopy_;
  UniqueKernelHandle committed_, keep_, returnNow_;
  ProcessInfo helper_;
  bool answered_ = false;
};

}  // namespace kip
