// The setting follows the network, as the window takes part in it: the page
// "自動切替" loaded and saved with the setting, the two options of living in
// the notification area, and the recogniser running while the icon is
// shown, which offers through the icon and commits through the window's own
// commit with automatic return.
#include "app/FormSafeSwitch.h"
#include "app/UkIpConfig.h"
#include "apply/AutoReturn.h"
#include "store/SettingNames.h"
#include "util/Files.h"
#include "util/Guard.h"

namespace kip {

namespace {

constexpr wchar_t kLogonTaskFailed[] = L"ログオン時に起動するタスクを登録できませんでした.";
constexpr wchar_t kLogonTaskNotRemoved[] = L"ログオン時に起動するタスクを削除できませんでした.";

}  // namespace

// What the recogniser asks of the window.
class TFormIpconfig::AutoSwitchHost final : public AutoSwitch::Host {
 public:
  explicit AutoSwitchHost(TFormIpconfig& form) : form_(form) {}
  bool Busy() override { return form_.tray_.OffersOnlyOpen() || ReturnPending(); }
  bool HoldsUnsavedEdits() override { return form_.editor_.Modified(); }
  void ShowOffer(const std::wstring& text) override { form_.tray_.ShowBalloon(text); }
  bool CommitWithReturn(const std::wstring& settingName) override { return form_.CommitSettingWithReturn(settingName); }
  std::wstring Choose(const StringList& settingNames) override { return form_.ChooseSettingToCommit(settingNames); }

 private:
  TFormIpconfig& form_;
};

void TFormIpconfig::WireAutoSwitchPage() {
  pages_.autoSwitch.PresentRule = [] { return RuleFromPresent(ReadPresentNetworks(CreateWlanReader().get())); };
  pages_.autoSwitch.OnOptionsClick = [this](const ResidentOptions& options) { ResidentOptionsClicked(options); };
}

ResidentOptions TFormIpconfig::ReadResidentOptions() const {
  return {menus_.mShowTray && menus_.mShowTray->Checked(), ReadAtLogonOption()};
}

// A save may have changed a rule.
void TFormIpconfig::Saved() {
  if (autoSwitch_) autoSwitch_->RulesChanged();
}

void TFormIpconfig::TrayIconChanged() { SyncAutoSwitch(); }

// "通知領域に常駐" is the icon's own option; "ログオン時に起動" registers the
// task that starts the program in the notification area.
void TFormIpconfig::ResidentOptionsClicked(const ResidentOptions& options) {
  if (options.resident != menus_.mShowTray->Checked()) menus_.mShowTray->OnClick();
  const bool atLogon = ReadResidentOptions().atLogon;
  if (options.atLogon != atLogon) {
    std::unique_ptr<LogonTask> task = env_.createLogonTask ? env_.createLogonTask() : CreateTaskSchedulerLogonTask();
    bool done = false;
    RunGuarded([&] {
      done = options.atLogon ? task->Register(ProgramPath(), kResidentSwitch) : task->Remove();
    });
    if (done) {
      WriteAtLogonOption(options.atLogon);
    } else {
      ShowException(options.atLogon ? kLogonTaskFailed : kLogonTaskNotRemoved);
    }
  }
  pages_.autoSwitch.ShowOptions(ReadResidentOptions());
}

// The recogniser runs exactly while the icon is shown.
void TFormIpconfig::SyncAutoSwitch() {
  pages_.autoSwitch.ShowOptions(ReadResidentOptions());
  if (!tray_.IconShown()) {
    autoSwitch_.reset();
    return;
  }
  if (autoSwitch_) return;
  if (!autoSwitchHost_) autoSwitchHost_ = std::make_unique<AutoSwitchHost>(*this);
  AutoSwitch::Options options;
  // Without "/log" the recognitions go to a log of their own beside the
  // program: a switch nobody asked for must leave a trace.
  options.stepLogPath = env_.stepLogPath.empty() ? ChangeFileExt(ProgramPath(), L".switch.log") : env_.stepLogPath;
  autoSwitch_ = std::make_unique<AutoSwitch>(*autoSwitchHost_, Handle(), std::move(options));
}

void TFormIpconfig::SwitchCommittedByHand() {
  if (autoSwitch_ && !autoCommitting_) autoSwitch_->CommittedByHand();
}

void TFormIpconfig::OfferClicked() {
  if (autoSwitch_) autoSwitch_->OfferClicked();
}

bool TFormIpconfig::CommitSettingWithReturn(const std::wstring& settingName) {
  const int tab = FindSettingName(editor_.Names(), settingName);
  if (tab < 0 || tray_.OffersOnlyOpen()) return false;
  editor_.SelectSetting(tab);
  bool committed = false;
  autoCommitting_ = true;
  RunThenAlways([&] { RunWhileCommitting([&] { committed = CommitShownSetting(CommitKind::WithReturn); }); },
                [this] { autoCommitting_ = false; });
  return committed;
}

// Settings that tie: a menu at the icon names them.
std::wstring TFormIpconfig::ChooseSettingToCommit(const StringList& settingNames) {
  UniqueHMenu menu(CreatePopupMenu());
  if (!menu) return {};
  for (size_t i = 0; i < settingNames.size(); ++i) {
    AppendMenuW(menu.get(), MF_STRING, static_cast<UINT>(i + 1), settingNames[i].c_str());
  }
  const UINT chosen = TrackMenuAtCursor(menu.get(), Handle());
  if (chosen == 0 || chosen > settingNames.size()) return {};
  return settingNames[chosen - 1];
}

}  // namespace kip
