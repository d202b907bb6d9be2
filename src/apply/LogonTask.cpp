#include "apply/LogonTask.h"

#include <windows.h>
#include <oleauto.h>
#include <taskschd.h>

#include "util/ComOwners.h"

namespace kip {

namespace {

// The logon trigger's own interface; the toolchain's taskschd.h lacks it.
// Its methods follow ITrigger's in the table: Delay, then UserId.
MIDL_INTERFACE("72dade38-fae4-4b3e-baf4-5d009af02b1c")
ILogonTriggerOwn : public ITrigger {
 public:
  virtual HRESULT STDMETHODCALLTYPE get_Delay(BSTR* delay) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Delay(BSTR delay) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_UserId(BSTR* user) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_UserId(BSTR user) = 0;
};
constexpr IID kIidLogonTrigger = {0x72dade38, 0xfae4, 0x4b3e, {0xba, 0xf4, 0x5d, 0x00, 0x9a, 0xf0, 0x2b, 0x1c}};

VARIANT Empty() {
  VARIANT v;
  VariantInit(&v);
  return v;
}

std::wstring CurrentUser() {
  wchar_t name[256 + 1 + 256] = {};
  DWORD size = static_cast<DWORD>(std::size(name));
  return GetUserNameW(name, &size) ? name : L"";
}

class TaskSchedulerLogonTask final : public LogonTask {
 public:
  bool Register(const std::wstring& program, const std::wstring& arguments) override {
    ComPtr<ITaskFolder> folder;
    ComPtr<ITaskService> service;
    if (!RootFolder(service, folder)) return false;
    ComPtr<ITaskDefinition> task;
    if (FAILED(service->NewTask(0, task.Out()))) return false;
    const std::wstring user = CurrentUser();
    if (!Describe(*task.get(), user) || !AddTrigger(*task.get(), user) || !AddAction(*task.get(), program, arguments)) {
      return false;
    }
    ComPtr<IRegisteredTask> registered;
    const VARIANT none = Empty();
    VARIANT userId = Empty();
    userId.vt = VT_BSTR;
    userId.bstrVal = SysAllocString(user.c_str());
    const HRESULT result = folder->RegisterTaskDefinition(Bstr(kLogonTaskName), task.get(), TASK_CREATE_OR_UPDATE, userId,
                                                          none, TASK_LOGON_INTERACTIVE_TOKEN, none, registered.Out());
    VariantClear(&userId);
    return SUCCEEDED(result);
  }

  bool Remove() override {
    ComPtr<ITaskFolder> folder;
    ComPtr<ITaskService> service;
    if (!RootFolder(service, folder)) return false;
    const HRESULT result = folder->DeleteTask(Bstr(kLogonTaskName), 0);
    return SUCCEEDED(result) || result == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  }

 private:
  static bool RootFolder(ComPtr<ITaskService>& service, ComPtr<ITaskFolder>& folder) {
    if (FAILED(CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                                reinterpret_cast<void**>(service.Out())))) {
      return false;
    }
    const VARIANT none = Empty();
    if (FAILED(service->Connect(none, none, none, none))) return false;
    return SUCCEEDED(service->GetFolder(Bstr(L"\\"), folder.Out()));
  }

  // Runs as the user, elevated, on battery too, without a time limit.
  static bool Describe(ITaskDefinition& task, const std::wstring& user) {
    ComPtr<IRegistrationInfo> info;
    if (SUCCEEDED(task.get_RegistrationInfo(info.Out()))) info->put_Author(Bstr(user));
    ComPtr<IPrincipal> principal;
    if (FAILED(task.get_Principal(principal.Out()))) return false;
    if (FAILED(principal->put_LogonType(TASK_LOGON_INTERACTIVE_TOKEN)) ||
        FAILED(principal->put_RunLevel(TASK_RUNLEVEL_HIGHEST))) {
      return false;
    }
    ComPtr<ITaskSettings> settings;
    if (SUCCEEDED(task.get_Settings(settings.Out()))) {
      settings->put_DisallowStartIfOnBatteries(VARIANT_FALSE);
      settings->put_StopIfGoingOnBatteries(VARIANT_FALSE);
      settings->put_ExecutionTimeLimit(Bstr(L"PT0S"));
    }
    return true;
  }

  static bool AddTrigger(ITaskDefinition& task, const std::wstring& user) {
    ComPtr<ITriggerCollection> triggers;
    ComPtr<ITrigger> trigger;
    if (FAILED(task.get_Triggers(triggers.Out())) || FAILED(triggers->Create(TASK_TRIGGER_LOGON, trigger.Out()))) {
      return false;
    }
    ComPtr<ILogonTriggerOwn> logon;
    if (FAILED(trigger->QueryInterface(kIidLogonTrigger, reinterpret_cast<void**>(logon.Out())))) return false;
    return SUCCEEDED(logon->put_UserId(Bstr(user)));
  }

  static bool AddAction(ITaskDefinition& task, const std::wstring& program, const std::wstring& arguments) {
    ComPtr<IActionCollection> actions;
    ComPtr<IAction> action;
    if (FAILED(task.get_Actions(actions.Out())) || FAILED(actions->Create(TASK_ACTION_EXEC, action.Out()))) return false;
    ComPtr<IExecAction> exec;
    if (FAILED(action->QueryInterface(IID_IExecAction, reinterpret_cast<void**>(exec.Out())))) return false;
    return SUCCEEDED(exec->put_Path(Bstr(program))) && SUCCEEDED(exec->put_Arguments(Bstr(arguments)));
  }
};

}  // namespace

std::unique_ptr<LogonTask> CreateTaskSchedulerLogonTask() { return std::make_unique<TaskSchedulerLogonTask>(); }

}  // namespace kip
