#include "app/SingleInstance.h"

#include <windows.h>

namespace kip {

bool InstanceMutex::Acquire(const std::wstring& name) {
  mutex_ = AdminMutex::Open(name);
  if (mutex_.Verdict() == NameVerdict::Administrators) {
    mutex_ = {};
    return false;
  }
  // Made here, or squatted: a name anyone could have made says nothing
  // about another instance.
  return true;
}

std::wstring InstanceMutexName() {
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  return L"kIpCnfg.Session" + std::to_wstring(session);
}

}  // namespace kip
