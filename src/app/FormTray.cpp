// The quick switch from the notification area: an icon whose menu lists
// the settings, the last committed one checked; choosing one commits it and
// the program carries on. While the option is on, closing the window only
// hides it; "終了" on the icon's menu ends the program.
#include "app/FormTray.h"

#include <shellapi.h>

#include "store/StoreKeys.h"
#include "ui/Prompts.h"
#include "util/kRegistry.h"

namespace kip {

namespace {

enum TrayCommand : UINT { kTrayOpen = 1, kTrayEnd = 2, kTrayFirstSetting = 16 };

}  // namespace

UINT TrackMenuAtCursor(HMENU menu, HWND window) {
  POINT at{};
  GetCursorPos(&at);
  // The menu closes when the user clicks elsewhere only if the window is
  // in front.
  SetForegroundWindow(window);
  const UINT command = static_cast<UINT>(TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, window, nullptr));
  PostMessageW(window, WM_NULL, 0, 0);
  return command;
}

void TrayMenu::SetWanted(bool wanted) {
  wanted_ = wanted;
  Update();
}

StringList TrayMenu::Settings() const { return owner_.TraySettings().value_or(StringList{}); }

int TrayMenu::LastCommittedTab() const {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  const int index = registry.OpenKeyReadOnly(kStoreRootKey) ? registry.TryReadInteger(L"Setting Index").value_or(-1) : -1;
  return index >= 0 && index < static_cast<int>(Settings().size()) ? index : -1;
}

std::wstring TrayMenu::Tip() const {
  const int last = LastCommittedTab();
  return last < 0 ? std::wstring(kApplicationTitle)
                  : std::wstring(kApplicationTitle) + L": " + Settings()[static_cast<size_t>(last)];
}

void TrayMenu::Update() {
  if (!wanted_) {
    icon_.Remove();
  } else {
    icon_.Show(window_.Handle(), kMessage, LoadIconW(GetModuleHandleW(nullptr), L"MAINICON"), Tip());
  }
  owner_.TrayIconChanged();  // the recogniser runs while the icon is shown
}

void TrayMenu::ShowBalloon(const std::wstring& text) { icon_.ShowBalloon(kApplicationTitle, text); }

void TrayMenu::OnEvent(LPARAM event) {
  if (event == NIN_BALLOONUSERCLICK) owner_.OfferClicked();
  if (event == WM_LBUTTONDBLCLK) ShowWindowAgain();
  if (event == WM_RBUTTONUP || event == WM_CONTEXTMENU) ShowMenu();
}

void TrayMenu::ShowWindowAgain() {
  const HWND window = window_.Handle();
  ShowWindow(window, IsIconic(window) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(window);
}

bool TrayMenu::OffersOnlyOpen() const {
  if (!owner_.TraySettings() || !IsWindowEnabled(window_.Handle())) return true;
  // A dialog of the window is open (the address dialogs wait without
  // disabling it): a commit or an end now would cut across it.
  struct Search {
    HWND owner;
    bool found;
  } search{window_.Handle(), false};
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

void TrayMenu::ShowMenu() {
  UniqueHMenu menu(CreatePopupMenu());
  if (!menu) return;
  if (!OffersOnlyOpen()) {
    const int last = LastCommittedTab();
    const StringList settings = Settings();
    for (size_t i = 0; i < settings.size(); ++i) {
      AppendMenuW(menu.get(), MF_STRING | (static_cast<int>(i) == last ? MF_CHECKED : 0),
                  kTrayFirstSetting + static_cast<UINT>(i), settings[i].c_str());
    }
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
  }
  AppendMenuW(menu.get(), MF_STRING, kTrayOpen, L"開く");
  if (!OffersOnlyOpen()) AppendMenuW(menu.get(), MF_STRING, kTrayEnd, L"終了");
  RunCommand(TrackMenuAtCursor(menu.get(), window_.Handle()));
}

// Carries out an item of the icon's menu.
void TrayMenu::RunCommand(UINT command) {
  if (command == kTrayOpen) ShowWindowAgain();
  // The window may have become busy while the menu was open.
  if (OffersOnlyOpen()) return;
  if (command == kTrayEnd) EndProgram();
  if (command >= kTrayFirstSetting) CommitTab(static_cast<int>(command - kTrayFirstSetting));
}

void TrayMenu::CommitTab(int tab) {
  if (OffersOnlyOpen() || tab < 0 || tab >= static_cast<int>(Settings().size())) return;
  owner_.CommitFromTray(tab);
  Update();
}

void TrayMenu::EndProgram() {
  endRequested_ = true;
  PostMessageW(window_.Handle(), WM_CLOSE, 0, 0);
}

// True (and the icon shown again) for Explorer's restart broadcast.
bool TrayMenu::OnTaskbarMessage(UINT message) {
  if (!icon_.TaskbarRestarted(message)) return false;
  Update();
  return true;
}

// True (and the window hidden) when a close only hides the window.
bool TrayMenu::HideInsteadOfClosing() {
  if (endRequested_ || !wanted_ || !icon_.Shown()) return false;
  ShowWindow(window_.Handle(), SW_HIDE);
  return true;
}

}  // namespace kip
