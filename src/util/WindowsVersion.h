// The Windows version as the system reports it (GetVersionExW: Wine's
// version setting decides it there, which is how the older branches are
// tested).
#pragma once

#include <windows.h>

namespace kip {

// Fills the record; false when the call fails.
bool QueryWindowsVersion(OSVERSIONINFOEXW& info);

// True on the NT family; a 64-bit program only runs there, so a failing
// query counts as NT too.
bool IsNtFamily();

// The major version; 0 when the query fails.
DWORD WindowsMajorVersion();

// True under Wine (its ntdll exports wine_get_version).
bool RunningOnWine();

}  // namespace kip
