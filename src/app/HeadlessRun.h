// A run of the command line without any window ("/q"), for deployment
// tools: an optional silent import, then the named setting committed
// through the engine. Nothing is shown; the step log and the exit code say
// what happened.
#pragma once

#include "app/CommandLineArgs.h"
#include "app/DeployArgs.h"
#include "apply/ExitWin32.h"

namespace kip {

class StepLog;

// Returns the exit code.
int RunHeadless(const DeployOptions& options);

// Replaces the store by the snapshot file as the import command does (the
// store stays as it was when the file is refused); no message box.
bool ImportSilently(const std::wstring& file, const StepLog& log);

// The command line's "/import FILE": never while a way back is pending (a
// deployment would otherwise replace what the way back relies on), under
// the commit lock. The exit code: kExitCommitted when imported.
int ImportFromCommandLine(const std::wstring& file, const StepLog& log);

// Shuts Windows down, restarts it or logs off as the action says; the
// other actions do nothing here.
void EndWindowsAsAsked(ExitAction action, ExitPlatform& platform);

}  // namespace kip
