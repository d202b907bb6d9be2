#include "app/Application.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include "app/SingleInstance.h"
#include "app/UkIpConfig.h"
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

// Creates the windows and runs the message loop; returns its exit code.
int RunWindows() {
  FormEnvironment environment;
  environment.arguments = CommandLineArguments();
  TFormIpconfig mainForm(environment);
  mainForm.Create();
  HWND owner = mainForm.Handle();
  HFONT font = mainForm.FormFont();
  TFormDNSEdit dnsEdit;
  dnsEdit.Create(owner, font);
  TNetChg2 netChg;
  netChg.Create(owner, font);
  TFormGWEdit gwEdit;
  gwEdit.Create(owner, font);
  TFormIPEdit ipEdit;
  ipEdit.Create(owner, font);
  TFormOtherLAN otherLan;
  otherLan.Create(owner, font);
  TFormLogin login;
  login.Create(owner, font);
  mainForm.AttachDialogs({&dnsEdit, &netChg, &gwEdit, &ipEdit, &otherLan, &login});

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
