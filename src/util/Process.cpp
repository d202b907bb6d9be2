#include "util/Process.h"

#include <shellapi.h>

#include <cmath>
#include <string>
#include <vector>

#include "util/Files.h"
#include "util/UniqueHandle.h"
#include "util/WindowsVersion.h"
#include "util/kRegistry.h"

namespace kip {

namespace {

// Milliseconds left until `deadline` (a GetTickCount64 value), or INFINITE.
DWORD Remaining(ULONGLONG deadline) {
  if (deadline == ~0ULL) return INFINITE;
  ULONGLONG now = GetTickCount64();
  if (now >= deadline) return 0;
  ULONGLONG left = deadline - now;
  return left >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(left);
}

ULONGLONG DeadlineAfter(DWORD timeoutMs) {
  return timeoutMs == INFINITE ? ~0ULL : GetTickCount64() + timeoutMs;
}

// Waits until `ms` milliseconds have passed, handling messages.
void WaitMilliseconds(ULONGLONG ms, MessageFilter filter) {
  ULONGLONG deadline = GetTickCount64() + ms;
  while (GetTickCount64() < deadline) WaitWithMessages({}, Remaining(deadline), filter);
}

// True when the process runs with administrator rights; a token that cannot
// be asked counts as elevated.
bool ProcessIsElevated() {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return true;
  UniqueKernelHandle token(raw);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  if (!GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size)) return true;
  return elevation.TokenIsElevated != 0;
}

// "X:\..." or "\\server\...": a folder that does not depend on the current
// directory.
bool IsAbsoluteFolder(std::wstring_view path) {
  if (path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) return true;
  return path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\';
}

// The program part of a command line as CreateProcessW reads it: up to the
// closing quote when it starts with one, otherwise up to the first blank.
std::wstring_view ProgramPart(std::wstring_view commandLine) {
  if (!commandLine.empty() && commandLine[0] == L'"') {
    commandLine.remove_prefix(1);
    return commandLine.substr(0, commandLine.find(L'"'));
  }
  return commandLine.substr(0, commandLine.find_first_of(L" \t"));
}

// CreateProcessW may write into the command line, so it needs its own copy.
ProcessInfo StartProcess(const std::wstring& commandLine, STARTUPINFOW& startup, bool inheritHandles,
                         DWORD flags, const std::wstring& folder) {
  const std::optional<std::wstring> executable = ExecutableFor(commandLine);
  if (executable && executable->empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return {};
  }
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(L'\0');
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(executable ? executable->c_str() : nullptr, line.data(), nullptr, nullptr, inheritHandles,
                      flags, nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
    return {};
  }
  return ProcessInfo(info);
}

STARTUPINFOW ShownStartup(int showCommand) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showCommand);
  return startup;
}

}  // namespace

std::wstring SystemProgramFolder() {
  const std::wstring override = GetEnvironmentText(kSystemFolderOverride);
  if (IsAbsoluteFolder(override) && (RunningOnWine() || !ProcessIsElevated())) {
    return IncludeTrailingBackslash(override);
  }
  return GetSystemFolder();
}

std::optional<std::wstring> ExecutableFor(std::wstring_view commandLine) {
  const std::wstring_view program = ProgramPart(commandLine);
  if (program.empty() || program.find_first_of(L"\\/:") != std::wstring_view::npos) return std::nullopt;
  const std::wstring folder = SystemProgramFolder();
  if (folder.empty()) return std::wstring();
  const bool hasExtension = program.find(L'.') != std::wstring_view::npos;
  return folder + std::wstring(program) + (hasExtension ? L"" : L".exe");
}

bool ProcessPendingMessages(MessageFilter filter) {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    if (filter && filter(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return true;
}

int WaitWithMessages(std::span<const HANDLE> handles, DWORD timeoutMs, MessageFilter filter) {
  const DWORD count = static_cast<DWORD>(handles.size());
  const ULONGLONG deadline = DeadlineAfter(timeoutMs);
  for (;;) {
    DWORD result;
    if (ProcessPendingMessages(filter)) {
      result = MsgWaitForMultipleObjectsEx(count, handles.data(), Remaining(deadline), QS_ALLINPUT,
                                           MWMO_INPUTAVAILABLE);
    } else if (count > 0) {
      // The program is quitting: the posted WM_QUIT would wake a message
      // wait at once, so wait for the handles alone.
      result = WaitForMultipleObjects(count, handles.data(), FALSE, Remaining(deadline));
    } else {
      // Nothing can end a wait for no handle without messages but the time.
      if (deadline == ~0ULL) return -1;
      Sleep(Remaining(deadline));
      result = WAIT_TIMEOUT;
    }
    if (result < WAIT_OBJECT_0 + count) return static_cast<int>(result - WAIT_OBJECT_0);
    if (result == WAIT_OBJECT_0 + count) continue;  // messages arrived
    if (result >= WAIT_ABANDONED_0 && result < WAIT_ABANDONED_0 + count) {
      return static_cast<int>(result - WAIT_ABANDONED_0);
    }
    if (result == WAIT_TIMEOUT || result == WAIT_FAILED) return -1;
  }
}

void WaitMinutes(double minutes) {
  if (!(minutes > 0)) return;
  WaitMilliseconds(static_cast<ULONGLONG>(minutes * 60000.0), nullptr);
}

void WaitSeconds(double seconds, MessageFilter filter) {
  double rounds = std::trunc(seconds * 100.0);
  if (!(rounds > 0)) return;
  // The rounds of 10 ms run as one deadline: the same length and the same
  // message handling, without the drift of many short sleeps.
  WaitMilliseconds(static_cast<ULONGLONG>(rounds) * 10, filter);
}

void OpenDocument(const std::wstring& file, const std::wstring& parameters) {
  std::wstring folder = ExtractFilePath(file);
  ShellExecuteW(nullptr, L"open", file.c_str(), parameters.empty() ? nullptr : parameters.c_str(),
                folder.empty() ? nullptr : folder.c_str(), SW_SHOW);
}

bool RunCommand(const std::wstring& commandLine) {
  STARTUPINFOW startup = ShownStartup(SW_SHOWNORMAL);
  return static_cast<bool>(StartProcess(commandLine, startup, false, NORMAL_PRIORITY_CLASS, {}));
}

bool RunCommandAndWait(const std::wstring& commandLine, int showCommand, MessageFilter filter) {
  STARTUPINFOW startup = ShownStartup(showCommand);
  ProcessInfo process = StartProcess(commandLine, startup, false, NORMAL_PRIORITY_CLASS, ProgramFolder());
  if (!process) return false;
  const HANDLE handle = process.process();
  WaitWithMessages({&handle, 1}, INFINITE, filter);
  return true;
}

namespace {

// Waits for the process, handling messages, at most `limitMs`; one still
// running then is ended. True when it had to be ended.
bool AwaitOrEnd(HANDLE process, DWORD limitMs, MessageFilter filter) {
  if (WaitWithMessages({&process, 1}, limitMs, filter) == 0) return false;
  TerminateProcess(process, ERROR_TIMEOUT);
  // Ending is asynchronous: the process may still hold its files a moment.
  WaitForSingleObject(process, 5000);
  return true;
}

// Runs hidden and waits, without any standard handles of ours.
CapturedRun RunUncaptured(const std::wstring& commandLine, DWORD timeLimitMs, MessageFilter filter) {
  CapturedRun run;
  STARTUPINFOW startup = ShownStartup(SW_HIDE);
  ProcessInfo process = StartProcess(commandLine, startup, false, CREATE_NO_WINDOW, {});
  if (!process) {
    run.error = GetLastError();
    return run;
  }
  run.started = true;
  run.timedOut = AwaitOrEnd(process.process(), timeLimitMs, filter);
  return run;
}

}  // namespace

CapturedRun RunCommandCaptured(const std::wstring& commandLine, const std::wstring& outputFile, DWORD timeLimitMs,
                               MessageFilter filter) {
  // Standard input empty, standard error thrown away, standard output into
  // the file (or thrown away too): the NUL device and the file itself handed
  // to the child, as a shell's redirection does. Nothing is left to drain,
  // so a run costs what a bare start of the child costs. The file is only
  // emptied once the child has started (suspended, before it can write): a
  // command that cannot start leaves it as it was.
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  UniqueFileHandle nul(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   &inheritable, OPEN_EXISTING, 0, nullptr));
  UniqueFileHandle output;
  bool created = false;
  if (!outputFile.empty()) {
    output.reset(CreateFileW(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    created = output && GetLastError() != ERROR_ALREADY_EXISTS;
  }
  // Without them the command still runs: a commit must not skip it.
  if (!nul || (!outputFile.empty() && !output)) {
    const DWORD captureError = GetLastError();
    CapturedRun run = RunUncaptured(commandLine, timeLimitMs, filter);
    run.captureError = captureError;
    return run;
  }

  STARTUPINFOW startup = ShownStartup(SW_HIDE);
  startup.dwFlags |= STARTF_USESTDHANDLES;
  startup.hStdInput = nul.get();
  startup.hStdOutput = output ? output.get() : nul.get();
  startup.hStdError = nul.get();
  ProcessInfo process =
      StartProcess(commandLine, startup, true, CREATE_NO_WINDOW | DETACHED_PROCESS | CREATE_SUSPENDED, {});
  CapturedRun run;
  if (!process) {
    run.error = GetLastError();
    output.reset();
    if (created) DeleteFileW(outputFile.c_str());
    SetLastError(run.error);  // as after any failed start
    return run;
  }
  if (output) SetEndOfFile(output.get());  // at its start: the former content goes
  output.reset();
  nul.reset();
  ResumeThread(process.thread());
  run.started = true;
  run.captured = true;
  run.timedOut = AwaitOrEnd(process.process(), timeLimitMs, filter);
  return run;
}

}  // namespace kip
