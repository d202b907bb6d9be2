#include "util/WindowsVersion.h"

namespace kip {

bool QueryWindowsVersion(OSVERSIONINFOEXW& info) {
  info = {};
  info.dwOSVersionInfoSize = sizeof info;
#ifdef __GNUC__
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
  return GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)) != FALSE;
#ifdef __GNUC__
#pragma GCC diagnostic pop
#endif
}

bool IsNtFamily() {
  OSVERSIONINFOEXW info;
  return !QueryWindowsVersion(info) || info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

DWORD WindowsMajorVersion() {
  OSVERSIONINFOEXW info;
  return QueryWindowsVersion(info) ? info.dwMajorVersion : 0;
}

bool RunningOnWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace kip
