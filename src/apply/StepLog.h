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
  // Why the log cannot be written, empty when it can (or logs nothing): a
  // folder, a device, a file another process writes. Asked before a run
  // does anything, so that a log that would stay empty stops the run.
  std::wstring OpenFailure() const;
  // "<local time>\t<text>\t<result>", UTF-8; failures to write are dropped.
  void Write(const std::wstring& text, const std::wstring& result) const;
  void StepEnded(CommitStep step, bool succeeded) const;

 private:
  std::wstring path_;
};

}  // namespace kip
