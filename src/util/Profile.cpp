#include "util/Profile.h"

#include <cstdio>
#include <string>

namespace kip {

namespace {

const std::wstring& ProfileFile() {
  static const std::wstring file = [] {
    wchar_t buffer[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableW(L"KIP_PROFILE", buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
  }();
  return file;
}

double Milliseconds(LONGLONG ticks) {
  LARGE_INTEGER frequency{};
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

double SinceProcessStart() {
  FILETIME created{}, exited{}, kernel{}, user{}, now{};
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER a{{created.dwLowDateTime, created.dwHighDateTime}}, b{{now.dwLowDateTime, now.dwHighDateTime}};
  return static_cast<double>(b.QuadPart - a.QuadPart) / 10000.0;
}

}  // namespace

ProfileScope::ProfileScope(const char* name) : name_(name) {
  if (!ProfileFile().empty()) QueryPerformanceCounter(&start_);
}

ProfileScope::~ProfileScope() {
  if (ProfileFile().empty()) return;
  LARGE_INTEGER end{};
  QueryPerformanceCounter(&end);
  FILE* file = _wfopen(ProfileFile().c_str(), L"a");
  if (!file) return;
  std::fprintf(file, "%.1f\t%.1f\t%s\n", SinceProcessStart(), Milliseconds(end.QuadPart - start_.QuadPart), name_);
  std::fclose(file);
}

}  // namespace kip
