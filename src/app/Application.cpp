#include "app/Application.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include "app/CommandLineArgs.h"
#include "app/DeployArgs.h"
#include "app/HeadlessRun.h"
#include "app/SingleInstance.h"
#include "app/UkIpConfig.h"
#include "apply/AutoReturn.h"
#include "apply/StepLog.h"
#include "util/AdminOnly.h"
#include "util/ComOwners.h"
#include "util/Errors.h"
#include "util/Files.h"
#include "util/Profile.h"
#include "ui/UDNSEdit.h"
#include "ui/UGWEdit.h"
#include "ui/UIPEdit.h"
#include "ui/ULogin.h"
#include "ui/UNetChg2.h"
#include "ui/UOtherLAN.h"

namespace kip {

namespace {

StringList CommandLineArguments() {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  StringList arguments;
  for (int i = 1; argv && i < count; ++i) arguments.emplace_back(argv[i]);
  if (argv) LocalFree(argv);
  return arguments;
}

// The exit code of a start that could not create its windows.
constexpr int kStartFailedExitCode = 1;

void ReportStartFailure(const std::wstring& text) {
  MessageBoxW(nullptr, (L"ウィンドウを作成できませんでした.\n" + text).c_str(), kApplicationTitle,
              MB_OK | MB_ICONERROR);
}

// The secondary windows, all made together the first time the main window
// needs one of them.
class SecondaryDialogs {
 public:
  FormDialogs Create(HWND owner, HFONT font) {
    dnsEdit_.Create(owner, font);
    netChg_.Create(owner, font);
    gwEdit_.Create(owner, font);
    ipEdit_.Create(owner, font);
    otherLan_.Create(owner, font);
    login_.Create(owner, font);
    return {&dnsEdit_, &netChg_, &gwEdit_, &ipEdit_, &otherLan_, &login_};
  }

 private:
  TFormDNSEdit dnsEdit_;
  TNetChg2 netChg_;
  TFormGWEdit gwEdit_;
  TFormIPEdit ipEdit_;
  TFormOtherLAN otherLan_;
  TFormLogin login_;
};

// Tells whoever started the program: on the console it was started from,
// or in a message box when there is none and the run may show one.
void TellStarter(const std::wstring& text, bool quiet, UINT icon) {
  if (AttachConsole(ATTACH_PARENT_PROCESS)) {
    const std::wstring line = text + L"\r\n";
    DWORD written = 0;
    WriteConsoleW(GetStdHandle(STD_OUTPUT_HANDLE), line.c_str(), static_cast<DWORD>(line.size()), &written, nullptr);
    FreeConsole();
  } else if (!quiet) {
    MessageBoxW(nullptr, text.c_str(), kApplicationTitle, MB_OK | icon);
  }
}

// Creates the windows and runs the message loop; returns its exit code.
int RunWindows(const DeployOptions& options) {
  FormEnvironment environment;
  environment.arguments = options.classicArguments;
  environment.stepLogPath = options.logFile;
  environment.resident = options.resident;
  // Outlives the main window, which holds pointers to the dialogs.
  SecondaryDialogs dialogs;
  TFormIpconfig mainForm(environment);
  mainForm.Create();
  mainForm.AttachDialogs([&] { return dialogs.Create(mainForm.Handle(), mainForm.FormFont()); });

  mainForm.CenterOnScreen();
  if (!options.resident) {
    ProfileScope phase("Show");
    mainForm.Show();
  }
  ProfileScope phase("Run");
  const int loopCode = win::RunMessageLoop();
  return loopCode != 0 ? loopCode : mainForm.CommandLineExitCode();
}

}  // namespace

int RunApplication(HINSTANCE, int) {
  { ProfileScope entry("Entry"); }
  // The helper of a commit with automatic return: no window, and no claim
  // on the single instance, which the window it watches holds.
  if (std::optional<AutoReturnArguments> helper = ParseAutoReturnArguments(CommandLineArguments())) {
    return RunAutoReturnHelper(helper->token, helper->windowProcessId);
  }
  const DeployOptions options = ParseDeployOptions(CommandLineArguments());
  if (options.usage) {
    TellStarter(UsageText(), options.quiet, MB_ICONINFORMATION);
    return options.missingFile ? kExitFailed : kExitCommitted;
  }
  // A log that would stay empty stops the run before it does anything: the
  // tool that started it would otherwise see no trace of what happened.
  if (const std::wstring failure = StepLog(options.logFile).OpenFailure(); !failure.empty()) {
    TellStarter(failure, options.quiet, MB_ICONERROR);
    return kExitFailed;
  }
  // Before anything else that could end the run: an import while a way
  // back is pending would replace what that way back relies on.
  if (options.importFile && ReturnPending()) {
    StepLog(options.logFile).Write(L"確認付きで反映した設定が元に戻るのを待っています. 取り込んでいません.", L"失敗");
    return kExitReturnPending;
  }
  InstanceMutex mutex;
  // Another instance runs: end silently, with a code a script can test.
  if (!mutex.Acquire(InstanceMutexName())) return kExitAnotherInstance;
  // What a killed helper or a switched-off machine left of a way back.
  RemoveAbandonedReturns(ProgramPath(), WorkFolderPath());

  // COM for the shell-link object and the common controls, for the whole run.
  const ComApartment com(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  if (options.quiet) return RunHeadless(options);
  if (options.importFile) {
    if (const int code = ImportFromCommandLine(*options.importFile, StepLog(options.logFile)); code != kExitCommitted) {
      return code;
    }
  }
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);

  try {
    return RunWindows(options);
  } catch (const KipError& error) {
    ReportStartFailure(error.Message());
  } catch (const std::exception& error) {
    ReportStartFailure(FromUtf8(error.what()));
  }
  return kStartFailedExitCode;
}

}  // namespace kip
