// Seams of the main window where the setting store, the commit and the
// readers of the machine-wide values attach. Until they do, the window shows
// the live values of the selected card and stores nothing.
#include "app/UkIpConfig.h"

namespace kip {

void TFormIpconfig::LoadSetting() {
  // A list without a selection shows its first entry.
  if (TabControl1.TabIndex() < 0 && TabControl1.Count() > 0) TabControl1.SetTabIndex(0);
  if (ComboDescription.ItemIndex() < 0 && ComboDescription.Count() > 0) ComboDescription.SetItemIndex(0);
  std::wstring cardId = SelectedCardId();
  if (!cardId.empty()) ReadLiveInterface(cardId);
  ShownCardIndex = ComboDescription.ItemIndex();
  Modified = false;
}

void TFormIpconfig::RefreshCardDescriptions() {}

void TFormIpconfig::NewSetting() {}

void TFormIpconfig::SaveSetting(const std::wstring& /*settingName*/, const std::wstring& /*cardId*/) {
  Modified = false;
}

void TFormIpconfig::ComboDescriptionChange() {
  if (SyncBusy) return;
  SyncBusy = true;
  try {
    LoadSetting();
  } catch (...) {
    SyncBusy = false;
    throw;
  }
  SyncBusy = false;
}

void TFormIpconfig::TabControl1Change() { ShownSettingIndex = TabControl1.TabIndex(); }

void TFormIpconfig::RunCommandLine() {}

void TFormIpconfig::ListPrinters() {}

void TFormIpconfig::ReadFirewallState() {}

std::wstring TFormIpconfig::ReadTcpipParameters() { return {}; }

}  // namespace kip
