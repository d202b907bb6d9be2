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

  // Before the commit: the preview when the user wants it and, with
  // automatic return, the kept state and the helper. False: nothing may be
  // committed.
  bool Begin();
  // After the commit: the check (into the status bar when `showCheck`, into
  // the commit log always), then, with automatic return, the question. False
  // when the machine went back to its former state (or may have).
  bool End(bool showCheck);

 private:
  bool ConfirmPreview(const LiveState& live);
  bool AskKeep();

  TFormIpconfig& form_;
  CommitKind kind_;
  const CommitSetting& setting_;
  const CommitPlan& plan_;
  const CommitEnvironment& environment_;
  // Unanswered when the commit raised: it then goes back at once.
  std::unique_ptr<AutoReturn> autoReturn_;
};

}  // namespace kip
