#include "app/PreviewFile.h"

#include "util/Files.h"

namespace kip {

CommitReview ReviewOfPlan(const LiveState& live, const CommitSetting& setting, const CommitPlan& plan) {
  const ValueSet current = ValueSetOf(live);
  return ReviewOf(current, ExpectedAfterCommit(current, setting, plan, ReadHostsSource(plan.hostsFile)), plan);
}

bool WritePreviewFile(const CommitSetting& setting, const CommitEnvironment& environment, const std::wstring& file) {
  const CommitPlan plan = PlanCommit(setting);
  const LiveState live = ReadLiveState(setting, environment.systemFolder);
  std::wstring text = ReviewText(ReviewOfPlan(live, setting, plan));
  if (ChangesDomainOrComputerName(live.machine, plan)) text = kNoSafeCommitNote + (L"\r\n" + text);
  return WriteWholeFile(file, "\xEF\xBB\xBF" + ToUtf8(text));
}

std::wstring DefaultPreviewFile(const std::wstring& programPath) {
  return ChangeFileExt(programPath, L".preview.txt");
}

}  // namespace kip
