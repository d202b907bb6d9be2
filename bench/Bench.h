// A tiny benchmark harness: each benchmark registers itself under a name and
// reports ratios measured within one run, never absolute targets.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace kip::bench {

struct Options {
  int runs = 20;  // measurements per side
};

class Reporter {
 public:
  explicit Reporter(const Options& options) : options_(options) {}
  const Options& options() const { return options_; }
  // Prints "name: ratio R (label A median a ms, label B median b ms, n runs each)".
  void Ratio(const std::wstring& name, const std::wstring& labelA, double medianA, const std::wstring& labelB,
             double medianB);
  void Note(const std::wstring& text);

 private:
  const Options& options_;
};

using BenchFunction = void (*)(Reporter&);

struct Benchmark {
  std::wstring name;
  BenchFunction run;
};

std::vector<Benchmark>& Registry();

struct Registration {
  Registration(const wchar_t* name, BenchFunction run) { Registry().push_back({name, run}); }
};

// Milliseconds one call of `work` takes.
double TimeMs(const std::function<void()>& work);
double Median(std::vector<double> values);

// Measures `a` and `b` alternately `runs` times each (so drift of the
// machine affects both alike) and returns their medians.
std::pair<double, double> MedianPair(int runs, const std::function<void()>& a, const std::function<void()>& b);

// Starts the command line as the program starts its hidden children (no
// window, standard handles on the NUL device, nobody reading) and waits
// until it has ended: what a child costs by itself.
void RunBare(const std::wstring& commandLine);


}  // namespace kip::bench

#define KIP_BENCHMARK(id)                                                          \
  static void id(kip::bench::Reporter& report);                                    \
  static const kip::bench::Registration id##_registration(L## #id, &id);            \
  static void id(kip::bench::Reporter& report)
