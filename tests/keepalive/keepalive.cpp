// A windowless program that stays alive for a whole test run, so that Wine's
// desktop process is not torn down and restarted between GUI tests.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  HWND window = CreateWindowExW(0, L"STATIC", L"kip keepalive", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                nullptr, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  DestroyWindow(window);
  return 0;
}
