#include "apply/AutoReturn.h"

#include <ntsecapi.h>

#include <cstdio>
#include <set>
#include <vector>

#include "apply/CommitLock.h"
#include "apply/CommitSource.h"
#include "apply/StepLog.h"
#include "util/AdminOnly.h"
#include "util/Errors.h"
#include "util/Files.h"
#include "util/Guard.h"
#include "util/Process.h"
#include "util/Profile.h"

namespace kip {

namespace {

constexpr wchar_t kReturnedText[] = L"元に戻しました";
constexpr wchar_t kReturnFailedText[] = L"元に戻せませんでした: ";
constexpr wchar_t kSupersededText[] = L"後から反映された設定があるため, 元に戻しませんでした";
constexpr wchar_t kHelperLostText[] = L"元に戻す処理が途中で終わりました";
constexpr wchar_t kUncheckedText[] = L"戻した後の状態を確認できませんでした";
constexpr wchar_t kHelperSilentText[] = L"元に戻す処理が時間内に終わりませんでした";
constexpr wchar_t kOverranText[] = L"時間内に終わらなかったコマンド: ";
// A helper that has not read the way back by then never will.
constexpr DWORD kReadyTimeoutMs = 30000;
// Each child of the way back: a netsh that hangs is ended then and the way
// back goes on (the check after it says what did not come back).
constexpr DWORD kWayBackChildLimitMs = 120000;
// How long the window waits for the helper once it has its answer: the
// whole way back with every child at its limit fits well within it.
constexpr DWORD kAwaitHelperMs = 30 * 60 * 1000;
// A kept state whose owners cannot be looked at counts as held no longer
// than its time-out and this after it was kept.
constexpr ULONGLONG kUnknownOwnerGraceMs = 60 * 60 * 1000;

// The order of the inherited handles in the ticket.
enum HandleIndex : size_t {
  kReady,
  kNetshRan,
  kCommitted,
  kKeep,
  kReturnNow,
  kWindow,
  kReport,
  kRestartClock,
  kHandleCount
};

// In the working folder, which only administrators can write: a copy
// beside the program could be rewritten by a standard user during the
// countdown, and the way back would install it.
constexpr wchar_t kCopyPrefix[] = L"kIpCnfg.";
std::wstring HostsCopyPath(const std::wstring& workFolder, const std::wstring& token) {
  return workFolder + kCopyPrefix + token + L".hosts";
}

std::wstring ReturnLogPath(const std::wstring& workFolder) { return workFolder + L"kIpCnfg.return.log"; }

std::wstring HostsTarget(const std::wstring& systemFolder) { return systemFolder + L"drivers\\etc\\hosts"; }

// 128 random bits as digits: no other process can guess the names made of it.
std::wstring NewReturnToken() {
  unsigned long long bits[2] = {};
  if (!RtlGenRandom(bits, sizeof bits)) return {};
  wchar_t text[48];
  std::swprintf(text, 48, L"%llu-%llu", bits[0], bits[1]);
  return text;
}

// No name. Manual-reset: a signal stays given for whoever waits on it
// later; auto-reset: each one given is taken once.
UniqueKernelHandle NewSignal(bool manualReset = true) {
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  return UniqueKernelHandle(CreateEventW(&inherited, manualReset, FALSE, nullptr));
}

ULONGLONG FileTimeNow() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

// Made new: a file found there would be someone else's.
bool CreateNewFile(const std::wstring& path, std::string_view bytes) {
  UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  if (WriteAll(file.get(), bytes)) return true;
  file = {};
  DeleteFileW(path.c_str());
  return false;
}

ULONGLONG CreationTime(HANDLE process) {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

ReturnOwner OwnerOf(DWORD processId, HANDLE process) { return {processId, CreationTime(process)}; }

OwnerLook LookAt(const ReturnOwner& owner) {
  UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, owner.processId));
  // An id no process holds any more is refused with ERROR_INVALID_PARAMETER
  // (documented only for the idle process's id 0, but so Windows answers);
  // any other refusal is unknown, which holds the state only for a while.
  if (!process) return GetLastError() == ERROR_INVALID_PARAMETER ? OwnerLook::Gone : OwnerLook::Unknown;
  const bool same =
      WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT && CreationTime(process.get()) == owner.createdAt;
  return same ? OwnerLook::Same : OwnerLook::Ended;
}

bool Held(const std::wstring& token) {
  const std::optional<ReturnTicket> ticket = LoadReturnTicket(token);
  if (!ticket) return false;
  std::optional<ULONGLONG> keptForMs;
  const ULONGLONG now = FileTimeNow();
  if (ticket->keptAt != 0 && ticket->keptAt <= now) keptForMs = (now - ticket->keptAt) / 10000;
  for (const ReturnOwner& owner : ticket->owners) {
    if (OwnerHolds(LookAt(owner), keptForMs, ticket->timeoutSeconds)) return true;
  }
  return false;
}

class NoDomainChange : public CommitUser {
 public:
  explicit NoDomainChange(std::wstring stepLogPath = {}) : log_(std::move(stepLogPath)) {}
  // The kept setting never changes the domain: that needs the user.
  void ChangeDomain(const DomainChoice&) override {}
  void StepNote(CommitStep, const std::wstring& text, const std::wstring& result) override { log_.Write(text, result); }

 private:
  StepLog log_;
};

// A later commit the user chose over this way back marks the kept state
// settled (store/ReturnSnapshot.h): the watch then answers "keep" through
// the helper's own copy of the signal, as the window would.
class SettleWatch {
 public:
  SettleWatch(const std::wstring& token, HANDLE keep) : token_(token), keep_(keep) {
    key_ = OpenReturnKeyForNotify(token);
    changed_.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    stop_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!key_ || !changed_ || !stop_ || !keep_) return;
    thread_.reset(CreateThread(nullptr, 0, &SettleWatch::Run, this, 0, nullptr));
  }
  ~SettleWatch() {
    if (!thread_) return;
    SetEvent(stop_.get());
    WaitForSingleObject(thread_.get(), INFINITE);
  }
  SettleWatch(const SettleWatch&) = delete;
  SettleWatch& operator=(const SettleWatch&) = delete;

 private:
  static DWORD WINAPI Run(void* self) {
    auto& watch = *static_cast<SettleWatch*>(self);
    const HANDLE waits[] = {watch.stop_.get(), watch.changed_.get()};
    for (;;) {
      // Asked again after arming, so a mark made in between is not missed.
      const bool armed = RegNotifyChangeKeyValue(watch.key_.get(), FALSE, REG_NOTIFY_CHANGE_LAST_SET,
                                                 watch.changed_.get(), TRUE) == ERROR_SUCCESS;
      if (ReturnSettled(watch.token_)) {
        SetEvent(watch.keep_);
        return 0;
      }
      if (!armed || WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) return 0;
    }
  }

  std::wstring token_;
  HANDLE keep_;
  UniqueHKey key_;
  UniqueKernelHandle changed_, stop_, thread_;
};

// True while the window's commit runs: it holds the commit lock then, and
// the way back of a commit stuck in a step must not wait for it.
bool WindowCommitRuns(const ReturnSignals& signals) {
  return signals.window && WaitForSingleObject(signals.window, 0) == WAIT_TIMEOUT && signals.committed &&
         WaitForSingleObject(signals.committed, 0) == WAIT_TIMEOUT;
}

// The handles the helper inherited, owned from now on.
struct InheritedHandles {
  explicit InheritedHandles(const std::vector<std::uint64_t>& values) {
    if (values.size() != kHandleCount) return;
    for (size_t i = 0; i < kHandleCount; ++i) {
      const HANDLE handle = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(values[i]));
      DWORD flags = 0;
      // A value that names no handle of this process is no signal.
      if (!handle || !GetHandleInformation(handle, &flags)) return;
      owned[i] = UniqueKernelHandle(handle);
      // They came inheritable; the way back's own children get none of them.
      // One that stays so leaves the set incomplete: no ready signal, so the
      // window commits nothing.
      if (!SetHandleInformation(handle, HANDLE_FLAG_INHERIT, 0)) return;
    }
    complete = true;
  }
  HANDLE operator[](size_t i) const { return owned[i].get(); }
  ReturnSignals Signals() const {
    return {owned[kNetshRan].get(), owned[kCommitted].get(), owned[kKeep].get(), owned[kReturnNow].get(),
            owned[kWindow].get(), owned[kRestartClock].get()};
  }

  UniqueKernelHandle owned[kHandleCount];
  bool complete = false;
};

std::wstring Joined(const std::wstring& first, const std::wstring& second) {
  return first.empty() ? second : second.empty() ? first : first + L", " + second;
}

// The way back's children, each with a time limit: one that hangs is ended,
// said in the log its output goes to, and named in the outcome.
class LimitedRunner : public CommandRunner {
 public:
  LimitedRunner(CommandRunner& inner, std::wstring logPath) : inner_(inner), logPath_(std::move(logPath)) {}

  bool RunAndWait(const std::wstring& commandLine, int showCommand) override {
    return inner_.RunAndWait(commandLine, showCommand);
  }
  bool RunCaptured(const std::wstring& commandLine, const std::wstring& outputFile) override {
    const CapturedRun run = RunCommandCaptured(commandLine, outputFile, kWayBackChildLimitMs);
    if (run.timedOut) {
      overran_ = Joined(overran_, commandLine);
      AppendBytesToFile(logPath_, ToAnsi(kOverranText + commandLine + L"\r\n"));
    }
    if (!run.started) SetLastError(run.error);
    return run.started;
  }
  bool Start(const std::wstring& commandLine) override { return inner_.Start(commandLine); }
  const std::wstring& Overran() const { return overran_; }

 private:
  CommandRunner& inner_;
  std::wstring logPath_;
  std::wstring overran_;
};

ReturnReport GoBack(WayBack wayBack, const ReturnTicket& ticket, const ReturnSignals& signals,
                    const CommitEnvironment& environment, const LimitedRunner& runner) {
  // Never beside another commit: the lock is taken unless the window's own
  // commit holds it. A user who chose a later commit meanwhile keeps this one.
  CommitLock lock;
  if (!WindowCommitRuns(signals)) {
    bool settled = false;
    lock = CommitLock::AcquireForReturn(signals.keep, settled);
    if (settled) return {ReturnOutcome::Kept, L""};
  }
  // A commit made after the one this state was kept for (the window's own
  // counts once) is what the machine should now hold.
  if (ReadCommitSerial() > ticket.commitSerial + 1) return {ReturnOutcome::Superseded, kSupersededText};
  std::wstring differs;
  try {
    differs = CommitWayBack(std::move(wayBack), environment);
  } catch (const KipError& error) {
    differs = error.Message();
  } catch (const std::exception& error) {
    differs = FromUtf8(error.what());
  }
  if (!runner.Overran().empty()) differs = Joined(kOverranText + runner.Overran(), differs);
  if (differs.empty()) return {ReturnOutcome::Returned, kReturnedText};
  return {ReturnOutcome::Failed, kReturnFailedText + differs};
}

// Into the window (when it still listens), the commit log and the step log.
void Tell(const ReturnReport& report, HANDLE window, const ReturnTicket& ticket) {
  if (window) WriteAll(window, ToUtf8(report.text));
  if (report.text.empty()) return;
  AppendBytesToFile(ChangeFileExt(ProgramPath(), L".log"), ToAnsi(report.text + L"\r\n"));
  StepLog(ticket.stepLogPath).Write(report.text, report.outcome == ReturnOutcome::Failed ? L"失敗" : L"OK");
}

// The copies in `folder` named "<prefix><token>.hosts" whose token is not held.
void RemoveCopiesNotHeld(const std::wstring& folder, const std::wstring& prefix, const std::set<std::wstring>& held) {
  const std::wstring pattern = folder + prefix + L"*.hosts";
  WIN32_FIND_DATAW found{};
  UniqueFindHandle search(FindFirstFileW(pattern.c_str(), &found));
  if (!search) return;
  do {
    const std::wstring name = found.cFileName;
    if (name.size() <= prefix.size() + 6 || !name.ends_with(L".hosts")) continue;
    const std::wstring token = name.substr(prefix.size(), name.size() - prefix.size() - 6);
    if (IsReturnToken(token) && !held.contains(token)) DeleteFileW((folder + name).c_str());
  } while (FindNextFileW(search.get(), &found));
}

// What the pipe holds now, without waiting for its end: a child that kept a
// copy of the writing end (which the helper no longer lets happen) would
// otherwise hold the window.
std::string ReadWaiting(HANDLE pipe) {
  std::string text;
  for (;;) {
    DWORD available = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) || available == 0) return text;
    std::string chunk(available, '\0');
    DWORD got = 0;
    if (!ReadFile(pipe, chunk.data(), available, &got, nullptr) || got == 0) return text;
    text.append(chunk.data(), got);
  }
}

}  // namespace

bool OwnerHolds(OwnerLook look, std::optional<ULONGLONG> keptForMs, DWORD timeoutSeconds) {
  switch (look) {
    case OwnerLook::Same:
      return true;
    case OwnerLook::Ended:
    case OwnerLook::Gone:
      return false;
    case OwnerLook::Unknown:
      // There, perhaps, but not ours to look at: it might be the owner, or
      // a later process given its id. Not for longer than a way back takes.
      return keptForMs && *keptForMs < static_cast<ULONGLONG>(timeoutSeconds) * 1000 + kUnknownOwnerGraceMs;
  }
  return false;
}

ReturnDecision AwaitConfirmation(const ReturnSignals& signals, DWORD timeoutMs) {
  // The answers first: of several signals given, the first in the list wins.
  std::vector<HANDLE> waits{signals.keep, signals.returnNow};
  if (signals.window) waits.push_back(signals.window);
  const size_t answers = waits.size();
  waits.push_back(signals.netshRan);
  waits.push_back(signals.committed);
  if (signals.restartClock) waits.push_back(signals.restartClock);
  ReturnCountdown countdown(timeoutMs);
  for (;;) {
    const DWORD result = WaitForMultipleObjects(static_cast<DWORD>(waits.size()), waits.data(), FALSE,
                                                countdown.WaitMs(GetTickCount64()));
    if (result == WAIT_OBJECT_0) return ReturnDecision::Keep;
    if (result == WAIT_TIMEOUT || result == WAIT_FAILED || result < WAIT_OBJECT_0 + answers ||
        result >= WAIT_OBJECT_0 + waits.size()) {
      return ReturnDecision::Return;
    }
    const HANDLE given = waits[result - WAIT_OBJECT_0];
    if (given == signals.restartClock) {
      countdown.Restart(GetTickCount64());
      continue;
    }
    // Netsh ran or the commit ended: both stay given, so neither is waited
    // on again once the countdown runs.
    countdown.Start(GetTickCount64());
    std::erase_if(waits, [&](HANDLE h) { return h == signals.netshRan || h == signals.committed; });
  }
}

WayBack ReadWayBack(const std::wstring& token, const ReturnTicket& ticket, const CommitEnvironment& environment) {
  const CommitRequest request{ticket.settingIndex, ReturnSnapshotName(token), static_cast<int>(ticket.cardIds.size()),
                              ticket.cardIds, ticket.osMajorVersion, ticket.osMinorVersion};
  // The cards' names and addresses are read when the way back runs: here
  // they would only delay the helper's "ready", which the commit waits for.
  CommitEnvironment stored = environment;
  stored.connectionName = [](const std::wstring&) { return std::wstring(); };
  stored.currentAddresses = [](const StringList& ids) { return StringList(ids.size()); };
  WayBack wayBack{ReadCommitSetting(request, stored), ticket.exactInternet, ticket.removeHosts, ticket.stepLogPath};
  // The batch files belong to settings the user made, not to this one.
  wayBack.setting.beforeBatchPath.clear();
  wayBack.setting.afterBatchPath.clear();
  return wayBack;
}

std::wstring CommitWayBack(WayBack wayBack, const CommitEnvironment& environment) {
  CommitSetting& setting = wayBack.setting;
  // The commit being undone may have renamed or readdressed the cards.
  ReadLiveCardFacts(setting.cards, environment);
  const CommitPlan plan = PlanCommit(setting);
  NoDomainChange user(wayBack.stepLogPath);
  const CommitResult result = RunCommitPlan(plan, user, environment);
  WriteExactInternetValues(wayBack.exactInternet, *environment.announcer, environment.machine);
  std::wstring differs = NotStartedStatusText(result);
  const std::wstring hosts = HostsTarget(environment.systemFolder);
  if (wayBack.removeHosts && !DeleteFileW(hosts.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
    differs = Joined(differs, L"HOSTS: " + SystemErrorText(GetLastError()));
  }
  std::optional<std::vector<DiffSection>> mismatches;
  RunGuarded([&] { mismatches = CheckAfterCommit(setting, plan, environment, wayBack.exactInternet); });
  if (!mismatches) return Joined(differs, kUncheckedText);
  if (!mismatches->empty()) differs = Joined(differs, MismatchStatusText(*mismatches));
  return differs;
}

int RunAutoReturnHelper(const std::wstring& token, DWORD) {
  if (!IsReturnToken(token)) return static_cast<int>(ReturnOutcome::Failed);
  const std::optional<ReturnTicket> ticket = LoadReturnTicket(token);
  if (!ticket) return static_cast<int>(ReturnOutcome::Failed);
  const InheritedHandles handles(ticket->handles);
  CommitEnvironment environment = DefaultCommitEnvironment();
  // Held for the helper's life: the copy of HOSTS it restores, its script
  // and its log stay where only administrators can write.
  std::wstring whyNot;
  const SafeFolder work = SafeFolder::Open(environment.tempFolder, whyNot);
  // The commit log of the commit being undone stays as it was.
  environment.commitLogPath = ReturnLogPath(environment.tempFolder);
  LimitedRunner runner(*environment.runner, environment.commitLogPath);
  environment.runner = &runner;
  std::optional<WayBack> wayBack;
  if (work) RunGuarded([&] { wayBack = ReadWayBack(token, *ticket, environment); });
  ReturnOutcome outcome = ReturnOutcome::Failed;
  if (handles.complete && wayBack) {
    const SettleWatch settle(token, handles[kKeep]);
    // Without this the window commits nothing.
    SetEvent(handles[kReady]);
    ReturnReport report{ReturnOutcome::Kept, L""};
    if (AwaitConfirmation(handles.Signals(), ticket->timeoutSeconds * 1000) == ReturnDecision::Return) {
      report = GoBack(std::move(*wayBack), *ticket, handles.Signals(), environment, runner);
    }
    Tell(report, handles[kReport], *ticket);
    outcome = report.outcome;
  }
  DeleteReturnSnapshot(token);
  DeleteFileW(HostsCopyPath(environment.tempFolder, token).c_str());
  return static_cast<int>(outcome);
}

void RemoveAbandonedReturns(const std::wstring& programPath, const std::wstring& workFolder) {
  std::set<std::wstring> held;
  for (const std::wstring& token : ReturnSnapshotTokens()) {
    if (Held(token)) {
      held.insert(token);
    } else {
      DeleteReturnSnapshot(token);
    }
  }
  // A copy whose state is gone, or was never stored; older versions kept
  // theirs beside the program.
  if (!workFolder.empty()) RemoveCopiesNotHeld(workFolder, kCopyPrefix, held);
  RemoveCopiesNotHeld(ExtractFilePath(programPath), ExtractFileName(ChangeFileExt(programPath, L".")), held);
}

bool ReturnPending() {
  for (const std::wstring& token : ReturnSnapshotTokens()) {
    if (Held(token)) return true;
  }
  return false;
}

std::unique_ptr<AutoReturn> AutoReturn::Start(const LiveState& live, const CommitSetting& setting,
                                             const CommitPlan& plan, const Options& options, std::wstring& whyNot) {
  std::unique_ptr<AutoReturn> handle(new AutoReturn(NewReturnToken(), options));
  handle->timeoutMs_ = options.timeoutSeconds * 1000;
  if (handle->token_.empty()) {
    whyNot = L"乱数を得られませんでした";
    return nullptr;
  }
  bool removeHosts = false;
  if (!IsBlank(plan.hostsFile)) {
    if (live.machine.hosts) {
      const std::wstring copy = HostsCopyPath(options.workFolder, handle->token_);
      if (!CreateNewFile(copy, *live.machine.hosts)) {
        whyNot = L"HOSTS ファイルの控えを作れませんでした";
        return nullptr;
      }
      handle->hostsCopy_ = copy;
    } else if (GetFileAttributesW(HostsTarget(options.systemFolder).c_str()) == INVALID_FILE_ATTRIBUTES &&
               GetLastError() == ERROR_FILE_NOT_FOUND) {
      removeHosts = true;
    } else {
      // A HOSTS file that cannot be read could not be put back.
      whyNot = L"HOSTS ファイルを読めませんでした";
      return nullptr;
    }
  }
  ReturnSnapshot snapshot = SnapshotOf(live, setting, plan, handle->hostsCopy_);
  if (!handle->CreateSignals()) {
    whyNot = SystemErrorText(GetLastError());
    return nullptr;
  }
  ReturnTicket& ticket = snapshot.ticket;
  ticket.removeHosts = removeHosts;
  ticket.timeoutSeconds = options.timeoutSeconds;
  ticket.commitSerial = ReadCommitSerial();
  ticket.stepLogPath = options.stepLogPath;
  ticket.keptAt = FileTimeNow();
  for (const UniqueKernelHandle* signal : {&handle->ready_, &handle->netshRan_, &handle->committed_, &handle->keep_,
                                           &handle->returnNow_, &handle->window_, &handle->reportWrite_,
                                           &handle->restartClock_}) {
    ticket.handles.push_back(reinterpret_cast<ULONG_PTR>(signal->get()));
  }
  ticket.owners = {OwnerOf(GetCurrentProcessId(), GetCurrentProcess())};
  if (!SaveReturnSnapshot(handle->token_, snapshot)) {
    whyNot = L"元の状態を保存できませんでした";
    return nullptr;  // the destructor takes away what was made
  }
  ProfileScope phase("SafeCommitHelperReady");
  if (!handle->StartHelper(whyNot) || !handle->AwaitReady(whyNot)) return nullptr;
  return handle;
}

AutoReturn::~AutoReturn() {
  if (helper_) {
    if (!answered_) ReturnNow();
    RunGuarded([&] { AwaitHelper(); });
  }
  RemoveKeptState();
}

void AutoReturn::RemoveKeptState() {
  // The helper removes them itself; one killed leaves them to the window.
  if (helperAtWork_) return;
  DeleteReturnSnapshot(token_);
  if (!hostsCopy_.empty()) DeleteFileW(hostsCopy_.c_str());
}

bool AutoReturn::CreateSignals() {
  for (UniqueKernelHandle* signal : {&ready_, &netshRan_, &committed_, &keep_, &returnNow_}) {
    *signal = NewSignal();
    if (!*signal) return false;
  }
  restartClock_ = NewSignal(false);
  if (!restartClock_) return false;
  HANDLE self = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                       SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, TRUE, 0)) {
    return false;
  }
  window_ = UniqueKernelHandle(self);
  HANDLE read = nullptr, write = nullptr;
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  if (!CreatePipe(&read, &write, &inherited, 1 << 16)) return false;
  reportRead_ = UniqueKernelHandle(read);
  reportWrite_ = UniqueKernelHandle(write);
  return SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0) != FALSE;
}

bool AutoReturn::StartHelper(std::wstring& whyNot) {
  std::wstring commandLine = L"\"" + programPath_ + L"\" " + kAutoReturnSwitch + L" " + token_ + L" " +
                             std::to_wstring(GetCurrentProcessId());
  // Only these handles go to the helper, where the system can be told so.
  HANDLE inherited[] = {ready_.get(),  netshRan_.get(), committed_.get(),   keep_.get(),
                        returnNow_.get(), window_.get(), reportWrite_.get(), restartClock_.get()};
  SIZE_T size = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
  std::vector<unsigned char> buffer(size);
  auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer.data());
  const bool listed = size > 0 && InitializeProcThreadAttributeList(attributes, 1, 0, &size) &&
                      UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited,
                                                sizeof inherited, nullptr, nullptr);
  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof startup;
  if (listed) startup.lpAttributeList = attributes;
  const DWORD extended = listed ? EXTENDED_STARTUPINFO_PRESENT : 0;
  PROCESS_INFORMATION info{};
  DWORD error = 0;
  // Out of the window's job, if it has one, so that ending the job does not
  // end the helper; where that is refused, in it. Suspended until the store
  // names it as a holder of the kept state.
  for (DWORD flags : {DWORD{CREATE_BREAKAWAY_FROM_JOB}, DWORD{0}}) {
    if (CreateProcessW(programPath_.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                       flags | extended | CREATE_SUSPENDED, nullptr, nullptr, &startup.StartupInfo, &info)) {
      break;
    }
    error = GetLastError();
  }
  if (listed) DeleteProcThreadAttributeList(attributes);
  // The helper has its copies: the children the commit starts next (netsh,
  // the user's batch files) get none. Where one stays inheritable, the helper,
  // still suspended, is ended and nothing is committed.
  for (HANDLE handle : inherited) {
    if (!SetHandleInformation(handle, HANDLE_FLAG_INHERIT, 0) && info.hProcess) {
      error = GetLastError();
      TerminateProcess(info.hProcess, static_cast<UINT>(ReturnOutcome::Failed));
      const ProcessInfo ended(info);
      info = {};
    }
  }
  if (!info.hProcess) {
    whyNot = L"元に戻す処理を起動できませんでした (" + SystemErrorText(error) + L")";
    return false;
  }
  helper_ = ProcessInfo(info);
  AddReturnOwner(token_, OwnerOf(helper_.id(), helper_.process()));
  ResumeThread(helper_.thread());
  // The helper's copy is the only writer left: its end ends the report.
  reportWrite_ = {};
  return true;
}

bool AutoReturn::AwaitReady(std::wstring& whyNot) {
  const HANDLE waits[] = {ready_.get(), helper_.process()};
  const int signalled = WaitWithMessages(waits, kReadyTimeoutMs, messageFilter_);
  if (signalled == 0) return true;
  whyNot = signalled == 1 ? L"元に戻す処理が元の状態を読めませんでした" : L"元に戻す処理が応答しませんでした";
  // Nothing was committed: the helper has nothing to go back to.
  if (signalled != 1) TerminateProcess(helper_.process(), static_cast<UINT>(ReturnOutcome::Failed));
  answered_ = true;
  return false;
}

void AutoReturn::NetshRan() {
  countdownStarted_ = true;
  SetEvent(netshRan_.get());
}

void AutoReturn::Progressed() {
  if (countdownStarted_) SetEvent(restartClock_.get());
}

void AutoReturn::Committed() {
  countdownStarted_ = true;
  SetEvent(committed_.get());
}

void AutoReturn::QuestionShown() { SetEvent(restartClock_.get()); }

void AutoReturn::Keep() {
  answered_ = true;
  SetEvent(keep_.get());
}

void AutoReturn::ReturnNow() {
  answered_ = true;
  SetEvent(returnNow_.get());
}

bool AutoReturn::HelperEnded() const { return WaitForSingleObject(helper_.process(), 0) == WAIT_OBJECT_0; }

const ReturnReport& AutoReturn::AwaitHelper() {
  if (report_) return *report_;
  const HANDLE process = helper_.process();
  if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0) {
    const int ended = WaitWithMessages({&process, 1}, kAwaitHelperMs, messageFilter_);
    // A handler run during the wait may have asked too.
    if (report_) return *report_;
    if (ended != 0) {
      // Still at work: it keeps its kept state and logs its outcome itself.
      report_ = std::make_unique<ReturnReport>(
          ReturnReport{ReturnOutcome::Failed, kReturnFailedText + std::wstring(kHelperSilentText)});
      helperAtWork_ = true;
      return *report_;
    }
  }
  DWORD code = static_cast<DWORD>(ReturnOutcome::Failed);
  GetExitCodeProcess(process, &code);
  auto report = std::make_unique<ReturnReport>();
  report->text = FromUtf8(ReadWaiting(reportRead_.get()));
  // Any code the helper itself never ends with is a failure.
  const bool known = code <= static_cast<DWORD>(ReturnOutcome::Superseded);
  report->outcome = known ? static_cast<ReturnOutcome>(code) : ReturnOutcome::Failed;
  // Killed, or ended before it could say anything.
  if (report->outcome == ReturnOutcome::Failed && report->text.empty()) {
    report->text = kReturnFailedText + std::wstring(kHelperLostText);
  }
  RemoveKeptState();
  report_ = std::move(report);
  return *report_;
}

}  // namespace kip
