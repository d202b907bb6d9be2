// Safe switching: the preview of a commit ("反映内容の確認"), the check of
// the machine after every commit, and the commit with automatic return
// ("確認付きで反映"), with their two options.
#include "app/FormSafeSwitch.h"

#include <functional>

#include "app/CommandLineArgs.h"
#include "app/DeployArgs.h"
#include "app/PreviewFile.h"
#include "apply/CommitDiff.h"
#include "apply/CommitSource.h"
#include "apply/LiveSnapshot.h"
#include "ui/KeepSettingDialog.h"
#include "ui/win/Menus.h"
#include "util/Files.h"
#include "util/Guard.h"
#include "util/Profile.h"

namespace kip {

namespace {

constexpr wchar_t kSafeCommitCaption[] = L"確認付きで反映";
constexpr wchar_t kNoReturnText[] = L"元に戻す準備ができませんでした. 反映していません.";
constexpr wchar_t kReturningText[] = L"元に戻しています...";
constexpr wchar_t kNoSafeCommitText[] =
    L"この設定はドメイン(コンピュータ名)を変更するため, 確認付きで反映できません. 通常の反映を行いますか?";
// How soon the window notices a helper that went back during the commit.
constexpr UINT kWatchMs = 250;

// Runs the commit's children through `inner` and says when each has ended.
class ProgressRunner : public CommandRunner {
 public:
  ProgressRunner(CommandRunner& inner, std::function<void()> ended) : inner_(inner), ended_(std::move(ended)) {}
  bool RunAndWait(const std::wstring& commandLine, int showCommand) override {
    return Ended(inner_.RunAndWait(commandLine, showCommand));
  }
  bool RunCaptured(const std::wstring& commandLine, const std::wstring& outputFile) override {
    return Ended(inner_.RunCaptured(commandLine, outputFile));
  }
  bool Start(const std::wstring& commandLine) override { return Ended(inner_.Start(commandLine)); }

 private:
  // The caller reads why a child did not start from GetLastError().
  bool Ended(bool started) {
    const DWORD error = GetLastError();
    ended_();
    SetLastError(error);
    return started;
  }
  CommandRunner& inner_;
  std::function<void()> ended_;
};

}  // namespace

PreviewContent PreviewContentOf(const CommitReview& review) {
  PreviewContent content;
  for (const DiffSection& section : review.sections) {
    content.lines.push_back({section.title, L"", L"", true, false});
    for (const DiffRow& row : section.rows) content.lines.push_back({row.caption, row.before, row.after, false, row.changed});
  }
  content.scriptAndCommands = ScriptAndCommandsText(review);
  return content;
}

// --- around one commit -------------------------------------------------------

TFormIpconfig::SafeSwitch::~SafeSwitch() { StopWatching(); }

void TFormIpconfig::SafeSwitch::StopWatching() {
  if (watching_) KillTimer(form_.Handle(), reinterpret_cast<UINT_PTR>(this));
  watching_ = false;
}

bool TFormIpconfig::SafeSwitch::Prepare() {
  const bool preview = (kind_ == CommitKind::Window || kind_ == CommitKind::WithReturn) && form_.options_.previewFirst;
  if (!preview && kind_ != CommitKind::WithReturn) return true;
  const LiveState live = ReadLiveState(setting_, environment_.systemFolder);
  if (kind_ == CommitKind::WithReturn && ChangesDomainOrComputerName(live.machine, plan_)) {
    if (form_.Ask().ConfirmYesNo(kNoSafeCommitText) != Answer::Yes) return false;
    kind_ = CommitKind::Window;  // the user chose the commit without a way back
  }
  return !preview || ConfirmPreview(live);
}

bool TFormIpconfig::SafeSwitch::Arm() {
  if (kind_ != CommitKind::WithReturn) return true;
  ProfileScope phase("SafeCommitBegin");
  // Read again under the commit lock: what is kept is what the commit
  // changes, whatever happened while the preview was open.
  return StartAutoReturn(ReadLiveState(setting_, environment_.systemFolder));
}

void TFormIpconfig::SafeSwitch::CommitEnded() {
  if (autoReturn_ && !report_) autoReturn_->Committed();
}

bool TFormIpconfig::SafeSwitch::StartAutoReturn(const LiveState& live) {
  std::wstring whyNot;
  const AutoReturn::Options options{static_cast<DWORD>(form_.options_.returnSeconds), form_.ProgramPath(),
                                    environment_.systemFolder, environment_.tempFolder, form_.env_.stepLogPath,
                                    &win::PreTranslateUiMessage};
  autoReturn_ = AutoReturn::Start(live, setting_, plan_, options, whyNot);
  if (!autoReturn_) {
    form_.ShowException(kNoReturnText + (L" (" + whyNot + L")"));
    return false;
  }
  watching_ = SetTimer(form_.Handle(), reinterpret_cast<UINT_PTR>(this), kWatchMs, &SafeSwitch::WatchHelper) != 0;
  return true;
}

void CALLBACK TFormIpconfig::SafeSwitch::WatchHelper(HWND, UINT, UINT_PTR self, DWORD) {
  auto& safe = *reinterpret_cast<SafeSwitch*>(self);
  if (safe.report_ || !safe.autoReturn_->HelperEnded()) return;
  RunGuarded([&] { safe.ShowReport(safe.autoReturn_->AwaitHelper()); });
}

void TFormIpconfig::SafeSwitch::StepEnded(CommitStep step) {
  if (!autoReturn_) return;
  if (step == CommitStep::Netsh) {
    autoReturn_->NetshRan();
  } else {
    autoReturn_->Progressed();
  }
}

CommandRunner* TFormIpconfig::SafeSwitch::WatchedRunner(CommandRunner* inner) {
  if (!inner) return inner;
  runner_ = std::make_unique<ProgressRunner>(*inner, [this] {
    if (autoReturn_) autoReturn_->Progressed();
  });
  return runner_.get();
}

bool TFormIpconfig::SafeSwitch::GoBackAfterFailure(const std::wstring& failure) {
  if (!autoReturn_) return false;
  StopWatching();
  if (!report_) {
    autoReturn_->ReturnNow();
    ShowReport(autoReturn_->AwaitHelper(), failure);
  }
  return true;
}

bool TFormIpconfig::SafeSwitch::ConfirmPreview(const LiveState& live) {
  PreviewContent content = PreviewContentOf(ReviewOfPlan(live, setting_, plan_));
  if (ChangesDomainOrComputerName(live.machine, plan_)) {
    content.lines.insert(content.lines.begin(), {kNoSafeCommitNote, L"", L"", true, false});
  }
  return ShowCommitPreview(form_.Handle(), form_.FormFont(), content);
}

bool TFormIpconfig::SafeSwitch::End(bool showCheck) {
  // A check that cannot read the machine says nothing rather than stop what
  // follows the commit.
  std::optional<std::vector<DiffSection>> mismatches;
  RunGuarded([&] { mismatches = CheckAfterCommit(setting_, plan_, environment_); });
  if (showCheck && mismatches) form_.ShowException(MismatchStatusText(*mismatches));
  if (!autoReturn_) return true;
  if (report_) return report_->outcome == ReturnOutcome::Kept;
  return AskKeep();
}

bool TFormIpconfig::SafeSwitch::AskKeep() {
  StopWatching();
  autoReturn_->Committed();
  // The user has the whole time-out from the moment the question is shown;
  // a helper that went back before it has the last word at once.
  autoReturn_->QuestionShown();
  if (autoReturn_->HelperEnded()) {
    const ReturnReport& report = autoReturn_->AwaitHelper();
    if (report.outcome == ReturnOutcome::Returned) form_.editor_.Load();
    ShowReport(report);
    return false;
  }
  const std::wstring checked = form_.StatusBar1.Status();
  const int seconds = static_cast<int>(autoReturn_->TimeoutMs() / 1000);
  const KeepAnswer answer = AskKeepSetting(form_.Handle(), form_.FormFont(), seconds);
  if (answer == KeepAnswer::Keep) {
    autoReturn_->Keep();
  } else {
    // At the end of the countdown too: the helper need not wait for its
    // own clock.
    autoReturn_->ReturnNow();
    form_.ShowException(kReturningText);
  }
  // The helper has the last word: a keep that came after its time-out finds
  // the machine gone back.
  const ReturnReport& report = autoReturn_->AwaitHelper();
  if (report.outcome == ReturnOutcome::Kept) {
    report_ = &report;
    form_.ShowException(checked);
    return true;
  }
  if (report.outcome == ReturnOutcome::Returned) form_.editor_.Load();
  ShowReport(report);
  return false;
}

void TFormIpconfig::SafeSwitch::ShowReport(const ReturnReport& report, const std::wstring& failure) {
  if (report_) return;
  report_ = &report;
  StopWatching();
  if (report.text.empty()) return;
  form_.ShowException(failure.empty() ? report.text : report.text + L" (" + failure + L")");
}

// --- commands and options ----------------------------------------------------

// "確認付きで反映": the commit of the shown setting that goes back by itself
// unless the user keeps it.
void TFormIpconfig::ActionSafeCommitExecute() {
  RunWhileCommitting([this] {
    if (CommitShownSetting(CommitKind::WithReturn)) FollowCommit();
  });
}

void TFormIpconfig::mPreviewFirstClick() {
  options_.previewFirst = !options_.previewFirst;
  menus_.mPreviewFirst->SetChecked(options_.previewFirst);
  WritePreviewFirst(options_.previewFirst);
}

void TFormIpconfig::mReturnSecondsClick() {
  const std::wstring answer = Ask().InputBox(kSafeCommitCaption, L"元に戻すまでの秒数 (5〜3600)",
                                             std::to_wstring(options_.returnSeconds));
  const long long seconds = ToIntDef(answer, -1);
  if (!IsReturnSeconds(seconds)) {
    Ask().ShowMessage(L"5 から 3600 までの秒数を入れてください.");
    return;
  }
  options_.returnSeconds = static_cast<int>(seconds);
  WriteReturnSeconds(options_.returnSeconds);
}

void TFormIpconfig::WireSafeSwitchHandlers() {
  menus_.mSafeCommit->OnClick = [this] { ActionSafeCommitExecute(); };
  menus_.mPreviewFirst->OnClick = [this] { mPreviewFirstClick(); };
  menus_.mReturnSeconds->OnClick = [this] { mReturnSecondsClick(); };
}

// The command line asks only for the preview: it is written to its file,
// nothing is committed and the window closes. False for any other run.
bool TFormIpconfig::RunCommandLinePreview() {
  const std::optional<std::wstring> file = PreviewFileArgument(env_.arguments, DefaultPreviewFile(ProgramPath()));
  if (!file) return false;
  SyncSelection();
  const CommitEnvironment environment = CommitEnvironmentOfWindow();
  const bool written = WritePreviewFile(ReadCommitSetting(ShownCommitRequest(), environment), environment, *file);
  commandLineExitCode_ = written ? kExitCommitted : kExitFailed;
  ShowException((written ? L"反映内容を書き出しました: " : L"反映内容を書き出せませんでした: ") + *file);
  CarryOutExitAction(ExitAction::CloseWindow);
  return true;
}

}  // namespace kip
