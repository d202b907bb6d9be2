// The cost of running a child with its output captured (standard output
// handed to the file, the waits handling the window's messages) against a
// bare start-and-wait of the same child.
#include <string>
#include <vector>

#include "Bench.h"
#include "util/Files.h"
#include "util/Process.h"
#include "util/UniqueHandle.h"

namespace {

void CompareCaptured(kip::bench::Reporter& report, const std::wstring& name, const std::wstring& commandLine) {
  const std::wstring output = kip::GetTempFolder() + L"kip-bench-capture.txt";
  auto [captured, bare] = kip::bench::MedianPair(
      report.options().runs, [&] { kip::RunCommandCaptured(commandLine, output); },
      [&] { kip::bench::RunBare(commandLine); });
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
