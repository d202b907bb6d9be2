// The preview of a commit written to a file ("/preview[:FILE]"): what the
// window's preview lists, as text, for a run that commits nothing. The
// window's command line and the run without a window ("/q") share it.
#pragma once

#include <string>

#include "apply/CommitDiff.h"
#include "apply/CommitPlan.h"
#include "apply/CommitSequence.h"
#include "apply/LiveSnapshot.h"

namespace kip {

// Heads a preview of a setting that changes the domain or the computer name,
// which no script can put back.
inline constexpr wchar_t kNoSafeCommitNote[] = L"この設定はドメイン(コンピュータ名)を変更するため, 確認付きで反映できません.";

// The machine as it is and as the plan will leave it, field by field.
CommitReview ReviewOfPlan(const LiveState& live, const CommitSetting& setting, const CommitPlan& plan);

// Reads the machine, plans the setting's commit and writes the review into
// the file (UTF-8 with its mark, which Notepad and the shells read right).
// False when the file cannot be written.
bool WritePreviewFile(const CommitSetting& setting, const CommitEnvironment& environment, const std::wstring& file);

// The file of a "/preview" without one: beside the program.
std::wstring DefaultPreviewFile(const std::wstring& programPath);

}  // namespace kip
