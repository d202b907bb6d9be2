#include "util/Profile.h"

#include <cstdio>

namespace kip {

namespace {

// The profile file, opened once on first use and kept open for the run:
// opening a file for each line costs milliseconds under Wine, which would
// show up in the phases being measured. Null when profiling is off.
class ProfileFile {
 public:
  static FILE* Get() {
    static ProfileFile file;
    return file.file_;
  }
  ProfileFile(const ProfileFile&) = delete;
  ProfileFile& operator=(const ProfileFile&) = delete;

 private:
  ProfileFile() {
    wchar_t buffer[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableW(L"KIP_PROFILE", buffer, MAX_PATH);
    if (length > 0 && length < MAX_PATH) file_ = _wfopen(buffer, L"a");
  }
  ~ProfileFile() {
    if (file_) std::fclose(file_);
  }
  FILE* file_ = nullptr;
};

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
  if (ProfileFile::Get()) QueryPerformanceCounter(&start_);
}

ProfileScope::~ProfileScope() {
  FILE* file = ProfileFile::Get();
  if (!file) return;
  LARGE_INTEGER end{};
  QueryPerformanceCounter(&end);
  std::fprintf(file, "%.1f\t%.1f\t%s\n", SinceProcessStart(), Milliseconds(end.QuadPart - start_.QuadPart), name_);
  // Each line reaches the file at once, in case the run ends abruptly.
  std::fflush(file);
}

}  // namespace kip
