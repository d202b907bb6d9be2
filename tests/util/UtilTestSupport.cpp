#include "UtilTestSupport.h"

#include <atomic>

namespace kip::test {

namespace {

std::optional<std::wstring> ReadVariable(const std::wstring& name) {
  DWORD size = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring value(size, L'\0');
  DWORD n = GetEnvironmentVariableW(name.c_str(), value.data(), size);
  value.resize(n);
  return value;
}

void WriteVariable(const std::wstring& name, const std::optional<std::wstring>& value) {
  SetEnvironmentVariableW(name.c_str(), value ? value->c_str() : nullptr);
}

}  // namespace

EnvOverride::EnvOverride(std::wstring name, const std::optional<std::wstring>& value)
    : name_(std::move(name)), previous_(ReadVariable(name_)) {
  WriteVariable(name_, value);
}

EnvOverride::~EnvOverride() { WriteVariable(name_, previous_); }

CountingWindow::CountingWindow() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = Proc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"KipCountingWindow";
  RegisterClassW(&windowClass);
  event_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  hwnd_ = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                          windowClass.hInstance, this);
}

CountingWindow::~CountingWindow() {
  DestroyWindow(hwnd_);
  CloseHandle(event_);
}

LRESULT CALLBACK CountingWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  if (message == WM_APP) {
    auto* self = reinterpret_cast<CountingWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    ++self->count_;
    SetEvent(self->event_);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace kip::test
