// kip_driver: drives the real program's windows from outside, for the
// end-to-end scripts. Every command finds its windows afresh (FindWindowW,
// EnumChildWindows) and talks to them with messages, so the scripts need no
// knowledge of the program's resource ids beyond what they pass in.
//
//   kip_driver <command> [arguments...]
//
// A <window> argument is a top-level window caption, or "@Class" for a window
// class. A <control> argument is one of:
//   1234 or 0x4D2     the control id
//   Class#n           the n-th (0-based) descendant of that class, in
//                     enumeration order
//   Class:Text        a descendant of that class with that text
//   Text              a descendant with that text
// Texts match exactly, with the "&" accelerator markers removed, or without a
// trailing "(&A)" accelerator.
//
// Results go to standard output as UTF-8 lines; failures are explained on
// standard error. Exit codes: 0 done, 1 failed, 2 bad usage.
#include <windows.h>
#include <commctrl.h>
#include <iphlpapi.h>
#include <winspool.h>

#include <cstring>
#include <cwchar>
#include <cwctype>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "util/UniqueHandle.h"

namespace {

using kip::UniqueKernelHandle;
using Args = std::vector<std::wstring>;

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;
constexpr UINT kSendTimeoutMs = 5000;
constexpr UINT kSlowSendTimeoutMs = 60000;
constexpr DWORD kPollMs = 50;

// ---------------------------------------------------------------- output

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

void WriteTo(DWORD which, const std::wstring& line) {
  std::string bytes = ToUtf8(line) + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(which), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void Print(const std::wstring& line) { WriteTo(STD_OUTPUT_HANDLE, line); }

int Fail(const std::wstring& message) {
  WriteTo(STD_ERROR_HANDLE, L"kip_driver: " + message);
  return kFailed;
}

// Control characters would break the one-line-per-item output.
std::wstring OneLine(std::wstring text) {
  for (wchar_t& c : text)
    if (c < 0x20) c = L' ';
  return text;
}

std::wstring Hex(UINT_PTR value) {
  wchar_t buffer[32];
  swprintf(buffer, 32, L"0x%llX", static_cast<unsigned long long>(value));
  return buffer;
}

// ---------------------------------------------------------------- parsing

bool ParseNumber(const std::wstring& text, long long& value) {
  if (text.empty()) return false;
  wchar_t* end = nullptr;
  value = std::wcstoll(text.c_str(), &end, 0);
  return end != nullptr && *end == L'\0';
}

bool ParseNonNegative(const std::wstring& text, long long& value) { return ParseNumber(text, value) && value >= 0; }

// ---------------------------------------------------------------- windows

std::wstring ClassOf(HWND window) {
  wchar_t buffer[256] = {};
  GetClassNameW(window, buffer, 256);
  return buffer;
}

// The text through WM_GETTEXT, which also works for edit controls of
// another process (GetWindowTextW does not ask them).
std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length)) return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                      kSendTimeoutMs, &copied);
  text.resize(copied);
  return text;
}

std::wstring WithoutAccelerators(const std::wstring& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

// Japanese captions carry their accelerator as a trailing "(&A)".
std::wstring WithoutAcceleratorSuffix(const std::wstring& text) {
  const size_t n = text.size();
  if (n >= 4 && text[n - 4] == L'(' && text[n - 3] == L'&' && text[n - 1] == L')') return text.substr(0, n - 4);
  return text;
}

bool TextMatches(const std::wstring& actual, const std::wstring& wanted) {
  return actual == wanted || WithoutAccelerators(actual) == wanted || WithoutAcceleratorSuffix(actual) == wanted;
}

HWND FindTop(const std::wstring& name) {
  if (name.size() > 1 && name[0] == L'@') return FindWindowW(name.c_str() + 1, nullptr);
  return FindWindowW(nullptr, name.c_str());
}

std::vector<HWND> Descendants(HWND top) {
  std::vector<HWND> all;
  EnumChildWindows(
      top,
      [](HWND child, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&all));
  return all;
}

HWND Locate(HWND top, const std::wstring& locator) {
  const std::vector<HWND> all = Descendants(top);
  long long id = 0;
  if (ParseNumber(locator, id)) {
    for (HWND child : all)
      if (GetDlgCtrlID(child) == id) return child;
    return nullptr;
  }
  size_t hash = locator.rfind(L'#');
  long long nth = 0;
  if (hash != std::wstring::npos && hash > 0 && ParseNonNegative(locator.substr(hash + 1), nth)) {
    const std::wstring cls = locator.substr(0, hash);
    for (HWND child : all)
      if (lstrcmpiW(ClassOf(child).c_str(), cls.c_str()) == 0 && nth-- == 0) return child;
    return nullptr;
  }
  size_t colon = locator.find(L':');
  if (colon != std::wstring::npos && colon > 0) {
    const std::wstring cls = locator.substr(0, colon);
    const std::wstring text = locator.substr(colon + 1);
    for (HWND child : all)
      if (lstrcmpiW(ClassOf(child).c_str(), cls.c_str()) == 0 && TextMatches(TextOf(child), text)) return child;
    // A caption that itself holds a colon: fall through to a plain text match.
  }
  for (HWND child : all)
    if (TextMatches(TextOf(child), locator)) return child;
  return nullptr;
}

// Finds the window and the control or reports which one is missing.
struct Target {
  HWND top = nullptr;
  HWND control = nullptr;
};

bool Resolve(const std::wstring& window, const std::wstring* locator, Target& target) {
  target.top = FindTop(window);
  if (!target.top) {
    Fail(L"no window \"" + window + L"\"");
    return false;
  }
  if (!locator) return true;
  target.control = Locate(target.top, *locator);
  if (!target.control) {
    Fail(L"no control \"" + *locator + L"\" in \"" + window + L"\"");
    return false;
  }
  return true;
}

LRESULT Send(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT timeoutMs = kSendTimeoutMs) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, timeoutMs, &result);
  return static_cast<LRESULT>(result);
}

// Tells the control's parent what a user's action would have told it.
void NotifyParent(HWND control, WORD code) {
  HWND parent = GetParent(control);
  WPARAM wparam = MAKEWPARAM(GetDlgCtrlID(control), code);
  Send(parent, WM_COMMAND, wparam, reinterpret_cast<LPARAM>(control));
}

// Returns once the window's thread has handled everything sent before.
void Settle(HWND window) {
  Send(window, WM_NULL, 0, 0);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Send(window, WM_NULL, 0, 0);
}

// ---------------------------------------------------------------- tab controls

// Memory in the target process, for messages whose structures the system
// does not carry across processes (the tab control's items).
class RemoteBuffer {
 public:
  RemoteBuffer(HWND owner, SIZE_T size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(owner, &pid);
    process_.reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (process_) address_ = VirtualAllocEx(process_.get(), nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    if (address_) VirtualFreeEx(process_.get(), address_, 0, MEM_RELEASE);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  explicit operator bool() const { return address_ != nullptr; }
  void* at(SIZE_T offset) const { return static_cast<char*>(address_) + offset; }
  bool Write(SIZE_T offset, const void* data, SIZE_T size) const {
    return WriteProcessMemory(process_.get(), at(offset), data, size, nullptr) != FALSE;
  }
  bool Read(SIZE_T offset, void* data, SIZE_T size) const {
    return ReadProcessMemory(process_.get(), at(offset), data, size, nullptr) != FALSE;
  }

 private:
  UniqueKernelHandle process_;
  void* address_ = nullptr;
};

std::vector<std::wstring> TabItems(HWND tab) {
  std::vector<std::wstring> items;
  constexpr int kChars = 256;
  RemoteBuffer remote(tab, sizeof(TCITEMW) + kChars * sizeof(wchar_t));
  if (!remote) return items;
  const int count = static_cast<int>(Send(tab, TCM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = static_cast<wchar_t*>(remote.at(sizeof(TCITEMW)));
    item.cchTextMax = kChars;
    wchar_t text[kChars] = {};
    remote.Write(sizeof(TCITEMW), text, sizeof text);
    remote.Write(0, &item, sizeof item);
    Send(tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(remote.at(0)));
    remote.Read(sizeof(TCITEMW), text, sizeof text);
    text[kChars - 1] = L'\0';
    items.push_back(text);
  }
  return items;
}

// The page control is the tab control whose first page is the address page;
// the setting tab strip is any other tab control.
bool IsPageControl(HWND tab) {
  std::vector<std::wstring> items = TabItems(tab);
  return !items.empty() && items[0] == L"IP 設定";
}

HWND FindTabControl(HWND top, bool pageControl) {
  for (HWND child : Descendants(top))
    if (lstrcmpiW(ClassOf(child).c_str(), WC_TABCONTROLW) == 0 && IsPageControl(child) == pageControl) return child;
  return nullptr;
}

// TCM_SETCURFOCUS, unlike TCM_SETCURSEL, notifies the parent as a click does.
int SelectTab(HWND tab, const std::wstring& which) {
  std::vector<std::wstring> items = TabItems(tab);
  long long index = -1;
  if (!ParseNonNegative(which, index)) {
    for (size_t i = 0; i < items.size(); ++i)
      if (TextMatches(items[i], which)) index = static_cast<long long>(i);
  }
  if (index < 0 || index >= static_cast<long long>(items.size()))
    return Fail(L"no tab \"" + which + L"\" among " + std::to_wstring(items.size()));
  Send(tab, TCM_SETCURFOCUS, static_cast<WPARAM>(index), 0);
  Settle(GetAncestor(tab, GA_ROOT));
  const long long selected = Send(tab, TCM_GETCURSEL, 0, 0);
  if (selected != index) return Fail(L"tab " + std::to_wstring(index) + L" did not become selected");
  Print(std::to_wstring(index) + L"\t" + items[static_cast<size_t>(index)]);
  return kDone;
}

// ---------------------------------------------------------------- keyboard

// A key for `press`: a letter, a digit, ".", or a name below, after any of
// "ctrl+", "shift+", "alt+".
bool ParseChord(const std::wstring& chord, std::vector<WORD>& keys) {
  static const std::map<std::wstring, WORD> names = {
      {L"ctrl", VK_CONTROL}, {L"shift", VK_SHIFT},    {L"alt", VK_MENU},      {L"tab", VK_TAB},
      {L"enter", VK_RETURN}, {L"escape", VK_ESCAPE},  {L"space", VK_SPACE},   {L"insert", VK_INSERT},
      {L"delete", VK_DELETE}, {L"pageup", VK_PRIOR},  {L"pagedown", VK_NEXT}, {L"left", VK_LEFT},
      {L"right", VK_RIGHT},  {L"up", VK_UP},          {L"down", VK_DOWN},     {L"f10", VK_F10},
      {L".", VK_OEM_PERIOD}};
  size_t start = 0;
  while (start <= chord.size()) {
    size_t plus = chord.find(L'+', start + 1);
    std::wstring name = chord.substr(start, plus == std::wstring::npos ? std::wstring::npos : plus - start);
    auto found = names.find(name);
    if (found != names.end()) {
      keys.push_back(found->second);
    } else if (name.size() == 1 && iswalnum(name[0])) {
      keys.push_back(static_cast<WORD>(towupper(name[0])));
    } else {
      return false;
    }
    if (plus == std::wstring::npos) return true;
    start = plus + 1;
  }
  return false;
}

// Returns once the window's process waits for input with none left.
void WaitIdle(HWND top) {
  DWORD pid = 0;
  GetWindowThreadProcessId(top, &pid);
  UniqueKernelHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid));
  for (int round = 0; round < 3; ++round) {
    if (process) WaitForInputIdle(process.get(), kSendTimeoutMs);
    Settle(top);
  }
}

// Presses each chord on the real keyboard (SendInput) with the window in
// front: modifiers go to the program's key state as a user's would.
int Press(const Args& a) {
  if (a.size() < 2) return kUsage;
  Target t;
  if (!Resolve(a[0], nullptr, t)) return kFailed;
  if (!IsWindowVisible(t.top)) return Fail(L"window \"" + a[0] + L"\" is hidden");
  SetForegroundWindow(t.top);
  for (size_t i = 1; i < a.size(); ++i) {
    std::vector<WORD> keys;
    if (!ParseChord(a[i], keys)) return Fail(L"unknown key \"" + a[i] + L"\"");
    std::vector<INPUT> inputs;
    for (WORD key : keys) inputs.push_back(INPUT{INPUT_KEYBOARD, {.ki = {key, 0, 0, 0, 0}}});
    for (auto key = keys.rbegin(); key != keys.rend(); ++key)
      inputs.push_back(INPUT{INPUT_KEYBOARD, {.ki = {*key, 0, KEYEVENTF_KEYUP, 0, 0}}});
    if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size())
      return Fail(L"SendInput failed");
    WaitIdle(t.top);
  }
  return kDone;
}

// ---------------------------------------------------------------- DPI

// Tells the window that it moved to a monitor of another DPI, with the
// rectangle Windows suggests for it there.
int DpiChange(const Args& a) {
  long long v[5] = {};
  if (a.size() != 6) return kUsage;
  for (int i = 0; i < 5; ++i)
    if (!ParseNumber(a[i + 1], v[i])) return kUsage;
  Target t;
  if (!Resolve(a[0], nullptr, t)) return kFailed;
  RECT suggested{static_cast<LONG>(v[1]), static_cast<LONG>(v[2]), static_cast<LONG>(v[1] + v[3]),
                 static_cast<LONG>(v[2] + v[4])};
  RemoteBuffer remote(t.top, sizeof suggested);
  if (!remote || !remote.Write(0, &suggested, sizeof suggested)) return Fail(L"cannot reach the window's process");
  const auto dpi = static_cast<WORD>(v[0]);
  // Rebuilding fonts and layout can take longer than other messages on a
  // loaded machine; the checks after it must see the finished layout.
  Send(t.top, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(remote.at(0)), kSlowSendTimeoutMs);
  Settle(t.top);
  return kDone;
}

// ---------------------------------------------------------------- commands

int WaitWindow(const Args& a) {
  long long timeout = 0;
  if (a.size() != 2 || !ParseNonNegative(a[1], timeout)) return kUsage;
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeout);
  for (;;) {
    HWND top = FindTop(a[0]);
    if (top && IsWindowVisible(top)) {
      DWORD pid = 0;
      GetWindowThreadProcessId(top, &pid);
      Print(Hex(reinterpret_cast<UINT_PTR>(top)) + L"\t" + std::to_wstring(pid));
      return kDone;
    }
    if (GetTickCount64() >= deadline) return Fail(L"window \"" + a[0] + L"\" did not appear");
    Sleep(kPollMs);
  }
}

int WaitGone(const Args& a) {
  long long timeout = 0;
  if (a.size() != 2 || !ParseNonNegative(a[1], timeout)) return kUsage;
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeout);
  // Gone, or hidden: the program's dialogs are created once and hidden
  // after each use.
  for (HWND top = FindTop(a[0]); top && IsWindowVisible(top); top = FindTop(a[0])) {
    if (GetTickCount64() >= deadline) return Fail(L"window \"" + a[0] + L"\" is still there");
    Sleep(kPollMs);
  }
  return kDone;
}

std::wstring Describe(HWND top, HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  RECT origin{};
  GetWindowRect(top, &origin);
  return Hex(reinterpret_cast<UINT_PTR>(window)) + L"\t" + ClassOf(window) + L"\t" +
         std::to_wstring(GetDlgCtrlID(window)) + L"\t" + (IsWindowVisible(window) ? L"visible" : L"hidden") +
         L"\t" + (IsWindowEnabled(window) ? L"enabled" : L"disabled") + L"\t" +
         std::to_wstring(rect.left - origin.left) + L"," + std::to_wstring(rect.top - origin.top) + L"," +
         std::to_wstring(rect.right - rect.left) + L"x" + std::to_wstring(rect.bottom - rect.top) + L"\t" +
         OneLine(TextOf(window));
}

int ListChildren(const Args& a) {
  if (a.size() != 1) return kUsage;
  Target t;
  if (!Resolve(a[0], nullptr, t)) return kFailed;
  Print(L"handle\tclass\tid\tvisible\tenabled\tx,y,wxh\ttext");
  for (HWND child : Descendants(t.top)) Print(Describe(t.top, child));
  return kDone;
}

int ListWindows(const Args& a) {
  if (!a.empty()) return kUsage;
  std::vector<HWND> tops;
  EnumWindows(
      [](HWND window, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&tops));
  for (HWND top : tops) {
    DWORD pid = 0;
    GetWindowThreadProcessId(top, &pid);
    Print(Hex(reinterpret_cast<UINT_PTR>(top)) + L"\t" + ClassOf(top) + L"\t" + std::to_wstring(pid) + L"\t" +
          (IsWindowVisible(top) ? L"visible" : L"hidden") + L"\t" + OneLine(TextOf(top)));
  }
  return kDone;
}

int GetText(const Args& a) {
  if (a.size() != 2) return kUsage;
  Target t;
  if (!Resolve(a[0], &a[1], t)) return kFailed;
  Print(OneLine(TextOf(t.control)));
  return kDone;
}

int SetText(const Args& a) {
  if (a.size() != 3) return kUsage;
  Target t;
  if (!Resolve(a[0], &a[1], t)) return kFailed;
  DWORD_PTR result = 0;
  SendMessageTimeoutW(t.control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a[2].c_str()), SMTO_ABORTIFHUNG,
                      kSendTimeoutMs, &result);
  if (TextOf(t.control) != a[2]) return Fail(L"the text did not change");
  return kDone;
}

// A click that opens a modal dialog does not return until the dialog ends,
// so the click is only waited for briefly; the script then drives the dialog.
int Click(const Args& a) {
  if (a.size() != 2) return kUsage;
  Target t;
  if (!Resolve(a[0], &a[1], t)) return kFailed;
  if (!IsWindowEnabled(t.control)) return Fail(L"control \"" + a[1] + L"\" is disabled");
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(t.control, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 1000, &result))
    Print(L"pending");
  return kDone;
}

// The control that has the keyboard focus in the window's thread.
HWND FocusOf(HWND top) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  DWORD thread = GetWindowThreadProcessId(top, nullptr);
  return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

// Posts one keyboard message to the focused control, as the keyboard would,
// and returns once the program has handled it: the second message sent can
// only be received after the posted one has been dispatched, so the next key
// goes to wherever the focus is then.
bool PostToFocus(HWND top, UINT message, WPARAM wparam, LPARAM lparam) {
  HWND focus = FocusOf(top);
  if (!focus || !PostMessageW(focus, message, wparam, lparam)) return false;
  Settle(top);
  return true;
}

// Presses and releases a key (a virtual-key code: 13 Enter, 27 Escape, 9 Tab)
// in the focused control.
int Key(const Args& a) {
  long long key = 0;
  if (a.size() != 2 || !ParseNonNegative(a[1], key) || key > 0xFE) return kUsage;
  Target t;
  if (!Resolve(a[0], nullptr, t)) return kFailed;
  if (!PostToFocus(t.top, WM_KEYDOWN, static_cast<WPARAM>(key), 1))
    return Fail(L"no control of \"" + a[0] + L"\" has the focus");
  PostToFocus(t.top, WM_KEYUP, static_cast<WPARAM>(key), static_cast<LPARAM>(0xC0000001u));
  return kDone;
}

// The id of the focused control, or nothing when the focus is elsewhere.
int Focused(const Args& a) {
  if (a.size() != 1) return kUsage;
  Target t;
  if (!Resolve(a[0], nullptr, t)) return kFailed;
  HWND focus = FocusOf(t.top);
  if (!focus || GetAncestor(focus, GA_ROOT) != t.top) return Fail(L"the focus is not in \"" + a[0] + L"\"");
  Print(std::to_wstring(GetDlgCtrlID(focus)));
  return kDone;
}

int ComboItems(const Args& a) {
  if (a.size() != 2) return kUsage;
  Target t;
  if (!Resolve(a[0], &a[1], t)) return kFailed;
  if (lstrcmpiW(ClassOf(t.control).c_str(), WC_COMBOBOXW) != 0)
    return Fail(L"control \"" + a[1] + L"\" is a " + ClassOf(t.control) + L", not a combo box");
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(t.control, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &answer))
    return Fail(L"control \"" + a[1] + L"\" does not answer");
  const LRESULT count = static_cast<LRESULT>(answer);
  if (count < 0) return Fail(L"control \"" + a[1] + L"\" is not a combo box");
  const LRESULT selected = Send(t.control, CB_GETCURSEL, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = Send(t.control, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    std::wstring text(length > 0 ? static_cast<size_t>(length) + 1 : 1, L'\0');
    const LRESULT copied = Send(t.control, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    Print(std::wstring(i == selected ? L"*" : L" ") + std::to_wstring(i) + L"\t" + OneLine(text));
  }
  return kDone;
}

int SelectCombo(const Args& a) {
  long long index = 0;
  if (a.size() != 3 || !ParseNonNegative(a[2], index)) return kUsage;
  Target t;
  if (!Resolve(a[0], &a[1], t)) return kFailed;
  if (Send(t.control, CB_SETCURSEL, static_cast<WPARAM>(index), 0) != index)
    return Fail(L"no item " + a[2] + L" in \"" + a[1] + L"\"");
  NotifyParent(t.control, CBN_SELCHANGE);
  Settle(t.top);
  return kDone;
}

int Tabs(const Args& a) {
  if (a.size() != 1) return kUsage;
  Target t;
  if (!Resolve(a[0], nullptr, t)) return kFailed;
  for (HWND child : Descendants(t.top)) {
    if (lstrcmpiW(ClassOf(child).c_str(), WC_TABCONTROLW) != 0) continue;
    const std::vector<std::wstring> items = TabItems(child);
    const LRESULT selected = Send(child, TCM_GETCURSEL, 0, 0);
    Print(Hex(reinterpret_cast<UINT_PTR>(child)) + L"\t" + std::to_wstring(GetDlgCtrlID(child)) + L"\t" +
          (IsPageControl(child) ? L"pages" : L"settings"));
    for (size_t i = 0; i < items.size(); ++i)
      Print(std::wstring(static_cast<LRESULT>(i) == selected ? L" *" : L"  ") + std::to_wstring(i) + L"\t" +
            OneLine(items[i]));
  }
  return kDone;
}

int SelectTabIn(const Args& a, bool pageControl) {
  if (a.size() != 2) return kUsage;
  Target t;
  if (!Resolve(a[0], nullptr, t)) return kFailed;
  HWND tab = FindTabControl(t.top, pageControl);
  if (!tab) return Fail(pageControl ? L"no page control" : L"no setting tab strip");
  return SelectTab(tab, a[1]);
}

int MoveOrigin(const Args& a) {
  if (a.size() != 1) return kUsage;
  Target t;
  if (!Resolve(a[0], nullptr, t)) return kFailed;
  SetWindowPos(t.top, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  Settle(t.top);
  RECT rect{};
  GetWindowRect(t.top, &rect);
  if (rect.left != 0 || rect.top != 0) return Fail(L"the window stayed at " + std::to_wstring(rect.left) + L"," +
                                                   std::to_wstring(rect.top));
  return kDone;
}

// "x y width height" of the whole window on the screen, for cropping shots.
int Rect(const Args& a) {
  if (a.size() != 1) return kUsage;
  Target t;
  if (!Resolve(a[0], nullptr, t)) return kFailed;
  Settle(t.top);
  RECT rect{};
  GetWindowRect(t.top, &rect);
  Print(std::to_wstring(rect.left) + L" " + std::to_wstring(rect.top) + L" " + std::to_wstring(rect.right - rect.left) +
        L" " + std::to_wstring(rect.bottom - rect.top));
  return kDone;
}

int Menu(const Args& a) {
  long long id = 0;
  if (a.size() != 2 || !ParseNonNegative(a[1], id) || id > 0xFFFF) return kUsage;
  Target t;
  if (!Resolve(a[0], nullptr, t)) return kFailed;
  if (!PostMessageW(t.top, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), 0)) return Fail(L"post failed");
  return kDone;
}

// Asks the window to close and waits for its process to end.
// Posts a message to the window, as Windows would send it (a click on a
// notification of the window's icon, for one).
int Post(const Args& a) {
  long long message = 0, wParam = 0, lParam = 0;
  if (a.size() != 4 || !ParseNonNegative(a[1], message) || !ParseNonNegative(a[2], wParam) ||
      !ParseNonNegative(a[3], lParam)) {
    return kUsage;
  }
  Target t;
  if (!Resolve(a[0], nullptr, t)) return kFailed;
  if (!PostMessageW(t.top, static_cast<UINT>(message), static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam))) {
    return Fail(L"post failed");
  }
  Print(L"posted");
  return kDone;
}

int Close(const Args& a) {
  long long timeout = 10000;
  if (a.empty() || a.size() > 2 || (a.size() == 2 && !ParseNonNegative(a[1], timeout))) return kUsage;
  Target t;
  if (!Resolve(a[0], nullptr, t)) return kFailed;
  DWORD pid = 0;
  GetWindowThreadProcessId(t.top, &pid);
  UniqueKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
  if (!PostMessageW(t.top, WM_CLOSE, 0, 0)) return Fail(L"post failed");
  if (!process) return Fail(L"cannot watch process " + std::to_wstring(pid));
  if (WaitForSingleObject(process.get(), static_cast<DWORD>(timeout)) != WAIT_OBJECT_0)
    return Fail(L"process " + std::to_wstring(pid) + L" did not end");
  Print(L"ended " + std::to_wstring(pid));
  return kDone;
}

std::wstring FromAnsi(const char* text, size_t limit) {
  size_t length = 0;
  while (length < limit && text[length]) ++length;
  int n = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), out.data(), n);
  return out;
}

std::wstring AddressList(const IP_ADDR_STRING* entry) {
  std::wstring out;
  for (; entry; entry = entry->Next) {
    if (!out.empty()) out += L",";
    out += FromAnsi(entry->IpAddress.String, sizeof entry->IpAddress.String) + L"/" +
           FromAnsi(entry->IpMask.String, sizeof entry->IpMask.String);
  }
  return out;
}

// What this machine (or network namespace) shows the program as its cards:
// a "bytes" line with the size of the adapter data, then one line per card:
// index, adapter name, description, type, DHCP flag, addresses.
int Adapters(const Args& a) {
  if (!a.empty()) return kUsage;
  ULONG size = 0;
  DWORD status = GetAdaptersInfo(nullptr, &size);
  if (status == ERROR_NO_DATA) {
    Print(L"bytes\t0");
    return kDone;
  }
  if (status != ERROR_BUFFER_OVERFLOW) return Fail(L"GetAdaptersInfo failed: " + std::to_wstring(status));
  std::vector<unsigned char> buffer(size);
  auto* first = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
  status = GetAdaptersInfo(first, &size);
  if (status != NO_ERROR) return Fail(L"GetAdaptersInfo failed: " + std::to_wstring(status));
  Print(L"bytes\t" + std::to_wstring(size));
  for (const IP_ADAPTER_INFO* info = first; info; info = info->Next) {
    Print(std::to_wstring(info->Index) + L"\t" + FromAnsi(info->AdapterName, sizeof info->AdapterName) + L"\t" +
          OneLine(FromAnsi(info->Description, sizeof info->Description)) + L"\t" + std::to_wstring(info->Type) +
          L"\t" + std::to_wstring(info->DhcpEnabled) + L"\t" + AddressList(&info->IpAddressList));
  }
  return kDone;
}

// ---------------------------------------------------------------- registry

// "HKLM\path" or "HKCU\path" (long root names also accepted).
bool SplitRegistryPath(const std::wstring& full, HKEY& root, std::wstring& path) {
  static const std::pair<const wchar_t*, HKEY> roots[] = {{L"HKLM", HKEY_LOCAL_MACHINE},
                                                          {L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
                                                          {L"HKCU", HKEY_CURRENT_USER},
                                                          {L"HKEY_CURRENT_USER", HKEY_CURRENT_USER}};
  const size_t slash = full.find(L'\\');
  const std::wstring head = full.substr(0, slash);
  for (const auto& [name, key] : roots) {
    if (lstrcmpiW(head.c_str(), name) == 0) {
      root = key;
      path = slash == std::wstring::npos ? std::wstring() : full.substr(slash + 1);
      return true;
    }
  }
  return false;
}

bool OpenKey(const std::wstring& full, kip::UniqueHKey& key) {
  HKEY root = nullptr;
  std::wstring path;
  if (!SplitRegistryPath(full, root, path)) return false;
  return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

const wchar_t* TypeName(DWORD type) {
  switch (type) {
    case REG_SZ: return L"REG_SZ";
    case REG_EXPAND_SZ: return L"REG_EXPAND_SZ";
    case REG_MULTI_SZ: return L"REG_MULTI_SZ";
    case REG_DWORD: return L"REG_DWORD";
    case REG_BINARY: return L"REG_BINARY";
    default: return L"REG_OTHER";
  }
}

// The type name, then the data: one line per entry of a multi-string, the
// decimal number of a DWORD, the text of a string as stored (unexpanded).
int RegGet(const Args& a) {
  if (a.size() != 2) return kUsage;
  kip::UniqueHKey key;
  if (!OpenKey(a[0], key)) return Fail(L"no key " + a[0]);
  DWORD type = 0, size = 0;
  const wchar_t* name = a[1].empty() ? nullptr : a[1].c_str();
  if (RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return Fail(L"no value \"" + a[1] + L"\" in " + a[0]);
  std::vector<BYTE> data(size + 2 * sizeof(wchar_t), 0);
  if (RegQueryValueExW(key.get(), name, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
    return Fail(L"cannot read \"" + a[1] + L"\"");
  Print(TypeName(type));
  if (type == REG_DWORD && size == sizeof(DWORD)) {
    DWORD number = 0;
    memcpy(&number, data.data(), sizeof number);
    Print(std::to_wstring(number));
  } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
    Print(OneLine(reinterpret_cast<const wchar_t*>(data.data())));
  } else if (type == REG_MULTI_SZ) {
    // The buffer has two extra NULs, so a value without terminators ends too.
    for (const wchar_t* entry = reinterpret_cast<const wchar_t*>(data.data()); *entry; entry += wcslen(entry) + 1)
      Print(OneLine(entry));
  }
  return kDone;
}

// The names of a key's subkeys, in the order the registry lists them.
int RegKeys(const Args& a) {
  if (a.size() != 1) return kUsage;
  kip::UniqueHKey key;
  if (!OpenKey(a[0], key)) return Fail(L"no key " + a[0]);
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    Print(std::wstring(name, length));
  }
  return kDone;
}

// An outsider answering for the user: creates (or opens) each named event in
// the session's and the global namespace, sets it and holds it for the given
// seconds, as a process that read a token could.
int SetEvents(const Args& a) {
  if (a.size() < 2) return kUsage;
  std::vector<kip::UniqueKernelHandle> held;
  for (size_t i = 1; i < a.size(); ++i) {
    for (const std::wstring& name : {a[i], L"Global\\" + a[i]}) {
      kip::UniqueKernelHandle event(CreateEventW(nullptr, TRUE, TRUE, name.c_str()));
      if (event) SetEvent(event.get());
      held.push_back(std::move(event));
    }
  }
  Print(L"set");
  Sleep(static_cast<DWORD>(_wtoi(a[0].c_str())) * 1000);
  return kDone;
}

// Another program that holds a file open without sharing it (created when
// missing) for the given seconds: nobody else can open it meanwhile.
int HoldFile(const Args& a) {
  if (a.size() != 2) return kUsage;
  kip::UniqueFileHandle file(
      CreateFileW(a[1].c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return Fail(L"cannot open " + a[1] + L": " + std::to_wstring(GetLastError()));
  Print(L"held");
  Sleep(static_cast<DWORD>(_wtoi(a[0].c_str())) * 1000);
  return kDone;
}

// The printers the spooler lists, one name per line.
int Printers(const Args& a) {
  if (!a.empty()) return kUsage;
  DWORD needed = 0, count = 0;
  EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &count);
  std::vector<BYTE> buffer(needed + 1);
  if (!EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, buffer.data(), needed, &needed, &count))
    return needed == 0 ? kDone : Fail(L"EnumPrintersW failed: " + std::to_wstring(GetLastError()));
  const auto* info = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) Print(OneLine(info[i].pPrinterName ? info[i].pPrinterName : L""));
  return kDone;
}

struct Command {
  const wchar_t* usage;
  std::function<int(const Args&)> run;
};

const std::map<std::wstring, Command>& Commands() {
  static const std::map<std::wstring, Command> commands = {
      {L"wait-window", {L"<window> <timeout-ms>", WaitWindow}},
      {L"wait-gone", {L"<window> <timeout-ms>", WaitGone}},
      {L"list-windows", {L"", ListWindows}},
      {L"list-children", {L"<window>", ListChildren}},
      {L"get-text", {L"<window> <control>", GetText}},
      {L"set-text", {L"<window> <control> <text>", SetText}},
      {L"click", {L"<window> <control>", Click}},
      {L"key", {L"<window> <virtual-key>", Key}},
      {L"focused", {L"<window>", Focused}},
      {L"press", {L"<window> <[ctrl+][shift+][alt+]key>...", Press}},
      {L"dpi-change", {L"<window> <dpi> <x> <y> <width> <height>", DpiChange}},
      {L"combo-items", {L"<window> <control>", ComboItems}},
      {L"select-combo", {L"<window> <control> <index>", SelectCombo}},
      {L"tabs", {L"<window>", Tabs}},
      {L"select-page", {L"<window> <index|caption>", [](const Args& a) { return SelectTabIn(a, true); }}},
      {L"select-tab", {L"<window> <index|name>", [](const Args& a) { return SelectTabIn(a, false); }}},
      {L"move-origin", {L"<window>", MoveOrigin}},
      {L"rect", {L"<window>", Rect}},
      {L"menu", {L"<window> <command-id>", Menu}},
      {L"close", {L"<window> [timeout-ms]", Close}},
      {L"post", {L"<window> <message> <wparam> <lparam>", Post}},
      {L"adapters", {L"", Adapters}},
      {L"reg-get", {L"<HKLM|HKCU\\key> <value>", RegGet}},
      {L"reg-keys", {L"<HKLM|HKCU\\key>", RegKeys}},
      {L"printers", {L"", Printers}},
      {L"set-events", {L"<seconds> <name>...", SetEvents}},
      {L"hold-file", {L"<seconds> <path>", HoldFile}},
  };
  return commands;
}

int Usage() {
  WriteTo(STD_ERROR_HANDLE, L"usage: kip_driver <command> [arguments]");
  for (const auto& [name, command] : Commands()) WriteTo(STD_ERROR_HANDLE, L"  " + name + L" " + command.usage);
  return kUsage;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return Usage();
  auto found = Commands().find(argv[1]);
  if (found == Commands().end()) return Usage();
  const Args args(argv + 2, argv + argc);
  const int status = found->second.run(args);
  if (status == kUsage)
    WriteTo(STD_ERROR_HANDLE, L"usage: kip_driver " + found->first + L" " + found->second.usage);
  return status;
}
