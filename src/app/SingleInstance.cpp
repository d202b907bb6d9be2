#include "app/SingleInstance.h"

#include <windows.h>

namespace kip {

bool InstanceMutex::Acquire(const std::wstring& name) {
  handle_.reset();
  HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
  DWORD error = GetLastError();
  if (!mutex) return false;
  if (error == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return false;
  }
  handle_.reset(mutex);
  return true;
}

}  // namespace kip
