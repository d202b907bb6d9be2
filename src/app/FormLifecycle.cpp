// Creation, the one-time start-up (the load, then the command line) and
// closing of the main window; window placement and options are remembered
// between runs.
#include <algorithm>
#include <optional>

#include "app/UkIpConfig.h"
#include "app/DeployArgs.h"
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

// Posted to itself: the start-up runs from the queue, never inside the
// activation (its message boxes activate the window), and for a window that
// is never activated (started minimised, hidden or in the notification area)
// once the queue reaches it.
constexpr UINT kMsgStartup = WM_APP + 1;

constexpr wchar_t kLanguageFileVersion[] = L"1.15.0.0";

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
  // The version's numbers from the start; what it means for the user the
  // start-up says.
  if (OSVERSIONINFOEXW info{}; env_.queryVersion(info)) windows_ = info;
  const WindowsVerdict verdict = JudgeWindows(windows_ ? &*windows_ : nullptr, true);
  osMajor_ = verdict.major;
  osMinor_ = verdict.minor;
  editor_.SetOsMajorVersion(osMajor_);
  // Before any page is built: the window opens on the page it was closed on
  // and builds that one only.
  options_ = ReadFrameOptions(FrameOptions{}, PageControl1.PageCount());
  ShowOptions();
  // Started with a command line or into the notification area: the window
  // may never be activated, so the start-up is queued now.
  if (env_.resident || HasCommandLine()) PostStartup();
}

void TFormIpconfig::ShowOptions() {
  menus_.mOSCheck->SetChecked(options_.osCheck);
  menus_.mShowExitWin->SetChecked(options_.showExitWindow);
  menus_.mShowTray->SetChecked(options_.showTray);
  menus_.mPreviewFirst->SetChecked(options_.previewFirst);
  PageControl1.SetActivePageIndex(options_.page);
  BuildPage(PageControl1.ActivePageIndex());
}

bool TFormIpconfig::HasCommandLine() const { return !env_.arguments.empty() && !env_.arguments[0].empty(); }

void TFormIpconfig::ShowException(const std::wstring& message) {
  if (!StatusBar1.Handle()) return;
  StatusBar1.SetStatus(message);
  StatusBar1.SetHint(message);
}

LRESULT TFormIpconfig::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // Explorer's restart is a registered message, not a constant.
  if (tray_.OnTaskbarMessage(message)) return 0;
  switch (message) {
    case kMsgStartup:
      return OnStartupMessage();
    case TrayMenu::kMessage:
      return OnTrayMessage(lParam);
    case WM_SETCURSOR:
      if (OnSetCursor(lParam)) return TRUE;
      break;
    case WM_COMMAND:
      if (HoldsCommand(wParam, lParam)) return 0;
      break;
    default:
      break;
  }
  return Form::HandleMessage(message, wParam, lParam);
}

LRESULT TFormIpconfig::OnStartupMessage() {
  startupPosted_ = false;
  Guarded([this] { RunStartup(); });
  return 0;
}

LRESULT TFormIpconfig::OnTrayMessage(LPARAM event) {
  Guarded([&] { tray_.OnEvent(event); });
  return 0;
}

// The wait cursor over a window that is committing.
bool TFormIpconfig::OnSetCursor(LPARAM hitTest) {
  return LOWORD(hitTest) == HTCLIENT && ShowWaitCursorWhileCommitting();
}

// Menus and accelerators (no control handle) wait while a commit runs.
bool TFormIpconfig::HoldsCommand(WPARAM wParam, LPARAM lParam) const {
  return lParam == 0 && committing_ && !CommandAllowedWhileCommitting(LOWORD(wParam));
}

void TFormIpconfig::OnActivated() {
  if (!startedUp_) PostStartup();
}

void TFormIpconfig::PostStartup() {
  if (!startupPosted_) startupPosted_ = PostMessageW(Handle(), kMsgStartup, 0, 0) != FALSE;
}

void TFormIpconfig::RunStartup() {
  if (startedUp_) return;
  startedUp_ = true;
  UpdateWindow(Handle());
  // A question in a window nobody sees would hold a hidden start for ever.
  if (IsWindowVisible(Handle())) Guarded([this] { CheckLanguageFile(); });
  bool loaded = false;
  Guarded([&] { loaded = LoadAtStartup(); });
  if (HasCommandLine() && !FinishCommandLine(loaded)) return;
  // Started to sit in the notification area, where the user turned that
  // off: the window is the only way in.
  if (env_.resident && !tray_.IconShown()) Show();
}

// The command line's run, and the end of the window it was started for:
// however the run ended, unless "/n" keeps the window for the user. True
// when the window stays.
bool TFormIpconfig::FinishCommandLine(bool loaded) {
  // A start-up load that stopped half-way never leads to a commit.
  if (loaded) {
    Guarded([this] { RunCommandLine(); });
  } else {
    commandLineExitCode_ = kExitFailed;
  }
  if (ParseCommandLine(env_.arguments).keepWindowOpen) return true;
  tray_.EndProgram();
  return false;
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
  tray_.SetWanted(options_.showTray);
  CheckWindowsVersion();
  {
    ProfileScope phase("ListPrinters");
    RunGuarded([this] { ListPrinters(); });
  }
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

void TFormIpconfig::CheckWindowsVersion() {
  const WindowsVerdict verdict = JudgeWindows(windows_ ? &*windows_ : nullptr, options_.osCheck);
  if (!verdict.message.empty()) Ask().ShowMessage(verdict.message);
  options_.osCheck = verdict.osCheck;
  menus_.mOSCheck->SetChecked(options_.osCheck);
  // The rest of the start-up load still runs; the window closes afterwards.
  if (!verdict.supported) PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

bool TFormIpconfig::FormCloseQuery() {
  if (HoldCloseWhileCommitting()) return false;
  if (tray_.HideInsteadOfClosing()) return false;
  return editor_.MayClose();
}

void TFormIpconfig::FormClose() {
  joinCancelled_ = true;
  WritePlacement();
  options_.page = PageControl1.ActivePageIndex();
  WriteClosingOptions(options_);
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

}  // namespace kip
