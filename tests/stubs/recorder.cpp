// Recording stand-in for netsh, net, arp, nbtstat, ipconfig and notepad.
//
// Appends one record per run to the file named by KIP_STUB_LOG:
//   "<program name>\t<command line>\n"   (UTF-8)
// and, for "netsh exec FILE", the script's bytes framed by
//   "--- script ---\n" ... "\n--- end ---\n".
// Then writes a line to standard output and one to standard error and exits.
//
// Knobs for tests of the process runners:
//   KIP_STUB_STDOUT_BYTES  extra bytes of output ('o', in lines of 64)
//   KIP_STUB_STDERR_BYTES  extra bytes on standard error ('e')
//   KIP_STUB_SLEEP_MS      sleep before exiting
//   KIP_STUB_EXIT_CODE     exit code (default 0)
//   KIP_STUB_HANG_ONCE     a program name: its first run (marked by the file
//                          KIP_STUB_LOG + ".hung") sleeps KIP_STUB_HANG_MS
//                          after its record, as a child that never ends
// and, for netsh, a machine that really changes:
//   KIP_STUB_APPLY_SCRIPT  1: "netsh exec FILE" writes what the script sets
//                          into the interface keys (script_applier.cpp)
//   KIP_STUB_IGNORE_DNS    1: ... except its DNS lines
//   KIP_STUB_APPLY_IPV6    1: ... and its IPv6 addresses onto the Linux
//                          interfaces (set only inside a private namespace)
// and, when the file netsh-grammar.txt lies beside the stand-in (the
// end-to-end runs put it there), a netsh that refuses what netsh refuses:
// its command line and every line of a script it is given are checked
// against that grammar (netsh_grammar.cpp). A refused line is logged as
//   "refused: <line number>: <line> -- <why>\n"
// and answered as netsh answers it ("The following command was not found:
// <line>." for an unknown command, its syntax message otherwise); the lines
// after it are not applied (whether netsh exec goes on after a failed line
// is not documented: this takes the harsher reading) and the exit code is 1.
#include <windows.h>

#include "netsh_grammar.h"
#include "script_applier.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

std::wstring Env(const wchar_t* name) {
  wchar_t buffer[32768];
  DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
  if (n == 0 || n >= 32768) return {};
  return std::wstring(buffer, n);
}

long EnvNumber(const wchar_t* name) {
  std::wstring text = Env(name);
  return text.empty() ? 0 : std::wcstol(text.c_str(), nullptr, 10);
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), nullptr, 0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), out.data(), n, nullptr, nullptr);
  return out;
}

std::string ReadWholeFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<unreadable>";
  std::string data;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) data.append(chunk, got);
  CloseHandle(file);
  return data;
}

std::wstring ProgramName() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring full(path, n);
  size_t slash = full.find_last_of(L"\\/");
  std::wstring name = slash == std::wstring::npos ? full : full.substr(slash + 1);
  size_t dot = name.rfind(L'.');
  return dot == std::wstring::npos ? name : name.substr(0, dot);
}

void AppendToLog(const std::string& record) {
  std::wstring log = Env(L"KIP_STUB_LOG");
  if (log.empty()) return;
  // Several stand-ins may run one after another; open, append, close each time.
  for (int attempt = 0; attempt < 50; ++attempt) {
    HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(file, record.data(), (DWORD)record.size(), &written, nullptr);
      CloseHandle(file);
      return;
    }
    Sleep(20);
  }
}

void WriteFiller(HANDLE target, char fill, long bytes) {
  std::string line(63, fill);
  line += '\n';
  while (bytes > 0) {
    DWORD chunk = (DWORD)std::min<long>(bytes, (long)line.size());
    DWORD written = 0;
    if (!WriteFile(target, line.data(), chunk, &written, nullptr)) return;
    bytes -= chunk;
  }
}

void WriteText(HANDLE target, const std::string& text) {
  DWORD written = 0;
  WriteFile(target, text.data(), (DWORD)text.size(), &written, nullptr);
}

std::wstring FromCodePage(UINT codePage, const std::string& bytes) {
  const int n = MultiByteToWideChar(codePage, 0, bytes.data(), (int)bytes.size(), nullptr, 0);
  std::wstring text(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), (int)bytes.size(), text.data(), n);
  return text;
}

std::string ToAnsi(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), (int)text.size(), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), (int)text.size(), out.data(), n, nullptr, nullptr);
  return out;
}

// The grammar beside the stand-in, when there is one.
std::optional<netsh::Grammar> GrammarBesideProgram() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring file(path, n);
  file = file.substr(0, file.find_last_of(L"\\/") + 1) + L"netsh-grammar.txt";
  if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return netsh::ParseGrammar(FromCodePage(CP_UTF8, ReadWholeFile(file)), nullptr);
}

// The command line after the program's own name (quotes kept).
std::wstring Arguments() {
  const std::wstring line = GetCommandLineW();
  size_t i = 0;
  if (!line.empty() && line[0] == L'"') {
    i = line.find(L'"', 1);
    i = i == std::wstring::npos ? line.size() : i + 1;
  }
  while (i < line.size() && line[i] != L' ' && line[i] != L'\t') ++i;
  return line.substr(std::min(i + 1, line.size()));
}

// What the grammar refused, as netsh says it and as the log records it.
struct Refused {
  std::string output, record;
};

void NoteRefusal(Refused& refused, const netsh::Refusal& refusal) {
  refused.output += refusal.verdict.commandNotFound
                        ? "The following command was not found: " + Utf8(refusal.line) + ".\r\n"
                        : "The syntax supplied for this command is not valid. Check help for the correct syntax.\r\n";
  refused.record += "refused: " + std::to_string(refusal.lineNumber) + ": " + Utf8(refusal.line) + " -- " +
                    Utf8(refusal.verdict.reason) + "\n";
}

}  // namespace

// Reads standard input to its end; the number of bytes read.
size_t DrainStandardInput() {
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  size_t total = 0;
  char chunk[4096];
  DWORD got = 0;
  while (in != nullptr && in != INVALID_HANDLE_VALUE && ReadFile(in, chunk, sizeof chunk, &got, nullptr) && got > 0) {
    total += got;
  }
  return total;
}

int wmain(int argc, wchar_t** argv) {
  std::wstring name = ProgramName();
  std::string record = Utf8(name) + "\t" + Utf8(GetCommandLineW()) + "\n";
  if (EnvNumber(L"KIP_STUB_READ_STDIN") != 0) record += "stdin: " + std::to_string(DrainStandardInput()) + " bytes\n";
  const bool isNetsh = _wcsicmp(name.c_str(), L"netsh") == 0;
  const std::optional<netsh::Grammar> grammar = isNetsh ? GrammarBesideProgram() : std::nullopt;
  Refused refused;
  if (grammar) {
    const netsh::Verdict verdict = netsh::CheckCommandLine(*grammar, Arguments());
    if (!verdict.accepted) NoteRefusal(refused, {0, Arguments(), verdict});
  }
  if (argc >= 3 && isNetsh && _wcsicmp(argv[1], L"exec") == 0) {
    std::string script = ReadWholeFile(argv[2]);
    record += "--- script ---\n" + script + "\n--- end ---\n";
    if (grammar) {
      const std::wstring text = FromCodePage(CP_ACP, script);
      const std::vector<netsh::Refusal> refusals = netsh::CheckScript(*grammar, text);
      if (!refusals.empty()) {
        NoteRefusal(refused, refusals.front());
        // What netsh ran: the lines before the refused one.
        size_t end = 0;
        for (size_t line = 1; line < refusals.front().lineNumber && end != std::wstring::npos; ++line) {
          end = text.find(L'\n', end);
          if (end != std::wstring::npos) ++end;
        }
        script = ToAnsi(text.substr(0, std::min(end, text.size())));
      }
    }
    if (EnvNumber(L"KIP_STUB_APPLY_SCRIPT") != 0) {
      record += Utf8(
          ApplyNetshScript(script, EnvNumber(L"KIP_STUB_IGNORE_DNS") != 0, EnvNumber(L"KIP_STUB_APPLY_IPV6") != 0));
    }
  }
  record += refused.record;
  AppendToLog(record);

  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  WriteText(out, refused.output.empty() ? "stub " + Utf8(name) + ": ok\r\n" : refused.output);
  WriteFiller(err, 'e', EnvNumber(L"KIP_STUB_STDERR_BYTES"));
  WriteText(err, "stub " + Utf8(name) + ": stderr\r\n");
  WriteFiller(out, 'o', EnvNumber(L"KIP_STUB_STDOUT_BYTES"));
  WriteText(out, "stub " + Utf8(name) + ": last line\r\n");

  if (_wcsicmp(Env(L"KIP_STUB_HANG_ONCE").c_str(), name.c_str()) == 0 && !Env(L"KIP_STUB_LOG").empty()) {
    const std::wstring marker = Env(L"KIP_STUB_LOG") + L".hung";
    HANDLE mark = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (mark != INVALID_HANDLE_VALUE) {
      CloseHandle(mark);
      Sleep((DWORD)EnvNumber(L"KIP_STUB_HANG_MS"));
    }
  }
  long sleep = EnvNumber(L"KIP_STUB_SLEEP_MS");
  if (sleep > 0) Sleep((DWORD)sleep);
  return refused.output.empty() ? (int)EnvNumber(L"KIP_STUB_EXIT_CODE") : 1;
}
