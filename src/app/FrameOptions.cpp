#include "app/FrameOptions.h"

#include <optional>

#include "store/StoreKeys.h"
#include "util/Guard.h"
#include "util/kRegistry.h"

namespace kip {

namespace {

constexpr wchar_t kPreviewFirstOption[] = L"mPreviewFirst_Checked";
constexpr wchar_t kReturnSecondsOption[] = L"AutoReturn_Seconds";
constexpr wchar_t kAtLogonOption[] = L"AutoSwitch_AtLogon";

void WriteOption(const wchar_t* name, int value) {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  if (registry.OpenKey(kOptionsKey, true)) RunGuarded([&] { registry.WriteInteger(name, value); });
}

}  // namespace

bool IsReturnSeconds(long long seconds) { return seconds >= kMinReturnSeconds && seconds <= kMaxReturnSeconds; }

FrameOptions ReadFrameOptions(FrameOptions options, int pageCount) {
  options.exitChoice = StoredExitChoice();
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKeyReadOnly(kOptionsKey)) return options;
  // One guard in this order: a missing value leaves it and the ones after it
  // as the window was created.
  RunGuarded([&] {
    options.osCheck = registry.ReadInteger(L"mOSCheck_Checked") != 0;
    options.showExitWindow = registry.ReadInteger(L"mShowExitWin_Checked") != 0;
    const int page = registry.ReadInteger(L"PageControl1_ActivePageIndex");
    if (page >= 0 && page < pageCount) options.page = page;
  });
  // Each on its own: stores written before these options have no value for them.
  if (std::optional<int> tray = registry.TryReadInteger(L"mShowTray_Checked")) options.showTray = *tray != 0;
  if (std::optional<int> first = registry.TryReadInteger(kPreviewFirstOption)) options.previewFirst = *first != 0;
  if (std::optional<int> seconds = registry.TryReadInteger(kReturnSecondsOption); seconds && IsReturnSeconds(*seconds)) {
    options.returnSeconds = *seconds;
  }
  return options;
}

void WriteClosingOptions(const FrameOptions& options) {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKey(kOptionsKey, true)) return;
  RunGuarded([&] {
    registry.WriteInteger(L"mOSCheck_Checked", options.osCheck ? 1 : 0);
    registry.WriteInteger(L"mShowExitWin_Checked", options.showExitWindow ? 1 : 0);
    registry.WriteInteger(L"PageControl1_ActivePageIndex", options.page);
  });
  RunGuarded([&] { registry.WriteInteger(L"mShowTray_Checked", options.showTray ? 1 : 0); });
}

void WritePreviewFirst(bool on) { WriteOption(kPreviewFirstOption, on ? 1 : 0); }

void WriteReturnSeconds(int seconds) { WriteOption(kReturnSecondsOption, seconds); }

bool ReadAtLogonOption() {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  return registry.OpenKeyReadOnly(kOptionsKey) && registry.TryReadInteger(kAtLogonOption).value_or(0) != 0;
}

void WriteAtLogonOption(bool atLogon) { WriteOption(kAtLogonOption, atLogon ? 1 : 0); }

WindowsVerdict JudgeWindows(const OSVERSIONINFOEXW* info, bool osCheck) {
  WindowsVerdict verdict;
  verdict.osCheck = osCheck;
  if (!info || info->dwPlatformId != VER_PLATFORM_WIN32_NT) {
    verdict.message = L"これはWindows2000, XP, 7専用です.";
    return verdict;
  }
  verdict.major = info->dwMajorVersion;
  verdict.minor = info->dwMinorVersion;
  verdict.supported = true;
  if (verdict.major > 6 && !osCheck) {
    verdict.message = L"このWindowsバージョンで動作確認をしていませんが、よろしいでしょうか.";
    verdict.osCheck = true;
  }
  return verdict;
}

}  // namespace kip
