// Ending Windows without ending it: every operation is recorded, and the
// answers are chosen by the test.
#pragma once

#include <cstdio>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "apply/ExitWin32.h"

namespace kip {

class RecordingExitPlatform : public ExitPlatform {
 public:
  bool nt = true;
  PrivilegeResult privilege = PrivilegeResult::Adjusted;
  bool exitSucceeds = true;
  DWORD shutdownError = 0;  // what InitiateShutdown answers
  std::optional<std::pair<int, int>> shellVersion;
  std::deque<bool> progmanAnswers;  // successive ProgmanExists answers
  std::vector<std::string> calls;

  bool IsNtFamily() override { return nt; }
  PrivilegeResult EnableShutdownPrivilege() override {
    calls.push_back("privilege");
    return privilege;
  }
  bool EndSession(UINT flags) override {
    calls.push_back("exit " + std::to_string(flags));
    return exitSucceeds;
  }
  DWORD InitiateShutdown(bool reboot, DWORD reason) override {
    char text[64];
    std::snprintf(text, sizeof text, "%s reason %08lx", reboot ? "reboot" : "power off",
                  static_cast<unsigned long>(reason));
    calls.push_back(text);
    return shutdownError;
  }
  std::optional<std::pair<int, int>> ShellVersion() override { return shellVersion; }
  bool ProgmanExists() override {
    bool exists = progmanAnswers.empty() ? false : progmanAnswers.front();
    if (!progmanAnswers.empty()) progmanAnswers.pop_front();
    return exists;
  }
  void PostQuitToProgman() override { calls.push_back("quit progman"); }
  void Pause(DWORD ms) override { calls.push_back("pause " + std::to_string(ms)); }
  void StartExplorer() override { calls.push_back("explorer"); }
  void HideMainWindow() override { calls.push_back("hide"); }
  void ShowMainWindow() override { calls.push_back("show"); }
  void CloseMainWindow() override { calls.push_back("close"); }
};

}  // namespace kip
