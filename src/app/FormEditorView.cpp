// The frame as the setting editor's view: the pages show its values, the
// setting tabs its names and the card list its cards; the frame's events go
// to the editor.
#include "app/UkIpConfig.h"
#include "store/CardMatch.h"
#include "store/SettingStore.h"
#include "util/Files.h"
#include "util/Guard.h"
#include "util/Profile.h"

namespace kip {

std::wstring TFormIpconfig::TabText(int index) const { return TabControl1.Tab(index); }

std::wstring TFormIpconfig::ProgramFolder() const { return ExtractFilePath(ProgramPath()); }

ShownSetting TFormIpconfig::Current() const {
  return {pages_.ip.Current(),       pages_.dns.Current(),   pages_.other.Current(),    pages_.internet.Current(),
          pages_.domain.Current(),   pages_.batch.Current(), pages_.firewall.Current(), pages_.ipv6.Current(),
          pages_.autoSwitch.Current()};
}

ShownSetting TFormIpconfig::Collected() const {
  return {pages_.ip.Collect(),       pages_.dns.Collect(),   pages_.other.Collect(),    pages_.internet.Collect(),
          pages_.domain.Collect(),   pages_.batch.Collect(), pages_.firewall.Collect(), pages_.ipv6.Collect(),
          pages_.autoSwitch.Collect()};
}

void TFormIpconfig::ShowValues(const ShownSetting& shown) {
  pages_.ip.Show(shown.ip);
  pages_.dns.Show(shown.dns);
  pages_.other.Show(shown.other);
  pages_.internet.Show(shown.internet);
  pages_.domain.Show(shown.domain);
  pages_.batch.Show(shown.batch);
  pages_.firewall.Show(shown.firewall);
  pages_.ipv6.Show(shown.ipv6);
  pages_.autoSwitch.Show(shown.autoSwitch);
  pages_.autoSwitch.ShowOptions(ReadResidentOptions());
}

// The tab strip and the card list follow the editor; a list that did not
// change is not filled again (hundreds of tabs).
void TFormIpconfig::SelectionChanged() {
  if (!TabControl1.Handle()) return;
  const StringList& names = editor_.Names();
  bool same = TabControl1.Count() == static_cast<int>(names.size());
  for (int i = 0; same && i < TabControl1.Count(); ++i) same = TabControl1.Tab(i) == names[static_cast<size_t>(i)];
  if (!same) {
    ProfileScope phase("FillSettingTabs");
    RunGuarded([&] { TabControl1.SetTabs(names); });
  }
  if (TabControl1.TabIndex() != editor_.ShownIndex()) TabControl1.SetTabIndex(editor_.ShownIndex());

  const StringList labels = editor_.CardLabels();
  if (ComboDescription.Count() != static_cast<int>(labels.size())) {
    ComboDescription.Clear();
    for (const auto& label : labels) ComboDescription.Add(label);
  } else {
    for (size_t i = 0; i < labels.size(); ++i) {
      if (ComboDescription.Item(static_cast<int>(i)) != labels[i]) ComboDescription.SetItem(static_cast<int>(i), labels[i]);
    }
  }
  if (ComboDescription.ItemIndex() != editor_.ShownCard()) ComboDescription.SetItemIndex(editor_.ShownCard());
  TabSheetFireWall->SetEnabled(editor_.FirewallUsable());
}

void TFormIpconfig::Report(const std::wstring& message) { ShowException(message); }

void TFormIpconfig::ShowCardNote(const std::wstring& note) {
  if (!note.empty()) {
    StatusBar1.SetStatus(note);
  } else if (IsBorrowedPartText(StatusBar1.Status())) {
    StatusBar1.SetStatus(L"");
  }
}

void TFormIpconfig::SyncSelection() { editor_.SelectSetting(TabControl1.TabIndex()); }

// Writes the present cards' labels into the listed settings on a worker
// thread; the returned future waits for it.
std::future<void> TFormIpconfig::StartRefreshCardDescriptions(StringList settingNames) {
  // Each label is a registry call per setting and card, which adds up with
  // hundreds of settings; it runs beside the filling of the tabs. Nothing
  // else writes those card keys meanwhile: the start-up load only reads the
  // shown setting, and a setting that load makes is not in the list.
  StringList labels;
  for (const auto& label : editor_.CardLabels()) labels.push_back(UnmarkedCardLabel(label));
  return std::async(std::launch::async, [names = std::move(settingNames), ids = editor_.CardIds(), labels] {
    RunGuarded([&] { kip::RefreshCardDescriptions(names, ids, labels); });
  });
}

}  // namespace kip
