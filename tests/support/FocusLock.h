// Tests run side by side on one display, and showing a window takes the
// activation from the others. A test that needs the keyboard focus to stay
// in its window holds this lock, so that no other such test runs meanwhile.
#pragma once

#include <windows.h>

#include "util/UniqueHandle.h"

namespace kip::test {

class FocusLock {
 public:
  FocusLock() : mutex_(CreateMutexW(nullptr, FALSE, L"kIpTestKeyboardFocus")) {
    if (mutex_) WaitForSingleObject(mutex_.get(), INFINITE);
  }
  ~FocusLock() {
    if (mutex_) ReleaseMutex(mutex_.get());
  }
  FocusLock(const FocusLock&) = delete;
  FocusLock& operator=(const FocusLock&) = delete;

 private:
  UniqueKernelHandle mutex_;
};

}  // namespace kip::test
