// What surrounds a commit of the window besides its plan: the preview
// before it, the check after it, and for a commit with automatic return the
// kept state, the helper and the question whether to keep the new setting.
#pragma once

#include <memory>

#include "app/UkIpConfig.h"
#include "apply/AutoReturn.h"
#include "apply/CommitDiff.h"
#include "apply/CommitPlan.h"
#include "apply/CommitSequence.h"
#include "ui/CommitPreview.h"

namespace kip {

// The review as the preview dialog lists it: a title line per card and for
// the machine-wide part, then its fields.
PreviewContent PreviewContentOf(const CommitReview& review);

class TFormIpconfig::SafeSwitch {
 public:
  SafeSwitch(TFormIpconfig& form, CommitKind kind, const CommitSetting& setting, const CommitPlan& plan,
             const CommitEnvironment& environment)
      : form_(form), kind_(kind), setting_(setting), plan_(plan), environment_(environment) {}
  ~SafeSwitch();
  SafeSwitch(const SafeSwitch&) = delete;
  SafeSwitch& operator=(const SafeSwitch&) = delete;

  // Before the commit: the preview when the user wants it and, with
  // automatic return, the kept state and the helper. False: nothing may be
  // committed. Prepare asks the questions, before the commit lock is taken
  // (no dialog holds up another commit or a way back); Arm runs under it.
  bool Prepare();
  bool Arm();
  // The commit has run its steps: a way back from now on waits for the
  // commit lock, which the window is about to give up.
  void CommitEnded();
  // Told by the commit as its steps end.
  void StepEnded(CommitStep step);
  // The runner of the commit's children: each child that ends tells the
  // helper the commit moved on (the cards' restart is a child per card).
  CommandRunner* WatchedRunner(CommandRunner* inner);
  // True once the helper has gone back (or kept) on its own: the rest of
  // the commit is abandoned.
  bool Abandoned() const { return report_ != nullptr; }
  // The commit raised (`failure` says why): with automatic return the way
  // back runs now and the window waits for it. False when there is no way
  // back to wait for.
  bool GoBackAfterFailure(const std::wstring& failure);
  // After the commit: the check (into the status bar when `showCheck`, into
  // the commit log always), then, with automatic return, the question. False
  // when the machine went back to its former state (or may have).
  bool End(bool showCheck);

 private:
  bool ConfirmPreview(const LiveState& live);
  bool StartAutoReturn(const LiveState& live);
  bool AskKeep();
  // While the commit runs: the helper may end first (the time-out ran out
  // during a step that hangs); the window then says what it did at once.
  static void CALLBACK WatchHelper(HWND window, UINT, UINT_PTR self, DWORD);
  void StopWatching();
  void ShowReport(const ReturnReport& report, const std::wstring& failure = {});

  TFormIpconfig& form_;
  CommitKind kind_;
  const CommitSetting& setting_;
  const CommitPlan& plan_;
  const CommitEnvironment& environment_;
  // Unanswered when the commit raised: it then goes back at once.
  std::unique_ptr<AutoReturn> autoReturn_;
  // The helper's report, once shown.
  const ReturnReport* report_ = nullptr;
  bool watching_ = false;
  std::unique_ptr<CommandRunner> runner_;
};

}  // namespace kip
