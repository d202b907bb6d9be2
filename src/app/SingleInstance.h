// One running copy per machine session, through a named mutex.
#pragma once

#include <string>

#include "util/UniqueHandle.h"

namespace kip {

class InstanceMutex {
 public:
  // True when this process may run. The mutex is created once: when it
  // already exists another instance runs (no open-then-create race).
  bool Acquire(const std::wstring& name);
  // Closes the handle if one is held.
  void Release() { handle_.reset(); }
  bool Held() const { return static_cast<bool>(handle_); }

 private:
  UniqueKernelHandle handle_;
};

inline constexpr wchar_t kInstanceMutexName[] = L"kIpCnfg";

}  // namespace kip
