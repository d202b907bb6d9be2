// One running copy per machine session, through a mutex only administrators
// can create: a name a standard user made first (to make every elevated
// start, or a deployment in session 0, end as "already running") is ignored.
#pragma once

#include <string>

#include "util/AdminOnly.h"

namespace kip {

class InstanceMutex {
 public:
  // True when this process may run: it made the mutex, or the name was
  // made by someone who is not an administrator. The mutex is created once:
  // when an administrator's exists another instance runs (no
  // open-then-create race).
  bool Acquire(const std::wstring& name);
  // Closes the handle if one is held.
  void Release() { mutex_ = {}; }
  bool Held() const { return static_cast<bool>(mutex_) && mutex_.Verdict() == NameVerdict::Created; }

 private:
  AdminMutex mutex_;
};

// The session's own name: one copy per session, whatever the namespace.
std::wstring InstanceMutexName();

}  // namespace kip
