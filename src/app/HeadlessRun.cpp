#include "app/HeadlessRun.h"

#include "apply/AutoReturn.h"
#include "apply/CommitLock.h"
#include "app/PreviewFile.h"
#include "apply/CommitPlan.h"
#include "apply/CommitSequence.h"
#include "apply/CommitSource.h"
#include "apply/DomainJoiner.h"
#include "apply/StepLog.h"
#include "machine/CardList.h"
#include "store/SettingStore.h"
#include "store/Snapshot.h"
#include "util/Errors.h"
#include "util/Files.h"
#include "util/Guard.h"
#include "util/AdminOnly.h"
#include "util/WindowsVersion.h"

namespace kip {

namespace {

constexpr wchar_t kDomainChangeFailedLine[] = L"反映しましたが, ドメインまたはワークグループを変更できませんでした";

// Nobody can be asked for an account: every domain attempt goes on with
// the account it has.
class NoAccountPrompt final : public AccountPrompt {
 public:
  Result AskAccount(std::wstring&, std::wstring&) override { return Result::Closed; }
};

class HeadlessUser final : public CommitUser {
 public:
  explicit HeadlessUser(const StepLog& log) : log_(log) {}
  void ChangeDomain(const DomainChoice& choice) override {
    std::unique_ptr<DomainJoiner> joiner = CreateNetapiDomainJoiner();
    NoAccountPrompt prompt;
    bool cancelled = false;
    DomainChangeContext context{*joiner, prompt, cancelled};
    domainFailure_ = ChangeDomainOrWorkgroup(choice, context);
    if (!domainFailure_.empty()) log_.Write(domainFailure_, L"失敗");
  }
  bool DomainFailed() const { return !domainFailure_.empty(); }
  void StepEnded(CommitStep step, bool succeeded) override { log_.StepEnded(step, succeeded); }
  void StepNote(CommitStep, const std::wstring& text, const std::wstring& result) override { log_.Write(text, result); }

 private:
  const StepLog& log_;
  std::wstring domainFailure_;
};

// A commit with automatic return may still go back: nobody is here to say
// whether it is kept, so nothing that changes the machine or the store runs.
bool RefusedWhilePending(const StepLog& log) {
  if (!ReturnPending()) return false;
  log.Write(L"確認付きで反映した設定が元に戻るのを待っています. 反映していません.", L"失敗");
  return true;
}

// The commit of the named setting on this machine's cards; nullopt (and the
// log told) when no setting has that name or the machine lists no card.
std::optional<CommitRequest> NamedCommitRequest(const CommandLineRequest& request, const StepLog& log) {
  const StringList names = ListSettingNames();
  const int index = FindSettingTab(names, request.settingName);
  if (index < 0) {
    log.Write(SettingNotFoundText(request.settingName), L"失敗");
    return std::nullopt;
  }
  OSVERSIONINFOEXW version{};
  version.dwOSVersionInfoSize = sizeof version;
  QueryWindowsVersion(version);
  CardList cards;
  BuildCardList(cards, version.dwMajorVersion);
  if (cards.ids.empty()) {
    // The window reads no setting then: a roll-out must not report a
    // setting committed whose card parts went nowhere.
    log.Write(L"ネットワーク設定がみつかりません.", L"失敗");
    return std::nullopt;
  }
  return CommitRequest{index, names[static_cast<size_t>(index)], static_cast<int>(cards.ids.size()), cards.ids,
                       version.dwMajorVersion, version.dwMinorVersion};
}

int CommitNamedSetting(const CommandLineRequest& request, const StepLog& log) {
  const std::optional<CommitRequest> commit = NamedCommitRequest(request, log);
  if (!commit) return kExitSettingNotFound;
  if (RefusedWhilePending(log)) return kExitReturnPending;
  std::wstring whyNot;
  const CommitEnvironment environment = DefaultCommitEnvironment();
  const SafeFolder work = SafeFolder::Open(environment.tempFolder, whyNot);
  CommitLock lock;
  if (work) lock = CommitLock::Acquire(whyNot);
  if (!lock) {
    log.Write(whyNot + L". 反映していません.", L"失敗");
    return kExitFailed;
  }
  // Again under the lock: a way back armed meanwhile.
  if (RefusedWhilePending(log)) return kExitReturnPending;
  log.Write(L"設定[" + commit->settingName + L"]を反映します", L"");
  HeadlessUser user(log);
  const CommitResult result = RunCommitPlan(PlanCommit(ReadCommitSetting(*commit, environment)), user, environment);
  lock = {};
  const std::wstring notStarted = NotStartedStatusText(result);
  // A deployment tool reads only the exit code: a PC left outside its domain
  // must not count as rolled out.
  const std::wstring problem = !notStarted.empty() ? notStarted
                               : user.DomainFailed() ? std::wstring(kDomainChangeFailedLine)
                                                     : std::wstring();
  log.Write(problem.empty() ? L"反映しました" : problem, problem.empty() ? L"OK" : L"失敗");
  std::unique_ptr<ExitPlatform> platform = CreateWindowsExitPlatform(nullptr);
  EndWindowsAsAsked(ChooseExitAction(request, StoredExitChoice()), *platform);
  if (!notStarted.empty()) return kExitCommandNotStarted;
  return user.DomainFailed() ? kExitDomainFailed : kExitCommitted;
}

// A preview asked for beside "/q" wins: it is written, nothing is committed
// and no exit action follows.
int PreviewNamedSetting(const CommandLineRequest& request, const std::wstring& file, const StepLog& log) {
  const std::optional<CommitRequest> commit = NamedCommitRequest(request, log);
  if (!commit) return kExitSettingNotFound;
  const CommitEnvironment environment = DefaultCommitEnvironment();
  const bool written = WritePreviewFile(ReadCommitSetting(*commit, environment), environment, file);
  log.Write((written ? L"反映内容を書き出しました: " : L"反映内容を書き出せませんでした: ") + file,
            written ? L"OK" : L"失敗");
  return written ? kExitCommitted : kExitFailed;
}

}  // namespace

bool ImportSilently(const std::wstring& file, const StepLog& log) {
  bool restored = false;
  RunGuarded([&] { restored = RestoreStoreSnapshot(file); });
  log.Write(ImportMessage(file, restored), restored ? L"OK" : L"失敗");
  if (restored) {
    for (const std::wstring& copied : CopyImportedBatchFiles(file, ProgramFolder())) log.Write(copied, L"OK");
  }
  return restored;
}

int ImportFromCommandLine(const std::wstring& file, const StepLog& log) {
  if (RefusedWhilePending(log)) return kExitReturnPending;
  std::wstring whyNot;
  const CommitLock lock = CommitLock::Acquire(whyNot);
  if (!lock) {
    log.Write(whyNot + L". 取り込んでいません.", L"失敗");
    return kExitFailed;
  }
  if (RefusedWhilePending(log)) return kExitReturnPending;
  return ImportSilently(file, log) ? kExitCommitted : kExitImportRefused;
}

void EndWindowsAsAsked(ExitAction action, ExitPlatform& platform) {
  TExitWin exit(platform);
  if (action == ExitAction::ShutDown) exit.ShutDown();
  if (action == ExitAction::Restart) exit.Restart();
  if (action == ExitAction::LogOff) exit.LogOff();
}

int RunHeadless(const DeployOptions& options) {
  const StepLog log(options.logFile);
  try {
    if (options.importFile) {
      if (const int code = ImportFromCommandLine(*options.importFile, log); code != kExitCommitted) return code;
    }
    const CommandLineRequest request = ParseCommandLine(options.classicArguments);
    if (request.settingName.empty()) return kExitCommitted;
    if (const auto preview = PreviewFileArgument(options.classicArguments, DefaultPreviewFile(ProgramPath()))) {
      return PreviewNamedSetting(request, *preview, log);
    }
    return CommitNamedSetting(request, log);
  } catch (const KipError& error) {
    log.Write(error.Message(), L"失敗");
  } catch (const std::exception& error) {
    log.Write(FromUtf8(error.what()), L"失敗");
  }
  return kExitFailed;
}

}  // namespace kip
