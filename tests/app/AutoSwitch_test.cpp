// The setting follows the network, as the resident program runs it: a
// settled network waits while the window is busy, is offered once, and a
// click commits; nothing is read where no rule exists. Through the window:
// the page's rule reaches the store, and "ログオン時に起動" registers and
// removes the logon task.
#include "app/AutoSwitch.h"

#include <gtest/gtest.h>

#include "apply/LogonTask.h"
#include "app/pages/AutoSwitchPage.h"
#include "store/SettingStore.h"
#include "store/StoreKeys.h"
#include "support/FormFixture.h"
#include "support/ScratchFolder.h"
#include "util/Files.h"

namespace kip {
namespace {

struct FakeHost : AutoSwitch::Host {
  bool busy = false;
  StringList offers, commits;
  bool Busy() override { return busy; }
  bool HoldsUnsavedEdits() override { return false; }
  void ShowOffer(const std::wstring& text) override { offers.push_back(text); }
  bool CommitWithReturn(const std::wstring& name) override {
    commits.push_back(name);
    return true;
  }
  std::wstring Choose(const StringList& names) override { return names.back(); }
};

PresentNetworks Behind(const std::wstring& gateway) {
  PresentNetworks present;
  NetworkCard card;
  card.cardId = L"{card}";
  card.linkUp = true;
  card.gateways = {{gateway, L"00-1A-2B-3C-4D-5E"}};
  present.cards = {card};
  return present;
}

StringList LogLines(const std::wstring& path) {
  StringList lines;
  for (const std::wstring& line : SplitLines(FromUtf8(ReadWholeFile(path)))) {
    lines.push_back(line.substr(line.find(L'\t') + 1));  // without the time
  }
  return lines;
}

TEST(AutoSwitch, ASettledNetworkWaitsForTheWindowIsOfferedOnceAndCommitsOnTheClick) {
  test::ScratchFolder folder;
  FakeHost host;
  uint64_t now = 0;
  std::wstring gateway = L"10.0.0.1";
  int reads = 0;
  AutoSwitch::Options options;
  options.stepLogPath = folder / L"steps.log";
  options.clock = [&] { return now; };
  options.readNetworks = [&] {
    ++reads;
    return Behind(gateway);
  };
  SwitchRule office;
  office.gateway = L"192.168.10.1";
  options.readRules = [&](StringList& notes) {
    notes.push_back(L"設定[旧]の自動切替の条件を無視しました: Gateway: IPv4 アドレスではありません");
    return std::vector<NamedRule>{{L"会社", office}};
  };
  AutoSwitch switcher(host, nullptr, options);

  // Each step: the time, the gateway seen, whether the window is busy, and
  // the offers shown so far.
  const struct {
    uint64_t at;
    const wchar_t* gateway;
    bool busy;
    size_t offers;
  } steps[] = {
      {0, L"10.0.0.1", false, 0},        {2000, L"10.0.0.1", false, 0},     // settles: no rule matches
      {3000, L"192.168.10.1", false, 0}, {4000, L"192.168.10.1", true, 0},  // not yet settled
      {5000, L"192.168.10.1", true, 0},  {6000, L"192.168.10.1", true, 0},  // settled while busy: waits
      {7000, L"192.168.10.1", false, 1}, {8000, L"192.168.10.1", false, 1},
      {11000, L"192.168.10.1", false, 1},  // a read later, the same: no second offer
  };
  for (const auto& step : steps) {
    now = step.at;
    gateway = step.gateway;
    host.busy = step.busy;
    switcher.Tick();
    EXPECT_EQ(host.offers.size(), step.offers) << "at " << step.at;
  }
  EXPECT_EQ(host.offers, StringList{L"会社 のネットワークです. 反映しますか?"});
  host.busy = true;
  switcher.OfferClicked();
  EXPECT_TRUE(host.commits.empty()) << "no commit while the window is busy";
  host.busy = false;
  switcher.OfferClicked();
  switcher.OfferClicked();
  EXPECT_EQ(host.commits, StringList{L"会社"}) << "one click, one commit";

  const StringList log = LogLines(options.stepLogPath);
  const StringList expected = {
      L"設定[旧]の自動切替の条件を無視しました: Gateway: IPv4 アドレスではありません\t無視",
      L"ネットワークを認識しました: 該当する設定なし\t",
      L"ネットワークを認識しました: 会社\t",
      L"会社 のネットワークです. 反映しますか?\t通知",
      L"自動切替: 設定[会社]を確認付きで反映します\t",
      L"自動切替: 設定[会社]を確認付きで反映しました\tOK",
  };
  EXPECT_EQ(log, expected) << "the damaged rule is noted once, though the rules were read again";
  EXPECT_GT(reads, 0);
}

TEST(AutoSwitch, WithoutARuleTheNetworksAreNeverRead) {
  FakeHost host;
  uint64_t now = 0;
  int reads = 0;
  AutoSwitch::Options options;
  options.clock = [&] { return now; };
  options.readNetworks = [&] {
    ++reads;
    return PresentNetworks{};
  };
  options.readRules = [](StringList&) { return std::vector<NamedRule>{}; };
  AutoSwitch switcher(host, nullptr, options);
  for (now = 0; now < 30000; now += 1000) switcher.Tick();
  EXPECT_EQ(reads, 0);
}

struct RecordingLogonTask : LogonTask {
  StringList* calls;
  bool succeeds;
  RecordingLogonTask(StringList* c, bool s) : calls(c), succeeds(s) {}
  bool Register(const std::wstring& program, const std::wstring& arguments) override {
    calls->push_back(L"register \"" + program + L"\" " + arguments);
    return succeeds;
  }
  bool Remove() override {
    calls->push_back(L"remove");
    return succeeds;
  }
};

class AutoSwitchPageTest : public FormTest {
 protected:
  static constexpr int kPage = 8;  // "自動切替", after IPv6
  StringList calls;
  bool taskSucceeds = true;
  test::ScratchFolder folder;
};

TEST_F(AutoSwitchPageTest, TheRuleIsSavedWithTheSettingAndTheLogonTaskFollowsItsBox) {
  programPath = folder / L"kIpCnfg.exe";
  adjustEnvironment = [this](FormEnvironment& environment) {
    environment.createLogonTask = [this] { return std::make_unique<RecordingLogonTask>(&calls, taskSucceeds); };
  };
  TFormIpconfig& form = MakeForm();
  const std::wstring card = L"{00000002-0000-0000-0000-4E6574446576}";
  form.Editor().SetCards({card}, {L"LAN"});
  SetString(HKEY_LOCAL_MACHINE, std::wstring(kStoreRootKey) + L"\\会社", L"Machine Name", L"PC");
  form.Editor().Open(ListSettingNames());

  TypeOnPage(form, kPage, IDE_SwitchGateway, L" 192.168.10.1 ");
  ClickPageItem(form, kPage, IDX_SwitchWithoutAsking);
  EXPECT_TRUE(form.Editor().Modified());
  ASSERT_TRUE(form.Editor().Save());
  const std::wstring rule = std::wstring(kStoreRootKey) + L"\\会社\\AutoSwitch";
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, rule, L"Gateway"), L"192.168.10.1");
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, rule, L"CommitWithoutAsking"), 1u);

  const std::wstring option = std::wstring(kOptionsKey);
  // The box's clicks: the task registered, a failed removal keeps the box
  // and the option ticked, then the removal.
  ClickPageItem(form, kPage, IDX_SwitchAtLogon);
  taskSucceeds = false;
  ClickPageItem(form, kPage, IDX_SwitchAtLogon);
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, option, L"AutoSwitch_AtLogon"), 1u);
  EXPECT_EQ(SendMessageW(PageItem(form, kPage, IDX_SwitchAtLogon), BM_GETCHECK, 0, 0), BST_CHECKED);
  taskSucceeds = true;
  ClickPageItem(form, kPage, IDX_SwitchAtLogon);
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, option, L"AutoSwitch_AtLogon"), 0u);
  const StringList expected = {L"register \"" + programPath + L"\" /resident", L"remove", L"remove"};
  EXPECT_EQ(calls, expected);
}

}  // namespace
}  // namespace kip
