#include "util/Process.h"

#include <objbase.h>

#include <shellapi.h>

#include <atomic>
#include <cmath>
#include <string>
#include <vector>

#include "util/Files.h"
#include "util/UniqueHandle.h"
#include "util/WindowsVersion.h"
#include "util/kRegistry.h"

namespace kip {

namespace {

thread_local MessageFilter tMessageFilter = nullptr;

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
void WaitMilliseconds(ULONGLONG ms) {
  ULONGLONG deadline = GetTickCount64() + ms;
  while (GetTickCount64() < deadline) WaitWithMessages({}, Remaining(deadline));
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

std::wstring UnpredictablePipeName() {
  GUID guid{};
  if (FAILED(CoCreateGuid(&guid))) return {};
  wchar_t text[64] = {};
  if (StringFromGUID2(guid, text, static_cast<int>(std::size(text))) == 0) return {};
  return std::wstring(L"\\\\.\\pipe\\kip-capture-") + text;
}

// The parent's end of one output pipe of a child, read with overlapped I/O
// so that both pipes and the process can be waited for at once on this
// thread. Named pipes are used because anonymous ones cannot be overlapped.
class PipeReader {
 public:
  explicit PipeReader(bool keepData) : keepData_(keepData) {}
  PipeReader(const PipeReader&) = delete;
  PipeReader& operator=(const PipeReader&) = delete;
  ~PipeReader() { CancelPending(); }

  // Creates the pipe; `childEnd` receives the inheritable write end. The
  // name is a fresh GUID and the pipe must be its first instance, so no
  // other program can have prepared or taken it; the one instance is
  // connected to our own client at once.
  bool Create(UniqueKernelHandle& childEnd) {
    event_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event_) return false;
    std::wstring name = UnpredictablePipeName();
    if (name.empty()) return false;
    server_.reset(CreateNamedPipeW(name.c_str(),
                                   PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                   PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1,
                                   0, kBufferSize, 0, nullptr));
    if (!server_) return false;
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    childEnd.reset(
        CreateFileW(name.c_str(), GENERIC_WRITE, 0, &inheritable, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (childEnd.get() == INVALID_HANDLE_VALUE) {
      childEnd.release();
      server_.reset();
      return false;
    }
    return true;
  }

  // Issues the next read; a pipe whose writers are all closed is at its end.
  void Issue() {
    overlapped_ = OVERLAPPED{};
    overlapped_.hEvent = event_.get();
    if (ReadFile(server_.get(), buffer_, kBufferSize, nullptr, &overlapped_) ||
        GetLastError() == ERROR_IO_PENDING) {
      pending_ = true;
    } else {
      ended_ = true;
    }
  }

  // Called when the event is signalled: takes the data and reads on.
  void Complete() {
    pending_ = false;
    DWORD got = 0;
    if (!GetOverlappedResult(server_.get(), &overlapped_, &got, FALSE)) {
      ended_ = true;  // ERROR_BROKEN_PIPE: every writer has closed its end
      return;
    }
    if (keepData_) data_.append(buffer_, got);
    Issue();
  }

  bool ended() const { return ended_; }
  HANDLE event() const { return event_.get(); }
  const std::string& data() const { return data_; }

 private:
  static constexpr DWORD kBufferSize = 8192;

  // The buffer and OVERLAPPED must outlive any read in flight.
  void CancelPending() {
    if (!pending_) return;
    CancelIoEx(server_.get(), &overlapped_);
    DWORD got = 0;
    GetOverlappedResult(server_.get(), &overlapped_, &got, TRUE);
    pending_ = false;
  }

  bool keepData_;
  UniqueFileHandle server_;
  UniqueKernelHandle event_;
  OVERLAPPED overlapped_{};
  char buffer_[kBufferSize];
  bool pending_ = false;
  bool ended_ = false;
  std::string data_;
};

// After the child has ended, its output pipes normally report their end at
// once. A grandchild that inherited them could keep them open; stop waiting
// when nothing has come for this long.
constexpr DWORD kDrainAfterExitMs = 1000;

}  // namespace

void SetMessageFilter(MessageFilter filter) { tMessageFilter = filter; }

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

bool ProcessPendingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    if (tMessageFilter && tMessageFilter(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return true;
}

int WaitWithMessages(std::span<const HANDLE> handles, DWORD timeoutMs) {
  const DWORD count = static_cast<DWORD>(handles.size());
  const ULONGLONG deadline = DeadlineAfter(timeoutMs);
  for (;;) {
    DWORD result;
    if (ProcessPendingMessages()) {
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
  WaitMilliseconds(static_cast<ULONGLONG>(minutes * 60000.0));
}

void WaitSeconds(double seconds) {
  double rounds = std::trunc(seconds * 100.0);
  if (!(rounds > 0)) return;
  // The rounds of 10 ms run as one deadline: the same length and the same
  // message handling, without the drift of many short sleeps.
  WaitMilliseconds(static_cast<ULONGLONG>(rounds) * 10);
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

bool RunCommandAndWait(const std::wstring& commandLine, int showCommand) {
  STARTUPINFOW startup = ShownStartup(showCommand);
  ProcessInfo process = StartProcess(commandLine, startup, false, NORMAL_PRIORITY_CLASS, ProgramFolder());
  if (!process) return false;
  const HANDLE handle = process.process();
  WaitWithMessages({&handle, 1}, INFINITE);
  return true;
}

namespace {

// Runs hidden and waits, without any standard handles of ours.
CapturedRun RunUncaptured(const std::wstring& commandLine) {
  CapturedRun run;
  STARTUPINFOW startup = ShownStartup(SW_HIDE);
  ProcessInfo process = StartProcess(commandLine, startup, false, CREATE_NO_WINDOW, {});
  if (!process) {
    run.error = GetLastError();
    return run;
  }
  run.started = true;
  const HANDLE handle = process.process();
  WaitWithMessages({&handle, 1}, INFINITE);
  return run;
}

}  // namespace

CapturedRun RunCommandCaptured(const std::wstring& commandLine, const std::wstring& outputFile) {
  // Standard input: a pipe whose writing end is closed before the child
  // starts, so the child reads an empty input.
  UniqueKernelHandle inputRead;
  PipeReader output(!outputFile.empty());
  PipeReader error(false);
  UniqueKernelHandle outputWrite, errorWrite;
  {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    bool piped = CreatePipe(&read, &write, &inheritable, 8192) != FALSE;
    if (piped) {
      inputRead.reset(read);
      CloseHandle(write);
    }
    // Without pipes the command still runs: a commit must not skip it.
    if (!piped || !output.Create(outputWrite) || !error.Create(errorWrite)) {
      CapturedRun run = RunUncaptured(commandLine);
      run.captureError = GetLastError();
      return run;
    }
  }

  STARTUPINFOW startup = ShownStartup(SW_HIDE);
  startup.dwFlags |= STARTF_USESTDHANDLES;
  startup.hStdInput = inputRead.get();
  startup.hStdOutput = outputWrite.get();
  startup.hStdError = errorWrite.get();
  ProcessInfo process =
      StartProcess(commandLine, startup, true, CREATE_NO_WINDOW | DETACHED_PROCESS, {});
  CapturedRun run;
  if (!process) run.error = GetLastError();
  // Our copies of the child's ends must go, or the pipes never report
  // their end.
  inputRead.reset();
  outputWrite.reset();
  errorWrite.reset();
  if (!process) {
    SetLastError(run.error);  // as after any failed start
    return run;
  }
  run.started = true;
  run.captured = true;

  output.Issue();
  error.Issue();
  bool running = true;
  while (running || !output.ended() || !error.ended()) {
    HANDLE handles[3];
    PipeReader* readers[3] = {};
    DWORD count = 0;
    if (running) handles[count++] = process.process();
    for (PipeReader* reader : {&output, &error}) {
      if (reader->ended()) continue;
      readers[count] = reader;
      handles[count++] = reader->event();
    }
    int signalled = WaitWithMessages({handles, count}, running ? INFINITE : kDrainAfterExitMs);
    if (signalled < 0) break;
    if (readers[signalled]) {
      readers[signalled]->Complete();
    } else {
      running = false;
    }
  }
  if (!outputFile.empty()) WriteWholeFile(outputFile, output.data());
  return run;
}

}  // namespace kip
