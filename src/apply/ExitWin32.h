// Ending Windows or the user's log-on after a commit (TExitWin), and the
// stored exit choice.
//
// Every call into Windows goes through ExitPlatform, so that the logic (which
// message, which flags, in which order) runs in tests against a recording
// double: a test must never really shut a machine down.
#pragma once

#include <windows.h>
#include <reason.h>

#include <memory>
#include <optional>
#include <string>

#include "util/Errors.h"

namespace kip {

// What the user chose to happen after a commit; stored as "Shutdown Index".
enum ExitChoiceValue : int {
  ecShutdown = 0,
  ecRestart = 1,
  ecLeaveProgram = 2,
  ecCarryOn = 3,
};
inline constexpr int kDefaultExitChoice = ecLeaveProgram;

// Windows refused to end (the message is shown in the status bar).
class EExitError : public KipError {
 public:
  using KipError::KipError;
};

inline constexpr wchar_t kExitTokenShutdown[] = L"トークンを開けません。\r\nWindows を終了させることができませんでした。";
inline constexpr wchar_t kExitTokenRestart[] = L"トークンを開けません。\r\nWindows を再起動させることが出来ませんでした。";
inline constexpr wchar_t kExitPrivilegeShutdown[] =
    L"特権を再設定できません。\r\nWindows を終了させることができませんでした。";
inline constexpr wchar_t kExitPrivilegeRestart[] =
    L"特権を再設定できません。\r\nWindows を再起動させることが出来ませんでした。";
inline constexpr wchar_t kExitPowerOffFailed[] = L"コンピュータの電源を切るのに失敗しました。";
inline constexpr wchar_t kExitRebootFailed[] = L"Unable to reboot Windows";
inline constexpr wchar_t kExitLogOffFailed[] = L"Windows をログオフできませんでした。";

// How far enabling the shut-down privilege of this process got.
enum class PrivilegeResult {
  TokenNotOpened,     // OpenProcessToken failed
  PrivilegeUnknown,   // LookupPrivilegeValueW failed
  NotAdjusted,        // AdjustTokenPrivileges failed
  Adjusted,           // AdjustTokenPrivileges reported success
};

// The Windows operations TExitWin uses.
class ExitPlatform {
 public:
  virtual ~ExitPlatform() = default;
  // VER_PLATFORM_WIN32_NT; everything else is the older family.
  virtual bool IsNtFamily() = 0;
  // Enables "SeShutdownPrivilege" in this process's token.
  virtual PrivilegeResult EnableShutdownPrivilege() = 0;
  // ExitWindowsEx(flags, kPlannedShutdownReason): the log-off, and the older
  // family's shut-down and restart.
  virtual bool EndSession(UINT flags) = 0;
  // InitiateSystemShutdownExW of the local machine, at once, without forcing
  // programs closed: unlike ExitWindowsEx it is documented for callers that
  // are not the interactive user (a start-up script, a deployment agent
  // running as SYSTEM). Returns 0, or the error Windows gave.
  virtual DWORD InitiateShutdown(bool reboot, DWORD reason) = 0;
  // Major and minor file version of "Shell32.dll"; nullopt when unreadable.
  virtual std::optional<std::pair<int, int>> ShellVersion() = 0;
  virtual bool ProgmanExists() = 0;
  virtual void PostQuitToProgman() = 0;
  // Waits this long while the window's messages are handled.
  virtual void Pause(DWORD ms) = 0;
  virtual void StartExplorer() = 0;
  // The main window: hidden and shown again around a log-off, closed when
  // the program is to end.
  virtual void HideMainWindow() = 0;
  virtual void ShowMainWindow() = 0;
  virtual void CloseMainWindow() = 0;
};

// The real operations, for the given main window.
std::unique_ptr<ExitPlatform> CreateWindowsExitPlatform(HWND mainWindow);

// "Operating System: Reconfiguration (Planned)": a zero reason would be
// logged as an unplanned shut-down, which can make Windows collect system
// state first.
inline constexpr DWORD kPlannedShutdownReason = SHTDN_REASON_MAJOR_OPERATINGSYSTEM |
                                                SHTDN_REASON_MINOR_RECONFIG | SHTDN_REASON_FLAG_PLANNED;

class TExitWin {
 public:
  explicit TExitWin(ExitPlatform& platform) : platform_(platform) {}

  // Each raises EExitError when Windows refuses (see the messages above).
  void ShutDown();
  void Restart();
  void LogOff();
  // Acts on an exit choice after a commit: shut down, restart, close the
  // main window; any other value (carry on) does nothing.
  void ActOnChoice(int choice);

 private:
  void EndNtSession(bool reboot, const wchar_t* tokenMessage, const wchar_t* privilegeMessage);
  ExitPlatform& platform_;
};

// Stores the choice as "Shutdown Index" in the program's key, which is not
// created for it: false when the key is missing or the write fails.
bool StoreExitChoice(int choice);
// The stored choice; kDefaultExitChoice when the key or the value is missing.
int StoredExitChoice();

}  // namespace kip
