// The step log of a commit ("/log FILE"): one line per step with its
// result, appended, so that a deployment tool can show what a silent run
// did on each machine.
#pragma once

#include <string>

#include "apply/CommitSequence.h"

namespace kip {

class StepLog {
 public:
  // An empty path logs nothing.
  explicit StepLog(std::wstring path) : path_(std::move(path)) {}
  bool Enabled() const { return !path_.empty(); }
  // "<local time>\t<text>\t<result>", UTF-8; failures to write are dropped.
  void Write(const std::wstring& text, const std::wstring& result) const;
  void StepEnded(CommitStep step, bool succeeded) const;

 private:
  std::wstring path_;
};

}  // namespace kip
