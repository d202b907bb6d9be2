// Creation, first activation, the one-time start-up load and closing of the
// main window; window placement and options are remembered between runs.
#include <algorithm>
#include <optional>

#include "app/UkIpConfig.h"
#include "app/WindowPlacement.h"
#include "ui/UAbout.h"
#include "store/SettingStore.h"
#include "store/Snapshot.h"
#include "store/StoreKeys.h"
#include "util/kRegistry.h"
#include "util/FileInfo.h"
#include "util/Files.h"
#include "util/Guard.h"
#include "util/Profile.h"
#include "util/WindowsVersion.h"

namespace kip {

namespace {

// Posted to itself: run the start-up load (after activation, or when the
// program started with a command line and was never activated).
constexpr UINT kMsgStartup = WM_APP + 1;
constexpr UINT kMsgIdleStartup = WM_APP + 2;

constexpr wchar_t kLanguageFileVersion[] = L"1.15.0.0";
constexpr DWORD kPlatformNt = VER_PLATFORM_WIN32_NT;


}  // namespace

TFormIpconfig::TFormIpconfig(FormEnvironment environment) : env_(std::move(environment)) {
  if (!env_.queryVersion) env_.queryVersion = QueryWindowsVersion;
  if (!env_.monitorWorkAreas) env_.monitorWorkAreas = MonitorWorkAreas;
  editor_.SetProgramFolder(ProgramFolder());
}

TFormIpconfig::~TFormIpconfig() {
  about_.reset();
  SetExceptionHook(nullptr);
  if (Handle() && IsWindow(Handle())) DestroyWindow(Handle());
}

Prompts& TFormIpconfig::Ask() {
  if (env_.prompts) return *env_.prompts;
  if (!ownPrompts_) ownPrompts_ = CreateMessageBoxPrompts(Handle());
  return *ownPrompts_;
}

std::wstring TFormIpconfig::ProgramPath() const {
  return env_.programPath.empty() ? kip::ProgramPath() : env_.programPath;
}

void TFormIpconfig::Create() {
  ProfileScope phase("CreateMainWindow");
  CreateControls();
  SetMainWindow(true);
  FormCreate();
}

void TFormIpconfig::FormCreate() {
  SetExceptionHook([this](const std::wstring& message) { ShowException(message); });
  ExitChoice = 2;
  // Started with a command line, perhaps minimised and never activated: the
  // start-up load then runs once the queue is idle.
  if (env_.resident || (!env_.arguments.empty() && !env_.arguments[0].empty())) {
    PostMessageW(Handle(), kMsgIdleStartup, 0, 0);
  }
}

void TFormIpconfig::ShowException(const std::wstring& message) {
  if (!StatusBar1.Handle()) return;
  StatusBar1.SetStatus(message);
  StatusBar1.SetHint(message);
}

LRESULT TFormIpconfig::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kMsgStartup) {
    startupPosted_ = false;
    if (!StartupDone) Guarded([this] { FormActivate(); });
    return 0;
  }
  if (message == TrayMenu::kMessage) {
    Guarded([&] { tray_.OnEvent(lParam); });
    return 0;
  }
  if (tray_.OnTaskbarMessage(message)) return 0;
  if (message == kMsgIdleStartup) {
    // Only for a window that was never activated (started minimised): an
    // activation has already queued the start-up load of its own.
    if (!StartupDone && !startupPosted_) {
      StartupDone = true;
      UpdateWindow(Handle());
      // The command line commits: never after a start-up load that stopped
      // half-way.
      bool loaded = false;
      Guarded([&] { loaded = LoadAtStartup(); });
      const bool commandLine = !env_.arguments.empty() && !env_.arguments[0].empty();
      if (loaded && commandLine) Guarded([this] { RunCommandLine(); });
      // Started to sit in the notification area, where the user turned that
      // off: the window is the only way in.
      if (env_.resident && !tray_.IconShown()) Show();
    }
    return 0;
  }
  if (message == WM_SETCURSOR && LOWORD(lParam) == HTCLIENT && ShowWaitCursorWhileCommitting()) return TRUE;
  // Menus and accelerators (no control handle) wait while a commit runs.
  if (message == WM_COMMAND && lParam == 0 && committing_ && !CommandAllowedWhileCommitting(LOWORD(wParam))) {
    return 0;
  }
  // The start-up load runs from a posted message so that it never runs inside
  // the activation itself (its message boxes activate the window).
  if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE && !StartupDone && !startupPosted_) {
    startupPosted_ = PostMessageW(Handle(), kMsgStartup, 0, 0) != FALSE;
  }
  return Form::HandleMessage(message, wParam, lParam);
}

void TFormIpconfig::FormActivate() {
  if (StartupDone) return;
  StartupDone = true;
  UpdateWindow(Handle());
  CheckLanguageFile();
  LoadAtStartup();
  if (env_.arguments.empty() || env_.arguments[0].empty()) return;
  // "/n" or "-n", in either place, keeps the window for the user.
  bool stayOpen = KeepsWindowOpen(ParseCommandLine(env_.arguments));
  try {
    RunCommandLine();
  } catch (...) {
    if (!stayOpen) tray_.EndProgram();
    throw;
  }
  if (!stayOpen) tray_.EndProgram();
}

void TFormIpconfig::CheckLanguageFile() {
  std::wstring languageFile = ChangeFileExt(ProgramPath(), L".jpn");
  if (!FileExists(languageFile)) return;
  FileInfo info;
  GetFileInfo(languageFile, info);
  if (info.fileVersion != kLanguageFileVersion) {
    Ask().ShowMessage(L"違うバージョンの" + languageFile + L"があります. 削除してください.");
  }
}

bool TFormIpconfig::LoadAtStartup() {
  ProfileScope whole("LoadAtStartup");
  ReadPlacement();
  ReadOptions();
  CheckWindowsVersion();
  {
    ProfileScope phase("ListPrinters");
    RunGuarded([this] { ListPrinters(); });
  }
  editor_.SetOsMajorVersion(OSMajorVersion);
  RunGuarded([this] { editor_.ReadFirewallState(); });
  {
    ProfileScope phase("ReadTcpipParameters");
    HostsDirectory = editor_.ShowTcpipParameters();
  }
  {
    ProfileScope phase("BuildCardList");
    editor_.ListCards();
  }
  if (!editor_.CardIds().empty()) {
    StringList settingNames;
    {
      ProfileScope phase("ListSettingNames");
      RunGuarded([&] { settingNames = ListSettingNames(); });
    }
    std::future<void> labelsWritten = StartRefreshCardDescriptions(settingNames);
    {
      ProfileScope phase("LoadSetting");
      ReadExitChoice();
      RunGuarded([&] { editor_.Open(settingNames); });
    }
    ProfileScope phase("WaitForCardDescriptions");
    labelsWritten.wait();
  } else {
    StatusBar1.SetStatus(L"ネットワーク設定がみつかりません.");
  }
  actions_.undoOtherLan.SetEnabled(FileExists(kUndoFileName));
  return true;
}

void TFormIpconfig::ReadExitChoice() {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  if (registry.OpenKeyReadOnly(kStoreRootKey)) ExitChoice = registry.TryReadInteger(L"Shutdown Index").value_or(2);
}

void TFormIpconfig::ReadPlacement() {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKeyReadOnly(kStoreRootKey)) return;
  std::optional<int> top = registry.TryReadInteger(L"Top");
  std::optional<int> left = registry.TryReadInteger(L"Left");
  std::optional<int> state = registry.TryReadInteger(L"WindowState");
  registry.CloseKey();

  if (top || left) {
    RECT window{};
    GetWindowRect(Handle(), &window);
    int newLeft = left.value_or(window.left);
    int newTop = top.value_or(window.top);
    RECT moved{newLeft, newTop, newLeft + (window.right - window.left), newTop + (window.bottom - window.top)};
    // A position on a monitor that is gone would hide the window: keep the
    // centred position then.
    if (IsPlacementVisible(moved, env_.monitorWorkAreas(), GetSystemMetrics(SM_CYCAPTION))) {
      SetPosition(newLeft, newTop);
    }
  }
  if (state && *state == 1) Maximize();
}

void TFormIpconfig::ReadOptions() {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKeyReadOnly(kOptionsKey)) return;
  // One guard in this order: a missing value leaves it and the ones after it
  // as the window was created.
  RunGuarded([&] {
    menus_.mOSCheck->SetChecked(registry.ReadInteger(L"mOSCheck_Checked") != 0);
    menus_.mShowExitWin->SetChecked(registry.ReadInteger(L"mShowExitWin_Checked") != 0);
    int page = registry.ReadInteger(L"PageControl1_ActivePageIndex");
    if (page >= 0 && page < PageControl1.PageCount()) PageControl1.SetActivePageIndex(page);
  });
  // On its own: stores written before the option have no value for it.
  if (std::optional<int> tray = registry.TryReadInteger(L"mShowTray_Checked")) {
    menus_.mShowTray->SetChecked(*tray != 0);
  }
  registry.CloseKey();
  tray_.SetWanted(menus_.mShowTray->Checked());
  ReadSafeSwitchOptions();
}

void TFormIpconfig::CheckWindowsVersion() {
  OSVERSIONINFOEXW info{};
  if (env_.queryVersion(info) && info.dwPlatformId == kPlatformNt) {
    OSMajorVersion = info.dwMajorVersion;
    OSMinorVersion = info.dwMinorVersion;
    if (OSMajorVersion > 6 && !menus_.mOSCheck->Checked()) {
      Ask().ShowMessage(L"このWindowsバージョンで動作確認をしていませんが、よろしいでしょうか.");
      menus_.mOSCheck->SetChecked(true);
    }
    return;
  }
  Ask().ShowMessage(L"これはWindows2000, XP, 7専用です.");
  // The rest of the start-up load still runs; the window closes afterwards.
  PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

void TFormIpconfig::mOSCheckClick() { menus_.mOSCheck->SetChecked(!menus_.mOSCheck->Checked()); }

bool TFormIpconfig::FormCloseQuery() {
  if (HoldCloseWhileCommitting()) return false;
  if (tray_.HideInsteadOfClosing()) return false;
  return editor_.MayClose();
}

void TFormIpconfig::FormClose() {
  JoinCancelled = true;
  WritePlacement();
  WriteOptions();
}

void TFormIpconfig::WritePlacement() {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKey(kStoreRootKey, false)) return;
  // The restored (normal) position: a maximised or minimised window's own
  // position would reopen it off its place.
  POINT position = NormalPositionOnScreen(Handle());
  RunGuarded([&] {
    registry.WriteInteger(L"Top", position.y);
    registry.WriteInteger(L"Left", position.x);
    registry.WriteInteger(L"WindowState", IsMaximized() ? 1 : 0);
  });
  registry.CloseKey();
}

void TFormIpconfig::WriteOptions() {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKey(kOptionsKey, true)) return;
  RunGuarded([&] {
    registry.WriteInteger(L"mOSCheck_Checked", menus_.mOSCheck->Checked() ? 1 : 0);
    registry.WriteInteger(L"mShowExitWin_Checked", menus_.mShowExitWin->Checked() ? 1 : 0);
    registry.WriteInteger(L"PageControl1_ActivePageIndex", PageControl1.ActivePageIndex());
  });
  RunGuarded([&] { registry.WriteInteger(L"mShowTray_Checked", menus_.mShowTray->Checked() ? 1 : 0); });
  registry.CloseKey();
}

void TFormIpconfig::FormDestroy() {}

}  // namespace kip
