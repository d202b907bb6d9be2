// "ログオン時に起動": a task of the Task Scheduler that starts the program in
// the notification area when the user logs on, with the highest rights, so
// that no elevation prompt appears at each logon. Behind an interface: tests
// record what would be registered.
#pragma once

#include <memory>
#include <string>

namespace kip {

inline constexpr wchar_t kLogonTaskName[] = L"HarluneIPコンフィグ 常駐";
inline constexpr wchar_t kResidentSwitch[] = L"/resident";

class LogonTask {
 public:
  virtual ~LogonTask() = default;
  // Creates or replaces the task that runs `program` with `arguments` at
  // the logon of the user who registers it; false when it could not.
  virtual bool Register(const std::wstring& program, const std::wstring& arguments) = 0;
  // Removes the task; true also when there was none.
  virtual bool Remove() = 0;
};

// The Task Scheduler 2.0 (ITaskService): a logon trigger for this user,
// the interactive token, the highest run level.
std::unique_ptr<LogonTask> CreateTaskSchedulerLogonTask();

}  // namespace kip
