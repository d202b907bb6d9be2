// The switches deployment tools use beside the classic arguments: a silent
// import, a run without any window, a step log, the usage text, and exit
// codes a script can test. Pure functions of the argument list.
#pragma once

#include <optional>
#include <string>

#include "util/Text.h"

namespace kip {

// What a run tells the tool that started it.
enum ExitCode : int {
  kExitCommitted = 0,
  kExitFailed = 1,             // anything else
  kExitSettingNotFound = 2,
  kExitCommandNotStarted = 3,  // a child of the commit could not be started
  kExitImportRefused = 4,
  kExitAnotherInstance = 5,
  kExitReturnPending = 6,  // a commit with automatic return may still go back: nothing done
  kExitDomainFailed = 7,   // committed, but the domain or workgroup could not be joined
};

struct DeployOptions {
  bool quiet = false;                      // "/q": no window, no message box
  bool usage = false;                      // "/?"
  std::optional<std::wstring> importFile;  // "/import FILE"
  std::wstring logFile;                    // "/log FILE"; empty: none
  bool resident = false;                   // "/resident": start in the notification area, no window
  // The arguments that are not deployment switches, in their order: the
  // classic setting name and switch.
  StringList classicArguments;
  // A switch that needs a file was given without one (or with a switch in
  // its place): the usage is shown and nothing is done.
  bool missingFile = false;
};

// Deployment switches start with "/" or "-", any letter case; the file
// follows its switch as the next argument, which must not be a switch
// itself (a file named so is written ".\-name").
DeployOptions ParseDeployOptions(const StringList& arguments);

std::wstring UsageText();

}  // namespace kip
