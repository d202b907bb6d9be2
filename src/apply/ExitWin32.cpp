#include "apply/ExitWin32.h"

#include <shellapi.h>

#include <cwchar>
#include <vector>

#include "store/StoreKeys.h"
#include "util/kRegistry.h"
#include "util/Guard.h"
#include "util/Process.h"
#include "util/UniqueHandle.h"
#include "util/WindowsVersion.h"

namespace kip {

namespace {

constexpr DWORD kProgmanPollMs = 500;

// The shell's version as the log-off compares it: "major.minor" read as a
// decimal number (so 4.100 counts as 4.1); unreadable counts as below.
bool ShellKnowsLogOffWithoutRestart(const std::optional<std::pair<int, int>>& version) {
  if (!version) return false;
  wchar_t text[32];
  std::swprintf(text, 32, L"%d.%d", version->first, version->second);
  return std::wcstod(text, nullptr) >= 4.72;
}

class WindowsExitPlatform : public ExitPlatform {
 public:
  explicit WindowsExitPlatform(HWND mainWindow) : mainWindow_(mainWindow) {}

  bool IsNtFamily() override { return kip::IsNtFamily(); }

  PrivilegeResult EnableShutdownPrivilege() override {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw)) {
      return PrivilegeResult::TokenNotOpened;
    }
    UniqueKernelHandle token(raw);
    TOKEN_PRIVILEGES privileges{};
    if (!LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid)) {
      return PrivilegeResult::PrivilegeUnknown;
    }
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    // Success here does not mean the privilege was held (ERROR_NOT_ALL_ASSIGNED):
    // ExitWindowsEx finds that out.
    if (!AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr)) {
      return PrivilegeResult::NotAdjusted;
    }
    return PrivilegeResult::Adjusted;
  }

  bool EndSession(UINT flags) override { return ExitWindowsEx(flags, kPlannedShutdownReason) != FALSE; }

  DWORD InitiateShutdown(bool reboot, DWORD reason) override {
    if (InitiateSystemShutdownExW(nullptr, nullptr, 0, FALSE, reboot ? TRUE : FALSE, reason)) return 0;
    return GetLastError();
  }

  std::optional<std::pair<int, int>> ShellVersion() override {
    const wchar_t* file = L"Shell32.dll";
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file, &ignored);
    if (size == 0) return std::nullopt;
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(file, 0, size, data.data())) return std::nullopt;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed) {
      return std::nullopt;
    }
    return std::make_pair(static_cast<int>(HIWORD(fixed->dwFileVersionMS)),
                          static_cast<int>(LOWORD(fixed->dwFileVersionMS)));
  }

  bool ProgmanExists() override { return FindWindowW(L"Progman", nullptr) != nullptr; }

  void PostQuitToProgman() override {
    if (HWND progman = FindWindowW(L"Progman", nullptr)) PostMessageW(progman, WM_QUIT, 0, 0);
  }

  // Only while logging off, with the main window hidden: no window of ours
  // takes input, so messages are handled plainly.
  void Pause(DWORD ms) override { WaitSeconds(ms / 1000.0); }

  void StartExplorer() override { ShellExecuteW(nullptr, L"open", L"explorer.exe", nullptr, nullptr, SW_SHOWNORMAL); }

  void HideMainWindow() override {
    if (mainWindow_) ShowWindow(mainWindow_, SW_HIDE);
  }
  void ShowMainWindow() override {
    if (mainWindow_) ShowWindow(mainWindow_, SW_SHOW);
  }
  // Posted, so that the handler that decided to close (the commit) ends
  // before the window goes.
  void CloseMainWindow() override {
    if (mainWindow_) PostMessageW(mainWindow_, WM_CLOSE, 0, 0);
  }

 private:
  HWND mainWindow_;
};

}  // namespace

std::unique_ptr<ExitPlatform> CreateWindowsExitPlatform(HWND mainWindow) {
  return std::make_unique<WindowsExitPlatform>(mainWindow);
}

// A refused shut-down says why: a deployment tool's log is all an
// administrator sees of it.
void TExitWin::EndNtSession(bool reboot, const wchar_t* tokenMessage, const wchar_t* privilegeMessage) {
  switch (platform_.EnableShutdownPrivilege()) {
    case PrivilegeResult::TokenNotOpened:
      throw EExitError(tokenMessage);
    case PrivilegeResult::PrivilegeUnknown:
    case PrivilegeResult::NotAdjusted:
      throw EExitError(privilegeMessage);
    case PrivilegeResult::Adjusted:
      if (const DWORD error = platform_.InitiateShutdown(reboot, kPlannedShutdownReason)) {
        throw EExitError(std::wstring(privilegeMessage) + L"\r\n(コード " + std::to_wstring(error) + L") " +
                         SystemErrorText(error));
      }
      return;
  }
}

void TExitWin::ShutDown() {
  if (platform_.IsNtFamily()) {
    EndNtSession(false, kExitTokenShutdown, kExitPrivilegeShutdown);
  } else if (!platform_.EndSession(EWX_SHUTDOWN | EWX_POWEROFF)) {
    throw EExitError(kExitPowerOffFailed);
  }
}

void TExitWin::Restart() {
  if (platform_.IsNtFamily()) {
    EndNtSession(true, kExitTokenRestart, kExitPrivilegeRestart);
  } else if (!platform_.EndSession(EWX_REBOOT)) {
    throw EExitError(kExitRebootFailed);
  }
}

void TExitWin::LogOff() {
  platform_.HideMainWindow();
  if (!platform_.EndSession(EWX_LOGOFF)) {
    platform_.ShowMainWindow();
    throw EExitError(kExitLogOffFailed);
  }
  if (platform_.IsNtFamily()) return;
  // An older shell does not end by itself: end it and start it again.
  if (!ShellKnowsLogOffWithoutRestart(platform_.ShellVersion())) {
    while (!platform_.ProgmanExists()) platform_.Pause(kProgmanPollMs);
    platform_.PostQuitToProgman();
    while (platform_.ProgmanExists()) platform_.Pause(kProgmanPollMs);
    platform_.StartExplorer();
  }
  platform_.CloseMainWindow();
}

void TExitWin::ActOnChoice(int choice) {
  switch (choice) {
    case ecShutdown:
      ShutDown();
      break;
    case ecRestart:
      Restart();
      break;
    case ecLeaveProgram:
      platform_.CloseMainWindow();
      break;
    default:
      break;
  }
}

bool StoreExitChoice(int choice) {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKey(kStoreRootKey, false)) return false;
  return RunGuarded([&] { registry.WriteInteger(L"Shutdown Index", choice); });
}

int StoredExitChoice() {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKeyReadOnly(kStoreRootKey)) return kDefaultExitChoice;
  return registry.TryReadInteger(L"Shutdown Index").value_or(kDefaultExitChoice);
}

}  // namespace kip
