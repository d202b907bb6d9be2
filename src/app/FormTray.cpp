// The quick switch from the notification area: an icon whose menu lists
// the settings, the last committed one checked; choosing one commits it and
// the program carries on. While the option is on, closing the window only
// hides it; "終了" on the icon's menu ends the program.
#include "app/UkIpConfig.h"
#include "store/StoreKeys.h"
#include "ui/Prompts.h"
#include "util/Guard.h"
#include "util/kRegistry.h"

namespace kip {

namespace {

enum TrayCommand : UINT { kTrayOpen = 1, kTrayEnd = 2, kTrayFirstSetting = 16 };

}  // namespace

void TFormIpconfig::mShowTrayClick() {
  menus_.mShowTray->SetChecked(!menus_.mShowTray->Checked());
  UpdateTrayIcon();
}

int TFormIpconfig::LastCommittedTab() const {
  int index = -1;
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  if (registry.OpenKeyReadOnly(kStoreRootKey)) RunGuarded([&] { index = registry.ReadInteger(L"Setting Index"); });
  return index >= 0 && index < TabControl1.Count() ? index : -1;
}

std::wstring TFormIpconfig::TrayTip() const {
  const int last = LastCommittedTab();
  return last < 0 ? std::wstring(kApplicationTitle) : std::wstring(kApplicationTitle) + L": " + TabText(last);
}

void TFormIpconfig::UpdateTrayIcon() {
  if (!menus_.mShowTray->Checked()) {
    tray_.Remove();
    return;
  }
  tray_.Show(Handle(), kMsgTray, LoadIconW(GetModuleHandleW(nullptr), L"MAINICON"), TrayTip());
}

void TFormIpconfig::OnTrayEvent(LPARAM event) {
  if (event == WM_LBUTTONDBLCLK) ShowFromTray();
  if (event == WM_RBUTTONUP || event == WM_CONTEXTMENU) ShowTrayMenu();
}

void TFormIpconfig::ShowFromTray() {
  ShowWindow(Handle(), IsIconic(Handle()) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(Handle());
}

bool TFormIpconfig::TrayOffersOnlyOpen() const {
  if (committing_ || SyncBusy || !IsWindowEnabled(Handle())) return true;
  // A dialog of the window is open (the address dialogs wait without
  // disabling it): a commit or an end now would cut across it.
  struct Search {
    HWND owner;
    bool found;
  } search{Handle(), false};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM context) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(context);
        const bool dialog = (GetWindowLongPtrW(window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
        s.found = window != s.owner && dialog && IsWindowVisible(window) && GetWindow(window, GW_OWNER) == s.owner;
        return !s.found;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void TFormIpconfig::ShowTrayMenu() {
  UniqueHMenu menu(CreatePopupMenu());
  if (!menu) return;
  if (!TrayOffersOnlyOpen()) {
    const int last = LastCommittedTab();
    for (int i = 0; i < TabControl1.Count(); ++i) {
      AppendMenuW(menu.get(), MF_STRING | (i == last ? MF_CHECKED : 0), kTrayFirstSetting + static_cast<UINT>(i),
                  TabText(i).c_str());
    }
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
  }
  AppendMenuW(menu.get(), MF_STRING, kTrayOpen, L"開く");
  if (!TrayOffersOnlyOpen()) AppendMenuW(menu.get(), MF_STRING, kTrayEnd, L"終了");
  POINT at{};
  GetCursorPos(&at);
  // The menu closes when the user clicks elsewhere only if the window is
  // in front.
  SetForegroundWindow(Handle());
  const UINT command = static_cast<UINT>(
      TrackPopupMenuEx(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, Handle(), nullptr));
  PostMessageW(Handle(), WM_NULL, 0, 0);
  RunTrayCommand(command);
}

// Carries out an item of the icon's menu.
void TFormIpconfig::RunTrayCommand(UINT command) {
  if (command == kTrayOpen) ShowFromTray();
  // The window may have become busy while the menu was open.
  if (TrayOffersOnlyOpen()) return;
  if (command == kTrayEnd) EndProgram();
  if (command >= kTrayFirstSetting) CommitFromTray(static_cast<int>(command - kTrayFirstSetting));
}

void TFormIpconfig::CommitFromTray(int tab) {
  if (TrayOffersOnlyOpen() || tab < 0 || tab >= TabControl1.Count()) return;
  TabControl1.SetTabIndex(tab);
  TabControl1Change();
  // No exit choice follows: the program carries on, as with "続ける".
  RunWhileCommitting([this] { CommitShownSetting(CommitKind::Tray); });
  UpdateTrayIcon();
}

void TFormIpconfig::EndProgram() {
  endRequested_ = true;
  PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

// True (and the icon shown again) for Explorer's restart broadcast.
bool TFormIpconfig::OnTaskbarMessage(UINT message) {
  if (!tray_.TaskbarRestarted(message)) return false;
  UpdateTrayIcon();
  return true;
}

// True (and the window hidden) when a close only hides the window.
bool TFormIpconfig::HideToTrayInsteadOfClosing() {
  if (endRequested_ || !menus_.mShowTray->Checked() || !tray_.Shown()) return false;
  ShowWindow(Handle(), SW_HIDE);
  return true;
}

}  // namespace kip
