// Test steps that run from the message queue while the code under test waits
// and handles messages (an address dialog waiting for its user). Each step
// runs only after everything posted before it has been handled, so typed keys
// reach whatever control has the focus by then.
//
//   QueuedSteps steps;
//   steps.Type(L"10.0.0.1").Key(VK_RETURN).Start();
//   bool confirmed = dialog.Execute();
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

namespace kip::test {

class QueuedSteps {
 public:
  QueuedSteps();
  ~QueuedSteps();
  QueuedSteps(const QueuedSteps&) = delete;
  QueuedSteps& operator=(const QueuedSteps&) = delete;

  QueuedSteps& Then(std::function<void()> step);
  // One WM_CHAR per character, posted to the control that has the focus.
  QueuedSteps& Type(std::wstring_view text);
  // A key pressed and released in the control that has the focus.
  QueuedSteps& Key(WPARAM virtualKey);
  // Posts the first step; the rest follow one by one.
  void Start();
  // The focused window of this thread. When another program has taken the
  // activation, the visible enabled window of this thread is activated
  // again first, which gives the focus back to the control that had it.
  static HWND Focus();
  // Steps that have run so far.
  size_t Ran() const { return next_; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void RunNext();
  HWND hwnd_ = nullptr;
  std::vector<std::function<void()>> steps_;
  size_t next_ = 0;
};

}  // namespace kip::test
