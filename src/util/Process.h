// Starting other programs and waiting while the window stays responsive.
//
// Every wait here handles the thread's window messages while it waits, so
// the window repaints and accepts input; callers disable what must not run
// twice. Nothing here shows a message: a program that cannot be started
// yields false, and GetLastError() then tells why.
#pragma once

#include <windows.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kip {

// Applied to each message before it is translated and dispatched; returns
// true when it has handled the message (the window's keyboard handling:
// accelerators, dialog navigation). Whoever waits knows whether a window of
// its own is up and passes it; nullptr handles every message plainly.
using MessageFilter = bool (*)(MSG& message);

// Handles every message waiting in this thread's queue. Returns false when
// a WM_QUIT was met: it is posted again for the main loop to see, and the
// remaining messages are left alone.
bool ProcessPendingMessages(MessageFilter filter = nullptr);

// Waits until one of the handles is signalled or `timeoutMs` (INFINITE
// allowed) has passed, handling window messages meanwhile, without polling.
// Returns the index of the signalled handle, or -1 when the time is up. At
// most MAXIMUM_WAIT_OBJECTS - 1 handles.
int WaitWithMessages(std::span<const HANDLE> handles, DWORD timeoutMs, MessageFilter filter = nullptr);

// Returns once the given minutes (fractions allowed) have passed.
void WaitMinutes(double minutes);
// Waits seconds * 100 rounds of 10 ms (the count cut to a whole number);
// returns at once when that count is 0 or less.
void WaitSeconds(double seconds, MessageFilter filter = nullptr);

// The programs of Windows this program starts (net, netsh, arp, nbtstat,
// ipconfig, notepad) are named by bare name in their command lines, but
// are started from the system folder, never found by the search order:
// that would take a program of the same name from this program's folder or
// the current directory first, and this program runs with administrator
// rights. Every runner below does this; the command line itself is passed
// on unchanged.
//
// Test machines point the environment variable KIP_SYSTEM_DIR at a folder
// of recording stand-ins instead (a full path; a relative one is ignored).
// It counts under Wine and in a process without administrator rights; an
// elevated process on Windows ignores it, as it would be the same door by
// another name.
inline constexpr wchar_t kSystemFolderOverride[] = L"KIP_SYSTEM_DIR";

// The folder the programs of Windows are started from, with a trailing "\";
// empty when Windows does not tell it.
std::wstring SystemProgramFolder();

// The executable CreateProcessW is given for a command line: nothing when
// the command line names its program by a path (a folder, a drive), which
// is then taken from the command line as it is; for a bare name, that name
// in SystemProgramFolder(), ".exe" added when it has no extension (empty
// when the folder is unknown: such a command does not start).
std::optional<std::wstring> ExecutableFor(std::wstring_view commandLine);

// Asks the shell to open the file with its associated program, in the file's
// folder. The result is not checked.
void OpenDocument(const std::wstring& file, const std::wstring& parameters);

// Starts the command line shown normally in the program's current directory
// and returns at once. False when it could not be started.
bool RunCommand(const std::wstring& commandLine);

// Starts the command line in the program's folder with the given show
// command and waits until it has ended. Returns false at once when it could
// not be started.
bool RunCommandAndWait(const std::wstring& commandLine, int showCommand, MessageFilter filter = nullptr);

// What became of a captured run.
struct CapturedRun {
  bool started = false;   // the command ran (and has ended)
  bool captured = false;  // its output went through our pipes
  DWORD error = 0;        // why it could not be started
  DWORD captureError = 0; // why its output could not be captured
  bool timedOut = false;  // it ran past its time limit and was ended
  explicit operator bool() const { return started; }
};

// Runs the command line hidden, with an empty standard input, and waits
// until it has ended. When `outputFile` is not empty, everything the
// process writes to standard output goes into that file (created or
// truncated); otherwise it is thrown away, and so is standard error,
// always. When the file or the handles cannot be opened the command still
// runs, hidden and uncaptured (no file), and the result says so. A command
// still running after `timeLimitMs` is ended (TerminateProcess) and the
// result says so too.
CapturedRun RunCommandCaptured(const std::wstring& commandLine, const std::wstring& outputFile,
                               DWORD timeLimitMs = INFINITE, MessageFilter filter = nullptr);

}  // namespace kip
