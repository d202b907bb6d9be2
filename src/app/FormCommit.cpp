// The commit ("設定反映"): pending edits saved, the shown setting's plan
// built from the store and carried out, then the post-commit dialog or the
// stored exit choice. While it runs the window is busy: nothing that changes
// the store, the tabs or the card selection can start, and a close request
// waits for the end.
#include "apply/CommitLock.h"
#include "apply/CommitPlan.h"
#include "apply/CommitSequence.h"
#include "apply/CommitSource.h"
#include "apply/AutoReturn.h"
#include "apply/ExitWin32.h"
#include "apply/StepLog.h"
#include "app/DeployArgs.h"
#include "app/FormSafeSwitch.h"
#include "app/UkIpConfig.h"
#include "util/Guard.h"
#include "ui/UNetChg2.h"
#include "ui/win/Menus.h"
#include "util/AdminOnly.h"
#include "util/Errors.h"
#include "util/Files.h"

namespace kip {

namespace {

constexpr wchar_t kCloseHeldText[] = L"反映中です. 終了は反映の後に行います.";
constexpr wchar_t kCommittedText[] = L"反映しました";
constexpr wchar_t kKeepPendingQuestion[] =
    L"確認付きで反映した設定が, 維持するか元に戻すかの答えを待っています. その設定を維持して反映しますか?";
constexpr wchar_t kReturnPendingText[] = L"確認付きで反映した設定が元に戻るのを待っています. 反映していません.";
constexpr wchar_t kNotCommittedText[] = L". 反映していません.";

// The commit's children are waited for as the window's own loop waits: its
// keys and the dialogs it opens meanwhile keep working.
CommandRunner& WindowRunner() {
  static SystemRunner runner(&win::PreTranslateUiMessage);
  return runner;
}

// The way back of a commit with automatic return has run on its own: the
// commit's remaining steps are not carried out.
struct CommitAbandoned {};

std::wstring TextOf(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const KipError& known) {
    return known.Message();
  } catch (const std::exception& other) {
    return FromUtf8(other.what());
  } catch (...) {
  }
  return {};
}

}  // namespace

// What the commit asks of the window (the domain change, which may need
// the user's account) and tells it: each step as it starts, in the status
// bar and the step log.
class TFormIpconfig::CommitUserAdapter : public CommitUser {
 public:
  CommitUserAdapter(TFormIpconfig& form, const StepLog& log, SafeSwitch& safe) : form_(form), log_(log), safe_(safe) {}
  void ChangeDomain(const DomainChoice& choice) override { form_.ChangeDomainStep(choice); }
  void StepStarted(CommitStep step) override {
    if (safe_.Abandoned()) throw CommitAbandoned{};
    form_.StatusBar1.SetStatus(CommitStepText(step));
    UpdateWindow(form_.StatusBar1.Handle());
  }
  void StepEnded(CommitStep step, bool succeeded) override {
    log_.StepEnded(step, succeeded);
    safe_.StepEnded(step);
  }
  void StepNote(CommitStep, const std::wstring& text, const std::wstring& result) override { log_.Write(text, result); }

 private:
  TFormIpconfig& form_;
  const StepLog& log_;
  SafeSwitch& safe_;
};

void TFormIpconfig::ActionCommitExecute() {
  RunWhileCommitting([this] {
    if (CommitShownSetting(CommitKind::Window)) FollowCommit();
  });
}

// The post-commit dialog, or the stored exit choice.
void TFormIpconfig::FollowCommit() {
  if (options_.showExitWindow && Dialogs().netChg) {
    Dialogs().netChg->ShowAfterCommit(options_.exitChoice, options_.showExitWindow);
  } else {
    ActOnExitChoice(options_.exitChoice);
  }
}

// Runs `work` with the window busy; a close asked for meanwhile follows it.
void TFormIpconfig::RunWhileCommitting(const std::function<void()>& work) {
  SetCommitting(true);
  RunThenAlways(work, [this] {
    SetCommitting(false);
    tray_.Update();  // its tool-tip names the last committed setting
    if (closeHeld_) {
      closeHeld_ = false;
      PostMessageW(Handle(), WM_CLOSE, 0, 0);
    }
  });
}

void TFormIpconfig::SetCommitting(bool committing) {
  committing_ = committing;
  const bool enabled = !committing;
  actions_.commit.SetEnabled(enabled);
  actions_.exit.SetEnabled(enabled);
  ComboDescription.SetEnabled(enabled);
  TabControl1.SetEnabled(enabled);
  menus_.mFile->SetEnabled(enabled);
  DrawMenuBar(Handle());
}

// Menu and accelerator commands that stay usable while a commit runs.
bool TFormIpconfig::CommandAllowedWhileCommitting(UINT commandId) const {
  // Looking things up and editing HOSTS change nothing of the store.
  for (const win::MenuItem* item : {menus_.mEditHOSTS, menus_.mHelp, menus_.About1}) {
    if (item && item->Id() == commandId) return true;
  }
  return false;
}

// True (and the wait cursor set) when a commit runs.
bool TFormIpconfig::ShowWaitCursorWhileCommitting() {
  if (!committing_) return false;
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  return true;
}

// True (and the close remembered) when a commit runs.
bool TFormIpconfig::HoldCloseWhileCommitting() {
  if (!committing_) return false;
  closeHeld_ = true;
  // The domain attempts end too: they may wait for an account nobody gives.
  joinCancelled_ = true;
  StatusBar1.SetStatus(kCloseHeldText);
  return true;
}

// Saves pending edits and commits the selected tab. False when nothing is
// committed, or the machine went back to its former state.
bool TFormIpconfig::CommitShownSetting(CommitKind kind) {
  if (editor_.ShownIndex() < 0) {
    ShowException(L"反映する設定が選ばれていません.");
    return false;
  }
  // A commit with automatic return elsewhere (another session, a window
  // that was killed) may still go back: never silently under it. Asked
  // before the lock is taken, so that no question holds up a way back.
  const auto refusePending = [this] {
    ShowException(kReturnPendingText);
    commandLineExitCode_ = kExitReturnPending;
    return false;
  };
  bool keepPending = false;
  if (ReturnPending()) {
    if (kind == CommitKind::Unattended) return refusePending();
    if (Ask().ConfirmYesNo(kKeepPendingQuestion) != Answer::Yes) return false;
    keepPending = true;
  }
  SyncSelection();
  CommitEnvironment environment = CommitEnvironmentOfWindow();
  std::wstring whyNot;
  const SafeFolder work = SafeFolder::Open(environment.tempFolder, whyNot);
  if (!work) {
    ShowException(whyNot + kNotCommittedText);
    return false;
  }
  const CommitSetting setting = ReadCommitSetting(ShownCommitRequest(), environment);
  const CommitPlan plan = PlanCommit(setting);
  SafeSwitch safe(*this, kind, setting, plan, environment);
  environment.runner = safe.WatchedRunner(environment.runner);
  if (!safe.Prepare()) return false;
  // From the check for a pending way back to the commit's last step.
  CommitLock lock = CommitLock::Acquire(whyNot, &win::PreTranslateUiMessage);
  if (!lock) {
    ShowException(whyNot + kNotCommittedText);
    return false;
  }
  if (ReturnPending()) {
    if (!keepPending) return refusePending();  // armed while we were not looking
    SettlePendingReturns(&win::PreTranslateUiMessage);
  }
  if (!safe.Arm()) return false;
  const StepLog log(env_.stepLogPath);
  log.Write(L"設定[" + setting.settingName + L"]を反映します", L"");
  CommitUserAdapter user(*this, log, safe);
  CommitResult result;
  try {
    RunThenAlways([&] { result = RunCommitPlan(plan, user, environment); },
                  // The machine changed under the cards the setting does not
                  // hold: show it again.
                  [this] { editor_.Load(); });
  } catch (const CommitAbandoned&) {
    return false;  // the status bar and the logs have the way back's outcome
  } catch (...) {
    // Never two commits at once: the way back runs now, and the window
    // waits for it.
    if (safe.GoBackAfterFailure(TextOf(std::current_exception()))) return false;
    throw;
  }
  safe.CommitEnded();
  lock = {};  // the question that may follow holds up nobody
  lastCommitResult_ = result;
  SwitchCommittedByHand();
  std::wstring notStarted = NotStartedStatusText(result);
  if (!notStarted.empty()) {
    ShowException(notStarted);
  } else {
    StatusBar1.SetStatus(kCommittedText);
  }
  log.Write(notStarted.empty() ? kCommittedText : notStarted, notStarted.empty() ? L"OK" : L"失敗");
  // The check after the commit may name what did not stick instead.
  return safe.End(notStarted.empty());
}

CommitRequest TFormIpconfig::ShownCommitRequest() const {
  return {editor_.ShownIndex(), editor_.ShownName(), static_cast<int>(editor_.CardIds().size()), editor_.CardIds(),
          osMajor_, osMinor_};
}

CommitEnvironment TFormIpconfig::CommitEnvironmentOfWindow() const {
  if (env_.commitEnvironment) return env_.commitEnvironment();
  CommitEnvironment environment = DefaultCommitEnvironment();
  environment.runner = &WindowRunner();
  environment.programFolder = ProgramFolder();
  environment.commitLogPath = ChangeFileExt(ProgramPath(), L".log");
  return environment;
}

// An import or an undo replaces the store: it asks as a commit does when a
// way back is pending, and runs under the commit lock. False (the user told
// why) when it must not go on.
bool TFormIpconfig::LockForStoreChange(CommitLock& lock) {
  const bool pending = ReturnPending();
  if (pending && Ask().ConfirmYesNo(kKeepPendingQuestion) != Answer::Yes) return false;
  std::wstring whyNot;
  lock = CommitLock::Acquire(whyNot, &win::PreTranslateUiMessage);
  if (!lock) {
    Ask().ShowMessage(whyNot);
    return false;
  }
  if (!ReturnPending()) return true;
  if (!pending) {
    Ask().ShowMessage(kReturnPendingText);
    return false;
  }
  SettlePendingReturns(&win::PreTranslateUiMessage);
  return true;
}

// Acts on an exit choice: shut down, restart, close the window, or nothing.
void TFormIpconfig::ActOnExitChoice(int choice) {
  TExitWin(*ExitPlatformOfWindow()).ActOnChoice(choice);
}

std::shared_ptr<ExitPlatform> TFormIpconfig::ExitPlatformOfWindow() {
  if (env_.exitPlatform) return env_.exitPlatform(Handle());
  return CreateWindowsExitPlatform(Handle());
}

std::optional<StringList> TFormIpconfig::TraySettings() const {
  if (committing_ || editor_.Busy()) return std::nullopt;
  return editor_.Names();
}

void TFormIpconfig::CommitFromTray(int index) {
  editor_.SelectSetting(index);
  // No exit choice follows: the program carries on, as with "続ける".
  RunWhileCommitting([this] { CommitShownSetting(CommitKind::Tray); });
}

}  // namespace kip
