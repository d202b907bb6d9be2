// Phase timings for finding where start-up time goes. Off unless the
// environment variable KIP_PROFILE names a file; each finished phase then
// appends "milliseconds-since-process-start<TAB>duration<TAB>name" to it.
#pragma once

#include <windows.h>

namespace kip {

class ProfileScope {
 public:
  explicit ProfileScope(const char* name);
  ~ProfileScope();
  ProfileScope(const ProfileScope&) = delete;
  ProfileScope& operator=(const ProfileScope&) = delete;

 private:
  const char* name_;
  LARGE_INTEGER start_{};
};

}  // namespace kip
