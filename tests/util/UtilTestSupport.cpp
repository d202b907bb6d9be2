#include "UtilTestSupport.h"

#include <atomic>

namespace kip::test {

namespace {

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  UniqueFindHandle find(FindFirstFileW((folder + L"*").c_str(), &found));
  if (find) {
    do {
      std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring full = folder + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full + L"\\");
      } else {
        SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(full.c_str());
      }
    } while (FindNextFileW(find.get(), &found));
  }
  find.reset();
  RemoveDirectoryW(folder.c_str());
}

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

ScratchFolder::ScratchFolder() {
  static std::atomic<unsigned> counter{0};
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  for (;;) {
    path_ = IncludeTrailingBackslash(temp) + L"kip-util-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter) + L"\\";
    if (CreateDirectoryW(path_.c_str(), nullptr)) break;
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

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
