// What the main window remembers between runs besides its placement: the
// menus' options, the page shown and what follows a commit; and the check of
// the Windows it runs on. Plain values in, plain values out: no window.
#pragma once

#include <windows.h>

#include <string>

#include "apply/ExitWin32.h"

namespace kip {

struct FrameOptions {
  bool osCheck = false;         // "OSのバージョンをチェックしない"
  bool showExitWindow = false;  // "終了ウィンドウを表示"
  int page = 0;                 // the page shown
  bool showTray = false;        // "通知領域に表示する"
  bool previewFirst = false;    // "反映前に確認する"
  int returnSeconds = 60;       // before an unanswered automatic return goes back
  int exitChoice = kDefaultExitChoice;  // what follows a commit ("Shutdown Index")
  bool operator==(const FrameOptions&) const = default;
};

inline constexpr int kMinReturnSeconds = 5;
inline constexpr int kMaxReturnSeconds = 3600;
bool IsReturnSeconds(long long seconds);

// The stored options laid over `options` (the window's as it was created);
// a page outside [0, pageCount) is not taken.
FrameOptions ReadFrameOptions(FrameOptions options, int pageCount);
// What the window stores as it closes (the check marks, the page, the icon).
void WriteClosingOptions(const FrameOptions& options);
// The two options of a commit with automatic return, stored when changed.
void WritePreviewFirst(bool on);
void WriteReturnSeconds(int seconds);
// "ログオン時に起動", as last registered.
bool ReadAtLogonOption();
void WriteAtLogonOption(bool atLogon);

// What the start-up makes of the Windows it runs on. `info` is null when it
// could not be asked.
struct WindowsVerdict {
  DWORD major = 0, minor = 0;  // 0: not the NT family
  std::wstring message;        // shown to the user; empty: none
  bool supported = false;      // false: the window closes after the start-up
  bool osCheck = false;        // the option afterwards: a newer Windows is warned about once
};
WindowsVerdict JudgeWindows(const OSVERSIONINFOEXW* info, bool osCheck);

}  // namespace kip
