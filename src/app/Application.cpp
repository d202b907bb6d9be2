#include "app/Application.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include "app/CommandLineArgs.h"
#include "app/SingleInstance.h"
#include "app/UkIpConfig.h"
#include "apply/AutoReturn.h"
#include "util/Errors.h"
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

// COM for the shell-link object and the common controls, for the whole run.
class ComApartment {
 public:
  ComApartment() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComApartment() {
    if (ok_) CoUninitialize();
  }

 private:
  bool ok_;
};

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

// Creates the windows and runs the message loop; returns its exit code.
int RunWindows() {
  FormEnvironment environment;
  environment.arguments = CommandLineArguments();
  // Outlives the main window, which holds pointers to the dialogs.
  SecondaryDialogs dialogs;
  TFormIpconfig mainForm(environment);
  mainForm.Create();
  mainForm.AttachDialogs([&] { return dialogs.Create(mainForm.Handle(), mainForm.FormFont()); });

  mainForm.CenterOnScreen();
  {
    ProfileScope phase("Show");
    mainForm.Show();
  }
  ProfileScope phase("Run");
  return win::RunMessageLoop(mainForm.Handle(), mainForm.AcceleratorTable());
}

}  // namespace

int RunApplication(HINSTANCE, int) {
  { ProfileScope entry("Entry"); }
  // The helper of a commit with automatic return: no window, and no claim
  // on the single instance, which the window it watches holds.
  if (std::optional<AutoReturnArguments> helper = ParseAutoReturnArguments(CommandLineArguments())) {
    return RunAutoReturnHelper(helper->token, helper->windowProcessId);
  }
  InstanceMutex mutex;
  // Another instance runs: end silently.
  if (!mutex.Acquire(kInstanceMutexName)) return 0;

  ComApartment com;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);

  try {
    return RunWindows();
  } catch (const KipError& error) {
    ReportStartFailure(error.Message());
  } catch (const std::exception& error) {
    ReportStartFailure(FromUtf8(error.what()));
  }
  return kStartFailedExitCode;
}


}  // namespace kip
