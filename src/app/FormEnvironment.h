// What the main window takes from its surroundings: the secondary windows
// it uses and the seams tests replace.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "apply/CommitSequence.h"
#include "apply/ExitWin32.h"
#include "apply/LogonTask.h"
#include "ui/Prompts.h"
#include "util/Text.h"

namespace kip {

class TFormDNSEdit;
class TNetChg2;
class TFormGWEdit;
class TFormIPEdit;
class TFormOtherLAN;
class TFormLogin;
class DomainJoiner;

// The secondary windows, living as long as the main window; a test attaches
// the ones it uses.
struct FormDialogs {
  TFormDNSEdit* dnsEdit = nullptr;
  TNetChg2* netChg = nullptr;
  TFormGWEdit* gwEdit = nullptr;
  TFormIPEdit* ipEdit = nullptr;
  TFormOtherLAN* otherLan = nullptr;
  TFormLogin* login = nullptr;
};

// What the window takes from its surroundings; tests replace parts of it.
struct FormEnvironment {
  Prompts* prompts = nullptr;  // not owned; message boxes when null
  // Fills the version record; false when the call fails.
  std::function<bool(OSVERSIONINFOEXW&)> queryVersion;
  std::wstring programPath;  // empty: the running program's path
  StringList arguments;      // command-line arguments after the program
  // Work areas of the monitors present (for restoring the window position);
  // empty: asked from Windows.
  std::function<std::vector<RECT>()> monitorWorkAreas;
  // The machine around a commit (folders, child programs, announcements);
  // empty: the real one, with the program's folder.
  std::function<CommitEnvironment()> commitEnvironment;
  // How Windows is ended after a commit; empty: for real.
  std::function<std::shared_ptr<ExitPlatform>(HWND mainWindow)> exitPlatform;
  // The domain change of a commit: the network management calls (netapi32
  // when empty) and the pause after each domain attempt (WaitSeconds with
  // the window's keyboard handling when empty).
  std::function<std::unique_ptr<DomainJoiner>()> createDomainJoiner;
  std::function<void(double seconds)> domainJoinWait;
  // Appends a line per commit step with its result; empty: no log.
  std::wstring stepLogPath;
  // "/resident": started in the notification area, the window hidden.
  bool resident = false;
  // The task that starts the program at logon; the Task Scheduler's when
  // empty.
  std::function<std::unique_ptr<LogonTask>()> createLogonTask;
};

}  // namespace kip
