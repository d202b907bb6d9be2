// One commit at a time on the whole machine. The check for a pending way
// back, the commit serial's count and the commit itself run while the lock
// is held, and so does a way back: two commits, or a commit and a way back,
// never run netsh at once, and two counts never become one. Every session
// meets the same lock, which only administrators can create.
#pragma once

#include <string>

#include "util/AdminOnly.h"
#include "util/Process.h"

namespace kip {

class CommitLock {
 public:
  CommitLock() = default;
  CommitLock(CommitLock&& other) noexcept;
  CommitLock& operator=(CommitLock&& other) noexcept;
  ~CommitLock();

  // Waits for the lock, handling window messages meanwhile (through
  // `filter` when a window of the caller is up). Not held (and `whyNot`
  // says so) when the name was made by someone who is not an administrator
  // or cannot be created.
  static CommitLock Acquire(std::wstring& whyNot, MessageFilter filter = nullptr);
  // The same, for a way back (which has no window): also ends, not held,
  // when `giveUp` is signalled first (`gaveUp` tells). A name someone else
  // made does not stop a way back: it then goes on without the lock.
  static CommitLock AcquireForReturn(HANDLE giveUp, bool& gaveUp);
  explicit operator bool() const { return held_; }

 private:
  void Release();
  AdminMutex mutex_;
  bool held_ = false;
};

// Under the lock, after the user chose a new commit over a pending way
// back: marks every pending state kept and waits, handling window
// messages (through `filter`), until no way back is pending any more.
void SettlePendingReturns(MessageFilter filter);

}  // namespace kip
