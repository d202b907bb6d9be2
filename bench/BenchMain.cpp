// kip_bench [--runs=N] [name-part ...]: runs every registered benchmark (or
// those whose name contains one of the given parts) and prints its ratios.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>

#include "Bench.h"
#include "util/UniqueHandle.h"

namespace kip::bench {

std::vector<Benchmark>& Registry() {
  static std::vector<Benchmark> benchmarks;
  return benchmarks;
}

void Reporter::Ratio(const std::wstring& name, const std::wstring& labelA, double medianA,
                     const std::wstring& labelB, double medianB) {
  std::wprintf(L"%ls: ratio %.2f (%ls median %.1f ms, %ls median %.1f ms, %d runs each, interleaved)\n",
               name.c_str(), medianB > 0 ? medianA / medianB : 0.0, labelA.c_str(), medianA, labelB.c_str(),
               medianB, options_.runs);
  std::fflush(stdout);
}

void Reporter::Note(const std::wstring& text) {
  std::wprintf(L"  %ls\n", text.c_str());
  std::fflush(stdout);
}

double TimeMs(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::pair<double, double> MedianPair(int runs, const std::function<void()>& a, const std::function<void()>& b) {
  a();  // warm both paths up (first start of a program is slower)
  b();
  std::vector<double> timesA, timesB;
  for (int i = 0; i < runs; ++i) {
    timesA.push_back(TimeMs(a));
    timesB.push_back(TimeMs(b));
  }
  return {Median(timesA), Median(timesB)};
}

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

}  // namespace kip::bench

int wmain(int argc, wchar_t** argv) {
  using namespace kip::bench;
  Options options;
  std::vector<std::wstring> filters;
  for (int i = 1; i < argc; ++i) {
    std::wstring arg = argv[i];
    if (arg.rfind(L"--runs=", 0) == 0) {
      options.runs = std::max(1, static_cast<int>(std::wcstol(arg.c_str() + 7, nullptr, 10)));
    } else {
      filters.push_back(arg);
    }
  }
  Reporter reporter(options);
  int ran = 0;
  for (const Benchmark& benchmark : Registry()) {
    const bool wanted = filters.empty() || std::any_of(filters.begin(), filters.end(), [&](const std::wstring& f) {
                          return benchmark.name.find(f) != std::wstring::npos;
                        });
    if (!wanted) continue;
    benchmark.run(reporter);
    ++ran;
  }
  if (ran == 0) {
    std::fwprintf(stderr, L"no benchmark matched\n");
    return 1;
  }
  return 0;
}
