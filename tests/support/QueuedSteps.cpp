#include "support/QueuedSteps.h"

#include <utility>

namespace kip::test {

namespace {

constexpr wchar_t kClassName[] = L"KipQueuedSteps";
constexpr UINT kRunStep = WM_APP + 1;

BOOL CALLBACK FindUsableWindow(HWND hwnd, LPARAM found) {
  if (!IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd)) return TRUE;
  *reinterpret_cast<HWND*>(found) = hwnd;
  return FALSE;
}

void Post(UINT message, WPARAM wParam, LPARAM lParam) {
  if (HWND focus = QueuedSteps::Focus()) PostMessageW(focus, message, wParam, lParam);
}

}  // namespace

QueuedSteps::QueuedSteps() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &QueuedSteps::Proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);  // fails harmlessly once registered
  hwnd_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

// Steps still queued die with the window: they never reach a later test.
QueuedSteps::~QueuedSteps() {
  if (hwnd_) DestroyWindow(hwnd_);
}

HWND QueuedSteps::Focus() {
  if (HWND focus = GetFocus()) return focus;
  // Another test program's window took the activation (tests run side by
  // side on one display). Activating ours again gives the focus back to the
  // control that had it.
  HWND window = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindUsableWindow, reinterpret_cast<LPARAM>(&window));
  if (window) SetForegroundWindow(window);
  return GetFocus();
}

QueuedSteps& QueuedSteps::Then(std::function<void()> step) {
  steps_.push_back(std::move(step));
  return *this;
}

QueuedSteps& QueuedSteps::Type(std::wstring_view text) {
  for (wchar_t c : text) Then([c] { Post(WM_CHAR, c, 1); });
  return *this;
}

QueuedSteps& QueuedSteps::Key(WPARAM virtualKey) {
  return Then([virtualKey] {
    Post(WM_KEYDOWN, virtualKey, 1);
    Post(WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001u));
  });
}

void QueuedSteps::Start() { PostMessageW(hwnd_, kRunStep, 0, 0); }

void QueuedSteps::RunNext() {
  if (next_ >= steps_.size()) return;
  // What the step posts is queued before the next step.
  steps_[next_++]();
  PostMessageW(hwnd_, kRunStep, 0, 0);
}

LRESULT CALLBACK QueuedSteps::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kRunStep) {
    if (auto* self = reinterpret_cast<QueuedSteps*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))) self->RunNext();
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace kip::test
