#include "apply/AutoReturn.h"

#include <algorithm>
#include <cwctype>

#include "apply/CommitSource.h"
#include "util/Errors.h"
#include "util/Files.h"
#include "util/Guard.h"
#include "util/Process.h"

namespace kip {

namespace {

// Object names shared by the window and its helper.
std::wstring SignalName(const std::wstring& token, const wchar_t* which) {
  return L"kIpCnfg.AutoReturn." + token + L"." + which;
}

// Manual-reset: a signal stays given for whoever waits on it later.
UniqueKernelHandle OpenSignal(const std::wstring& token, const wchar_t* which) {
  return UniqueKernelHandle(CreateEventW(nullptr, TRUE, FALSE, SignalName(token, which).c_str()));
}

constexpr wchar_t kCommitted[] = L"Committed";
constexpr wchar_t kKeep[] = L"Keep";
constexpr wchar_t kReturnNow[] = L"Return";

// Beside the program, like the commit log.
std::wstring HostsCopyPath(const std::wstring& programPath, const std::wstring& token) {
  return ChangeFileExt(programPath, L"." + token + L".hosts");
}

std::wstring ReturnLogPath(const std::wstring& programPath) { return ChangeFileExt(programPath, L".return.log"); }

class NoDomainChange : public CommitUser {
 public:
  // The kept setting never changes the domain: that needs the user.
  void ChangeDomain(const DomainChoice&) override {}
};

}  // namespace

ReturnDecision AwaitConfirmation(HANDLE committed, HANDLE keep, HANDLE returnNow, HANDLE window, DWORD timeoutMs) {
  if (window) {
    const HANDLE first[] = {keep, returnNow, committed, window};
    const DWORD signalled = WaitForMultipleObjects(4, first, FALSE, INFINITE);
    if (signalled == WAIT_OBJECT_0) return ReturnDecision::Keep;
    if (signalled == WAIT_OBJECT_0 + 1) return ReturnDecision::Return;
  }
  const HANDLE second[] = {keep, returnNow};
  return WaitForMultipleObjects(2, second, FALSE, timeoutMs) == WAIT_OBJECT_0 ? ReturnDecision::Keep
                                                                               : ReturnDecision::Return;
}

WayBack ReadWayBack(const std::wstring& token, const ReturnTicket& ticket, const CommitEnvironment& environment) {
  const CommitRequest request{ticket.settingIndex, ReturnSnapshotName(token), static_cast<int>(ticket.cardIds.size()),
                              ticket.cardIds, ticket.osMajorVersion, ticket.osMinorVersion};
  WayBack wayBack{ReadCommitSetting(request, environment), ticket.exactInternet};
  // The batch files belong to settings the user made, not to this one.
  wayBack.setting.beforeBatchPath.clear();
  wayBack.setting.afterBatchPath.clear();
  return wayBack;
}

void CommitWayBack(WayBack wayBack, const CommitEnvironment& environment) {
  CommitSetting& setting = wayBack.setting;
  // The commit being undone may have renamed or readdressed the cards.
  ReadLiveCardFacts(setting.cards, environment);
  const CommitPlan plan = PlanCommit(setting);
  NoDomainChange user;
  RunCommitPlan(plan, user, environment);
  WriteExactInternetValues(wayBack.exactInternet, *environment.announcer);
  // The way back is done; a machine that cannot be read only goes unchecked.
  RunGuarded([&] { CheckAfterCommit(setting, plan, environment, wayBack.exactInternet); });
}

int RunAutoReturnHelper(const std::wstring& token, DWORD windowProcessId) {
  if (!IsReturnToken(token)) return static_cast<int>(ReturnOutcome::Failed);
  const std::optional<ReturnTicket> ticket = LoadReturnTicket(token);
  if (!ticket) return static_cast<int>(ReturnOutcome::Failed);
  UniqueKernelHandle committed = OpenSignal(token, kCommitted);
  UniqueKernelHandle keep = OpenSignal(token, kKeep);
  UniqueKernelHandle returnNow = OpenSignal(token, kReturnNow);
  UniqueKernelHandle window(OpenProcess(SYNCHRONIZE, FALSE, windowProcessId));
  CommitEnvironment environment = DefaultCommitEnvironment();
  // The commit log of the commit being undone stays as it was.
  environment.commitLogPath = ReturnLogPath(ProgramPath());
  std::optional<WayBack> wayBack;
  RunGuarded([&] { wayBack = ReadWayBack(token, *ticket, environment); });
  ReturnOutcome outcome = ReturnOutcome::Failed;
  if (committed && keep && returnNow && wayBack) {
    const ReturnDecision decision = AwaitConfirmation(committed.get(), keep.get(), returnNow.get(), window.get(),
                                                      ticket->timeoutSeconds * 1000);
    outcome = ReturnOutcome::Kept;
    if (decision == ReturnDecision::Return) {
      try {
        CommitWayBack(std::move(*wayBack), environment);
        outcome = ReturnOutcome::Returned;
      } catch (...) {
        outcome = ReturnOutcome::Failed;
      }
    }
  }
  DeleteReturnSnapshot(token);
  DeleteFileW(HostsCopyPath(ProgramPath(), token).c_str());
  return static_cast<int>(outcome);
}

std::unique_ptr<AutoReturn> AutoReturn::Start(const LiveState& live, const CommitSetting& setting,
                                             const CommitPlan& plan, DWORD timeoutSeconds,
                                             const std::wstring& programPath) {
  std::unique_ptr<AutoReturn> handle(
      new AutoReturn(std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64())));
  if (!IsBlank(plan.hostsFile) && live.machine.hosts) {
    handle->hostsCopy_ = HostsCopyPath(programPath, handle->token_);
    if (!WriteWholeFile(handle->hostsCopy_, *live.machine.hosts)) return nullptr;
  }
  ReturnSnapshot snapshot = SnapshotOf(live, setting, plan, handle->hostsCopy_);
  snapshot.timeoutSeconds = timeoutSeconds;
  if (!SaveReturnSnapshot(handle->token_, snapshot) || !handle->CreateSignals() || !handle->StartHelper(programPath)) {
    return nullptr;  // the destructor takes away what was made
  }
  return handle;
}

AutoReturn::~AutoReturn() {
  if (helper_) {
    if (!answered_) ReturnNow();
    return;  // the helper cleans up after itself
  }
  DeleteReturnSnapshot(token_);
  if (!hostsCopy_.empty()) DeleteFileW(hostsCopy_.c_str());
}

bool AutoReturn::CreateSignals() {
  committed_ = OpenSignal(token_, kCommitted);
  keep_ = OpenSignal(token_, kKeep);
  returnNow_ = OpenSignal(token_, kReturnNow);
  return committed_ && keep_ && returnNow_;
}

bool AutoReturn::StartHelper(const std::wstring& programPath) {
  std::wstring commandLine = L"\"" + programPath + L"\" " + kAutoReturnSwitch + L" " + token_ + L" " +
                             std::to_wstring(GetCurrentProcessId());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  // Out of the window's job, if it has one, so that ending the job does not
  // end the helper; where that is refused, in it.
  for (DWORD flags : {DWORD{CREATE_BREAKAWAY_FROM_JOB}, DWORD{0}}) {
    if (CreateProcessW(programPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr,
                       &startup, &info)) {
      helper_ = ProcessInfo(info);
      return true;
    }
  }
  return false;
}

void AutoReturn::Committed() { SetEvent(committed_.get()); }

void AutoReturn::Keep() {
  answered_ = true;
  SetEvent(keep_.get());
}

void AutoReturn::ReturnNow() {
  answered_ = true;
  SetEvent(returnNow_.get());
}

ReturnOutcome AutoReturn::AwaitHelper() {
  const HANDLE process = helper_.process();
  WaitWithMessages({&process, 1}, INFINITE);
  DWORD code = static_cast<DWORD>(ReturnOutcome::Failed);
  GetExitCodeProcess(process, &code);
  return code == static_cast<DWORD>(ReturnOutcome::Kept) || code == static_cast<DWORD>(ReturnOutcome::Returned)
             ? static_cast<ReturnOutcome>(code)
             : ReturnOutcome::Failed;
}

}  // namespace kip
