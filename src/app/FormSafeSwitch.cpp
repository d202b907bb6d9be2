// Safe switching: the preview of a commit ("反映内容の確認"), the check of
// the machine after every commit, and the commit with automatic return
// ("確認付きで反映"), with their two options.
#include "app/FormSafeSwitch.h"

#include "app/CommandLineArgs.h"
#include "app/DeployArgs.h"
#include "app/PreviewFile.h"
#include "apply/CommitDiff.h"
#include "apply/CommitSource.h"
#include "apply/LiveSnapshot.h"
#include "store/StoreKeys.h"
#include "ui/KeepSettingDialog.h"
#include "util/Files.h"
#include "util/Guard.h"
#include "util/kRegistry.h"

namespace kip {

namespace {

constexpr wchar_t kPreviewFirstOption[] = L"mPreviewFirst_Checked";
constexpr wchar_t kReturnSecondsOption[] = L"AutoReturn_Seconds";
constexpr int kMinReturnSeconds = 5;
constexpr int kMaxReturnSeconds = 3600;

constexpr wchar_t kSafeCommitCaption[] = L"確認付きで反映";
constexpr wchar_t kNoReturnText[] = L"元に戻す準備ができませんでした. 反映していません.";
constexpr wchar_t kReturningText[] = L"元に戻しています...";
constexpr wchar_t kReturnedText[] = L"元に戻しました";
constexpr wchar_t kReturnFailedText[] = L"元に戻せませんでした.";

bool IsReturnSeconds(long long seconds) { return seconds >= kMinReturnSeconds && seconds <= kMaxReturnSeconds; }

void WriteOption(const wchar_t* name, int value) {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  if (registry.OpenKey(kOptionsKey, true)) RunGuarded([&] { registry.WriteInteger(name, value); });
}

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

bool TFormIpconfig::SafeSwitch::Begin() {
  const bool preview = kind_ != CommitKind::Unattended && form_.mPreviewFirst && form_.mPreviewFirst->Checked();
  if (!preview && kind_ != CommitKind::WithReturn) return true;
  const LiveState live = ReadLiveState(setting_, environment_.systemFolder);
  if (preview && !ConfirmPreview(live)) return false;
  if (kind_ != CommitKind::WithReturn) return true;
  autoReturn_ = AutoReturn::Start(live, setting_, plan_, static_cast<DWORD>(form_.ReturnSeconds), form_.ProgramPath());
  if (!autoReturn_) form_.ShowException(kNoReturnText);
  return autoReturn_ != nullptr;
}

bool TFormIpconfig::SafeSwitch::ConfirmPreview(const LiveState& live) {
  return ShowCommitPreview(form_.Handle(), form_.FormFont(), PreviewContentOf(ReviewOfPlan(live, setting_, plan_)));
}

bool TFormIpconfig::SafeSwitch::End(bool showCheck) {
  // A check that cannot read the machine says nothing rather than stop what
  // follows the commit.
  std::optional<std::vector<DiffSection>> mismatches;
  RunGuarded([&] { mismatches = CheckAfterCommit(setting_, plan_, environment_); });
  if (showCheck && mismatches) form_.ShowException(MismatchStatusText(*mismatches));
  return autoReturn_ ? AskKeep() : true;
}

bool TFormIpconfig::SafeSwitch::AskKeep() {
  autoReturn_->Committed();
  const KeepAnswer answer = AskKeepSetting(form_.Handle(), form_.FormFont(), form_.ReturnSeconds);
  const std::wstring checked = form_.StatusBar1.Status();
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
  switch (autoReturn_->AwaitHelper()) {
    case ReturnOutcome::Kept:
      form_.ShowException(checked);
      return true;
    case ReturnOutcome::Returned:
      form_.LoadSetting();
      form_.ShowException(kReturnedText);
      return false;
    case ReturnOutcome::Failed:
      break;
  }
  form_.ShowException(kReturnFailedText);
  return false;
}

// --- commands and options ----------------------------------------------------

void TFormIpconfig::ActionSafeCommitExecute() {
  RunWhileCommitting([this] {
    if (CommitShownSetting(CommitKind::WithReturn)) FollowCommit();
  });
}

void TFormIpconfig::mPreviewFirstClick() {
  mPreviewFirst->SetChecked(!mPreviewFirst->Checked());
  WriteOption(kPreviewFirstOption, mPreviewFirst->Checked() ? 1 : 0);
}

void TFormIpconfig::mReturnSecondsClick() {
  const std::wstring answer = Ask().InputBox(kSafeCommitCaption, L"元に戻すまでの秒数 (5〜3600)",
                                             std::to_wstring(ReturnSeconds));
  const long long seconds = ToIntDef(answer, -1);
  if (!IsReturnSeconds(seconds)) {
    Ask().ShowMessage(L"5 から 3600 までの秒数を入れてください.");
    return;
  }
  ReturnSeconds = static_cast<int>(seconds);
  WriteOption(kReturnSecondsOption, ReturnSeconds);
}

void TFormIpconfig::ReadSafeSwitchOptions() {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKeyReadOnly(kOptionsKey)) return;
  // Each on its own: both are newer than the other options.
  RunGuarded([&] { mPreviewFirst->SetChecked(registry.ReadInteger(kPreviewFirstOption) != 0); });
  RunGuarded([&] {
    const int seconds = registry.ReadInteger(kReturnSecondsOption);
    if (IsReturnSeconds(seconds)) ReturnSeconds = seconds;
  });
}

void TFormIpconfig::WireSafeSwitchHandlers() {
  mSafeCommit->OnClick = [this] { ActionSafeCommitExecute(); };
  mPreviewFirst->OnClick = [this] { mPreviewFirstClick(); };
  mReturnSeconds->OnClick = [this] { mReturnSecondsClick(); };
}

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
