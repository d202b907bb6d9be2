// Registry locations of Windows' own settings that the program reads from
// the live machine and writes on a commit.
#pragma once

namespace kip {

// Under HKEY_LOCAL_MACHINE.
inline constexpr wchar_t kTcpipParametersKey[] = L"\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";

// The NetBIOS computer name: the one for the next start, and the one in use.
inline constexpr wchar_t kComputerNameKey[] = L"\\SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName";
inline constexpr wchar_t kActiveComputerNameKey[] =
    L"\\SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ActiveComputerName";

// Under HKEY_CURRENT_USER.
inline constexpr wchar_t kInternetSettingsKey[] = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
inline constexpr wchar_t kInternetExplorerMainKey[] = L"\\Software\\Microsoft\\Internet Explorer\\Main";
// "Device": the default printer as "name,driver,port".
inline constexpr wchar_t kWindowsKey[] = L"\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
// One value per printer: "driver,port".
inline constexpr wchar_t kDevicesKey[] = L"\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Devices";

}  // namespace kip
