// Small fixtures for the utility tests: a scratch folder under %TEMP%, an
// environment variable set for one test, a stopwatch and a message window.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "support/ScratchFolder.h"
#include "util/Files.h"

namespace kip::test {

// Sets (or, with nullopt, removes) an environment variable of this process
// and restores the previous state at the end.
class EnvOverride {
 public:
  EnvOverride(std::wstring name, const std::optional<std::wstring>& value);
  ~EnvOverride();
  EnvOverride(const EnvOverride&) = delete;
  EnvOverride& operator=(const EnvOverride&) = delete;

 private:
  std::wstring name_;
  std::optional<std::wstring> previous_;
};

class Stopwatch {
 public:
  Stopwatch() : start_(GetTickCount64()) {}
  ULONGLONG ms() const { return GetTickCount64() - start_; }

 private:
  ULONGLONG start_;
};

// A hidden message-only window that counts the WM_APP messages it is sent
// and signals `event` on each one.
class CountingWindow {
 public:
  CountingWindow();
  ~CountingWindow();
  CountingWindow(const CountingWindow&) = delete;
  CountingWindow& operator=(const CountingWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  HANDLE event() const { return event_; }
  int count() const { return count_; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
  HANDLE event_ = nullptr;
  int count_ = 0;
};

}  // namespace kip::test
