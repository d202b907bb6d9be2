// A program with one tiny off-screen top-level window that stays alive for a whole
// test run. Its window keeps Wine's desktop process running between GUI
// tests, and the script starts it before any test so that the desktop
// process is started here, with no standard handles of the test runner: a
// desktop process started by a test would inherit ctest's output pipes and
// keep them open after the test ended.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"KipKeepAlive";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, L"KipKeepAlive", L"kip keepalive", WS_POPUP, -100, -100, 1, 1,
                                nullptr, nullptr, instance, nullptr);
  // Shown (off the screen) so that the test script can wait for it.
  ShowWindow(window, SW_SHOWNOACTIVATE);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  DestroyWindow(window);
  return 0;
}
