// Entry of every test program: COM and common controls are set up once, as
// the program itself does at start. The programs of Windows that code under
// test starts are the recording stand-ins beside the test program, unless
// the run names another folder.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include "util/Files.h"
#include "util/Process.h"

int wmain(int argc, wchar_t** argv) {
  if (GetEnvironmentVariableW(kip::kSystemFolderOverride, nullptr, 0) == 0) {
    SetEnvironmentVariableW(kip::kSystemFolderOverride, kip::ProgramFolder().c_str());
  }
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  CoUninitialize();
  return result;
}
