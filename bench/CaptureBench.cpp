// The cost of running a child with its output captured (pipes drained while
// the window's messages are handled, output written to a file) against a
// bare start-and-wait of the same child.
#include <string>
#include <vector>

#include "Bench.h"
#include "util/Files.h"
#include "util/Process.h"
#include "util/UniqueHandle.h"

namespace {

// The same child started the same way (no console, standard handles
// given), but writing to the NUL device and nobody reading: what the child
// costs by itself.
void RunBare(const std::wstring& commandLine) {
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(L'\0');
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  kip::UniqueFileHandle nul(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        &inheritable, OPEN_EXISTING, 0, nullptr));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = startup.hStdOutput = startup.hStdError = nul.get();
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW | DETACHED_PROCESS, nullptr,
                      nullptr, &startup, &info)) {
    return;
  }
  kip::ProcessInfo process(info);
  WaitForSingleObject(process.process(), INFINITE);
}

void CompareCaptured(kip::bench::Reporter& report, const std::wstring& name, const std::wstring& commandLine) {
  const std::wstring output = kip::GetTempFolder() + L"kip-bench-capture.txt";
  auto [captured, bare] = kip::bench::MedianPair(
      report.options().runs, [&] { kip::RunCommandCaptured(commandLine, output); },
      [&] { RunBare(commandLine); });
  report.Ratio(name, L"captured", captured, L"bare", bare);
  report.Note(L"captured file: " + std::to_wstring(kip::ReadWholeFile(output).size()) + L" bytes");
  DeleteFileW(output.c_str());
}

// Makes the stand-in write `bytes` extra bytes of output for one benchmark.
class StandInOutput {
 public:
  explicit StandInOutput(const wchar_t* bytes) { SetEnvironmentVariableW(L"KIP_STUB_STDOUT_BYTES", bytes); }
  ~StandInOutput() { SetEnvironmentVariableW(L"KIP_STUB_STDOUT_BYTES", nullptr); }
};

}  // namespace

KIP_BENCHMARK(capture_ipconfig) {
  SetEnvironmentVariableW(L"KIP_STUB_LOG", nullptr);
  CompareCaptured(report, L"capture_ipconfig", L"ipconfig /flushdns");
}

KIP_BENCHMARK(capture_ipconfig_200k) {
  SetEnvironmentVariableW(L"KIP_STUB_LOG", nullptr);
  StandInOutput big(L"200000");
  CompareCaptured(report, L"capture_ipconfig_200k", L"ipconfig /all");
}
