// The setting tabs through the window: what reaches the store, what the
// window shows after each command, and that no stored setting is lost.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "machine/MachineSettings.h"
#include "machine/QpPrinters.h"
#include "store/BatchFiles.h"
#include "store/SettingStore.h"
#include "store/StoreKeys.h"
#include "MainIds.h"
#include "support/FormFixture.h"
#include "support/ScratchFolder.h"
#include "util/Files.h"

namespace kip {
namespace {

const std::wstring kRoot = kStoreRootKey;
const std::wstring kCardA = L"{00000002-0000-0000-0000-4E6574446576}";
const std::wstring kCardB = L"{00000003-0000-0000-0000-4E6574446576}";
const std::wstring kLive = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\";

std::wstring Key(const std::wstring& setting) { return kRoot + L"\\" + setting; }
std::wstring CardKey(const std::wstring& setting, const std::wstring& card) { return Key(setting) + L"\\" + card; }

StringList Tabs(const TFormIpconfig& form) {
  StringList tabs;
  for (int i = 0; i < form.TabControl1.Count(); ++i) tabs.push_back(form.TabControl1.Tab(i));
  return tabs;
}

// A window with two cards whose live configuration the machine holds, and
// the program (with its batch files) in a scratch folder.
class FormSettingsTest : public FormTest {
 protected:
  void SetUp() override {
    programPath = folder_ / L"kIpCnfg.exe";
    SetMultiString(HKEY_LOCAL_MACHINE, kLive + kCardA, L"IPAddress", {L"192.168.1.10"});
    SetMultiString(HKEY_LOCAL_MACHINE, kLive + kCardA, L"SubnetMask", {L"255.255.255.0"});
    SetDword(HKEY_LOCAL_MACHINE, kLive + kCardB, L"EnableDHCP", 1);
    MakeForm();
    Form().OSMajorVersion = 6;
    Form().CardIds = {kCardA, kCardB};
    Form().ComboDescription.Add(L"LAN A");
    Form().ComboDescription.Add(L"LAN B");
  }
  // Stored settings, listed as at start-up, the first one loaded.
  void Stored(std::initializer_list<const wchar_t*> names) {
    for (const wchar_t* name : names) SetString(HKEY_LOCAL_MACHINE, Key(name), L"Machine Name", name);
    Form().LoadSettingList(ListSettingNames());
    Form().LoadSetting();
  }
  // A user's tab change, with the tab-changing reaction first.
  void ChooseTab(int index) {
    Form().TabControl1Changing();
    Form().TabControl1.SetTabIndex(index);
    Form().TabControl1Change();
  }
  test::ScratchFolder folder_;
};

TEST_F(FormSettingsTest, NewSettingStoresEveryCardLiveWithItsOwnLabelUnderTheFirstFreeName) {
  TFormIpconfig& form = Form();
  form.TabControl1.Add(L"新しい設定0");
  form.TabControl1.Add(L"新しい設定2");
  form.ComboDescription.SetItemIndex(1);
  form.NewSetting();
  EXPECT_EQ(Tabs(form), (StringList{L"新しい設定0", L"新しい設定2", L"新しい設定1"}));
  EXPECT_EQ(form.TabControl1.TabIndex(), 2);
  const std::wstring name = L"新しい設定1";
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, CardKey(name, kCardA), L"Description"), L"LAN A");
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, CardKey(name, kCardB), L"Description"), L"LAN B");
  EXPECT_EQ(GetMultiString(HKEY_LOCAL_MACHINE, CardKey(name, kCardA), L"IPAddress"), StringList{L"192.168.1.10"});
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, CardKey(name, kCardB), L"EnableDHCP"), 1u);
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, Key(name), L"Machine Name"), ReadHostName());
  EXPECT_FALSE(form.Modified);
}

TEST_F(FormSettingsTest, CardsWithoutAKeyShowTheLiveValuesAndWinsListsGrowTheGrid) {
  SetMultiString(HKEY_LOCAL_MACHINE, CardKey(L"Office", kCardA), L"NameServerList",
                 {L"10.0.0.1", L"10.0.0.2", L"10.0.0.3", L"10.0.0.4", L"10.0.0.5"});
  SetMultiString(HKEY_LOCAL_MACHINE, CardKey(L"Office", kCardA), L"IPAddress", {L"10.1.1.1"});
  Stored({L"Office"});
  TFormIpconfig& form = Form();
  EXPECT_EQ(form.Ip().Collect().addresses.at(0).at(0), L"10.1.1.1");
  EXPECT_EQ(form.Other().Collect().winsServers.at(4), L"10.0.0.5");
  form.Modified = true;
  form.ComboDescription.SetItemIndex(1);
  prompts.answers = {Answer::No};
  form.ComboDescriptionChange();
  EXPECT_TRUE(form.Ip().Collect().dhcp);  // card B's live DHCP
  EXPECT_FALSE(form.Modified);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, CardKey(L"Office", kCardB)));
}

TEST_F(FormSettingsTest, TheSaveQuestionOnATabChangeNamesTheSettingBeingLeft) {
  Stored({L"Home", L"Office"});
  TFormIpconfig& form = Form();
  TypeOnPage(form, 4, IDE_EditHostName, L"edited");
  ASSERT_TRUE(form.Modified);
  prompts.answers = {Answer::No};
  ChooseTab(1);
  EXPECT_EQ(form.Domain().Collect().machineName, L"Office");
  EXPECT_FALSE(form.Modified);
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, Key(L"Home"), L"Machine Name"), L"Home");

  TypeOnPage(form, 4, IDE_EditHostName, L"kept");
  prompts.answers = {Answer::Yes};
  ChooseTab(0);
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, Key(L"Office"), L"Machine Name"), L"kept");
  EXPECT_EQ(prompts.questions.back(), L"変更した設定を保存しますか.");
}

TEST_F(FormSettingsTest, CopyRefusesNamesOfAnyCaseAndEmptyOnesUntilANewNameComes) {
  Stored({L"Office", L"office copy"});
  TFormIpconfig& form = Form();
  form.ShownSettingIndex = 0;
  prompts.inputAnswers = {std::nullopt, std::wstring(), std::wstring(L"Branch\\2")};
  form.CopySettingAs();
  ASSERT_EQ(prompts.inputs.size(), 3u);
  EXPECT_EQ(prompts.inputs[0].caption, L"名前を付けて保存");
  EXPECT_EQ(prompts.inputs[0].proposal, L"Office Copy");
  EXPECT_EQ(prompts.messages, (std::vector<std::wstring>{L"すでに\"Office Copy\"という名前は使われています.",
                                                         L"名前をつけてください."}));
  EXPECT_EQ(Tabs(form), (StringList{L"Office", L"office copy", L"Branch\uFFE52"}));
  EXPECT_EQ(form.TabControl1.TabIndex(), 0);
  for (const auto& card : {kCardA, kCardB}) {
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, CardKey(L"Branch\uFFE52", card)));
  }
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, Key(L"Branch\uFFE52"), L"Machine Name"), L"Office");
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, Key(L"office copy"), L"Machine Name"), L"office copy");
}

TEST_F(FormSettingsTest, RenameRefusesAnotherSettingsNameAndHandlesACaseChange) {
  struct Case {
    std::optional<std::wstring> answer;
    StringList tabs;
    bool duplicateMessage;
  };
  for (const Case& c : std::vector<Case>{{std::nullopt, {L"Home", L"Office"}, false},
                                         {std::wstring(), {L"Home", L"Office"}, false},
                                         {std::wstring(L"HOME"), {L"Home", L"Office"}, true},
                                         {std::wstring(L"office"), {L"Home", L"office"}, false},
                                         {std::wstring(L"a\\b"), {L"Home", L"a\uFFE5b"}, false}}) {
    SCOPED_TRACE(c.answer.value_or(L"(cancel)"));
    DeleteKey(HKEY_LOCAL_MACHINE, kRoot);
    prompts.messages.clear();
    Stored({L"Home", L"Office"});
    TFormIpconfig& form = Form();
    form.TabControl1.SetTabIndex(1);
    form.LoadSetting();
    TypeOnPage(form, 2, IDE_EditHosts, L"C:\\edited");
    prompts.inputAnswers = {c.answer};
    form.RenameSetting();
    EXPECT_EQ(Tabs(form), c.tabs);
    EXPECT_EQ(!prompts.messages.empty(), c.duplicateMessage);
    // Whatever the answer, the shown setting was stored first and nothing was lost.
    EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, Key(c.tabs[1]), L"Hosts File"), L"C:\\edited");
    EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, Key(L"Home"), L"Machine Name"), L"Home");
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, CardKey(c.tabs[1], kCardA)));
    EXPECT_FALSE(form.Modified);
  }
}

TEST_F(FormSettingsTest, DeletingTheFirstTabLoadsTabZeroAndTheLastOneMakesANewSetting) {
  Stored({L"A", L"B"});
  TFormIpconfig& form = Form();
  form.ShownSettingIndex = 0;
  prompts.answers = {Answer::No, Answer::Yes};
  form.DeleteSetting();
  EXPECT_EQ(Tabs(form), (StringList{L"A", L"B"}));
  form.DeleteSetting();
  EXPECT_EQ(Tabs(form), StringList{L"B"});
  EXPECT_EQ(form.TabControl1.TabIndex(), 0);
  EXPECT_EQ(form.Domain().Collect().machineName, L"B");
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Key(L"A")));

  prompts.answers = {Answer::Yes};
  form.DeleteSetting();
  EXPECT_EQ(Tabs(form), StringList{L"新しい設定0"});
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, CardKey(L"新しい設定0", kCardB)));
}

TEST_F(FormSettingsTest, AFailedSaveSaysSoAndKeepsTheEdits) {
  TFormIpconfig& form = Form();
  form.TabControl1.Add(std::wstring(300, L'x'));  // longer than any key name
  form.TabControl1.SetTabIndex(0);
  form.ComboDescription.SetItemIndex(0);
  form.Modified = true;
  form.mSaveClick();
  EXPECT_TRUE(form.Modified);
  EXPECT_NE(form.StatusBar1.Status().find(L"保存できませんでした"), std::wstring::npos);
  prompts.answers = {Answer::Yes};
  EXPECT_FALSE(form.FormCloseQuery());  // the window stays with the edits
}

// With no setting or no card shown, an edit then "新規作成" has nowhere to
// be saved: no question, and nothing reaches the store root, a setting key
// in place of a card key, or batch files without a name.
TEST_F(FormSettingsTest, NothingShownMeansNoSaveQuestionAndNothingWritten) {
  for (bool cardIndexPastTheCards : {false, true}) {
    SCOPED_TRACE(cardIndexPastTheCards ? "stored card index past the cards" : "first tab deleted");
    DeleteKey(HKEY_LOCAL_MACHINE, kRoot);
    if (cardIndexPastTheCards) SetDword(HKEY_LOCAL_MACHINE, kRoot, L"Description Index", 5);
    Stored({L"A", L"B"});
    TFormIpconfig& form = Form();
    form.ShownSettingIndex = 0;
    if (!cardIndexPastTheCards) form.DeleteSetting();  // every question is answered Yes
    prompts.questions.clear();
    TypeOnPage(form, 4, IDE_EditHostName, L"edited");
    form.Batch().Show({{L"echo edited"}, {}});
    form.NewSetting();
    EXPECT_TRUE(prompts.questions.empty());
    EXPECT_EQ(ListSettingNames().size(), Tabs(form).size());
    for (const auto& name : ListSettingNames()) {
      EXPECT_NE(GetString(HKEY_LOCAL_MACHINE, Key(name), L"Machine Name"), L"edited") << ToUtf8(name);
      EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, Key(name), L"IPAddress")) << ToUtf8(name);
    }
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kRoot, L"Machine Name"));
    EXPECT_FALSE(FileExists(folder_ / L"_b.bat"));
  }
}

// One user's run of the store commands with hostile names: every name
// that would be another setting's key, the options key or another
// setting's batch files is refused with the name-in-use message; the others
// keep their exact text through copy, rename, save and delete. A copy that
// cannot be completed (a folder stands where its batch file goes) leaves
// nothing behind, a leftover batch file of its name included.
TEST_F(FormSettingsTest, StoreCommandsWithHostileNamesKeepEverySettingApart) {
  SetMultiString(HKEY_LOCAL_MACHINE, CardKey(L"Office", kCardA), L"IPAddress", {L"10.1.1.1"});
  WriteBatchFile(BatchFilesOf(L"Office", folder_.path()).before, {L"echo office"});
  const BatchFilePaths branch = BatchFilesOf(L"Branch", folder_.path());
  WriteBatchFile(branch.before, {L"left over"});
  ASSERT_TRUE(CreateDirectoryW(branch.after.c_str(), nullptr));
  Stored({L"Office"});
  TFormIpconfig& form = Form();
  form.ShownSettingIndex = 0;
  const std::wstring quote = L"19\" rack", percent = L"%TEMP%x", slash = L"a/b", yen = L"x\uFFE5";
  // 200 characters; Wine keeps file names only up to 255 bytes of UTF-8.
  const std::wstring longName = std::wstring(10, L'長') + std::wstring(190, L'n');
  auto inUse = [](const std::wstring& name) { return L"すでに\"" + name + L"\"という名前は使われています."; };
  auto copyAs = [&](StringList answers) {
    for (const auto& answer : answers) prompts.inputAnswers.push_back(answer);
    form.CopySettingAs();
  };
  auto renameTo = [&](int tab, const std::wstring& answer) {
    ChooseTab(tab);
    prompts.inputAnswers = {answer};
    form.RenameSetting();
  };

  copyAs({L"OFFICE", L"TFormIpconfig", L"tformIPCONFIG", quote});
  copyAs({slash});
  EXPECT_THROW(copyAs({L"Branch"}), EOSError);
  copyAs({L"a\uFF0Fb", L"A\uFF0FB", percent});
  copyAs({L"x\\"});
  copyAs({longName});
  renameTo(1, L"office");
  renameTo(1, L"TFORMIPCONFIG");
  renameTo(1, L"A\uFF0Fb");
  EXPECT_EQ(prompts.messages,
            (std::vector<std::wstring>{inUse(L"OFFICE"), inUse(L"TFormIpconfig"), inUse(L"tformIPCONFIG"),
                                       inUse(L"a\uFF0Fb"), inUse(L"A\uFF0FB"), inUse(L"office"),
                                       inUse(L"TFORMIPCONFIG"), inUse(L"A\uFF0Fb")}));
  renameTo(1, L"19\" RACK");  // its own name in other letters
  ChooseTab(2);
  TypeOnPage(form, 4, IDE_EditHostName, L"edited");
  form.mSaveClick();
  ChooseTab(3);
  prompts.answers = {Answer::Yes};
  form.DeleteSetting();

  const StringList expected{L"Office", L"19\" RACK", slash, yen, longName};
  auto sorted = [](StringList names) {
    std::sort(names.begin(), names.end());
    return names;
  };
  EXPECT_EQ(sorted(ListSettingNames()), sorted(expected));
  EXPECT_EQ(sorted(Tabs(form)), sorted(expected));
  for (const auto& name : expected) {
    SCOPED_TRACE(ToUtf8(name));
    EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, Key(name), L"Machine Name"), name == slash ? L"edited" : L"Office");
    EXPECT_EQ(GetMultiString(HKEY_LOCAL_MACHINE, CardKey(name, kCardA), L"IPAddress"), StringList{L"10.1.1.1"});
    EXPECT_EQ(ReadBatchFile(BatchFilesOf(name, folder_.path()).before), StringList{L"echo office"});
  }
  EXPECT_FALSE(FileExists(BatchFilesOf(percent, folder_.path()).before));
  EXPECT_EQ(ReadBatchFile(branch.before), StringList{L"left over"});
  EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kOptionsKey, L"Machine Name"));
}

TEST_F(FormSettingsTest, MachineWideValuesLoadAndSaveByTheirRules) {
  SetString(HKEY_LOCAL_MACHINE, Key(L"Office"), L"default Printer", L"Old Printer");
  SetDword(HKEY_LOCAL_MACHINE, Key(L"Office"), L"IPEnableRouter", 2);
  SetString(HKEY_LOCAL_MACHINE, Key(L"Office"), L"SearchList", L"");
  TFormIpconfig& form = Form();
  // No "ProxyEnable": the proxy and home-page controls keep what they showed.
  form.Internet().Show({true, L"before", L"", L"http://before"});
  form.Domain().Show({L"", {}, true});
  form.Dns().Update([](DnsPageValues& dns) { ShowSearchOrder(dns, false, {L"stale.lan"}); });
  Stored({L"Office"});
  const ProxyValues proxy = form.Internet().Collect();
  EXPECT_TRUE(proxy.enable);
  EXPECT_EQ(proxy.server + L"|" + proxy.startPage, L"before|http://before");
  EXPECT_FALSE(form.Domain().Collect().ipEnableRouter);
  EXPECT_TRUE(form.Dns().Collect().primarySuffixes);
  EXPECT_TRUE(form.Dns().Collect().searchList.empty());
  EXPECT_EQ(form.Other().Collect().printer, std::nullopt);

  // The primary suffixes chosen: an empty list is stored whatever the lines say.
  TypeOnPage(form, 1, IDE_SearchList, L"a.lan");
  form.Batch().Show({});
  WriteBatchFile(BatchFilesOf(L"Office", folder_.path()).after, {L"old"});
  form.mSaveClick();
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, Key(L"Office"), L"SearchList"), L"");
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, Key(L"Office"), L"default Printer"), L"Old Printer");
  EXPECT_FALSE(FileExists(BatchFilesOf(L"Office", folder_.path()).after));
}

TEST_F(FormSettingsTest, PrintersAreChosenByTheirExactName) {
  TQpPrinter hiddenOnly(TQpAllPrintersInfo({{L"Fax", 0x20}}));
  EXPECT_THROW(hiddenOnly.Printers(), EQpPrinterNoPrinter);
  SetString(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Devices", L"Fax", L"winspool,Ne00:");
  EXPECT_TRUE(ReadPrinterList(hiddenOnly).names.empty());
  TQpPrinter two(TQpAllPrintersInfo({{L"Laser", 0}, {L"LASER", 0}}));
  EXPECT_EQ(ReadPrinterList(two).devices, (StringList{L"Laser,", L"LASER,"}));

  TFormIpconfig& form = Form();
  form.Other().ListPrinters({L"Laser", L"LASER"});
  form.SelectPrinter(L"LASER");
  EXPECT_EQ(SendMessageW(PageItem(form, 2, IDC_ComboPrinter), CB_GETCURSEL, 0, 0), 1);
  form.SelectPrinter(L"laser");
  EXPECT_EQ(form.Other().Collect().printer, std::nullopt);
}

// The pages sit below the setting tabs, however many there are.
TEST_F(FormSettingsTest, NoControlCoversASettingTab) {
  for (int count : {2, 40}) {
    SCOPED_TRACE(count);
    TFormIpconfig& form = Form();
    form.TabControl1.Clear();
    for (int i = 0; i < count; ++i) form.TabControl1.Add(L"設定の名前 " + std::to_wstring(i));
    RECT pages{};
    GetWindowRect(form.PageControl1.Handle(), &pages);
    for (int i = 0; i < form.TabControl1.Count(); ++i) {
      RECT item{};
      if (!SendMessageW(form.TabControl1.Handle(), TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item))) continue;
      MapWindowPoints(form.TabControl1.Handle(), nullptr, reinterpret_cast<POINT*>(&item), 2);
      RECT overlap{};
      EXPECT_FALSE(IntersectRect(&overlap, &item, &pages)) << "tab " << i;
    }
  }
}

}  // namespace
}  // namespace kip
