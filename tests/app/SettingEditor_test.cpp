// The setting editor without a window: what reaches the store, what is
// shown after each command, which questions are asked, and that no stored
// setting is lost.
#include "app/SettingEditor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "store/BatchFiles.h"
#include "store/SettingStore.h"
#include "store/StoreKeys.h"
#include "machine/MachineSettings.h"
#include "support/RegistrySandbox.h"
#include "support/ScratchFolder.h"
#include "support/ScriptedPrompts.h"
#include "util/Errors.h"
#include "util/Files.h"

namespace kip {
namespace {

const std::wstring kRoot = kStoreRootKey;
const std::wstring kCardA = L"{00000002-0000-0000-0000-4E6574446576}";
const std::wstring kCardB = L"{00000003-0000-0000-0000-4E6574446576}";
const std::wstring kLive = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\";
const std::wstring kNetBT = L"SYSTEM\\CurrentControlSet\\Services\\NetBT\\Parameters\\Interfaces\\Tcpip_";

std::wstring Key(const std::wstring& setting) { return kRoot + L"\\" + setting; }
std::wstring CardKey(const std::wstring& setting, const std::wstring& card) { return Key(setting) + L"\\" + card; }

// The pages as plain values; the edits a user makes are changes to them.
class PlainView : public SettingView {
 public:
  ShownSetting Current() const override { return values; }
  ShownSetting Collected() const override { return values; }
  void ShowValues(const ShownSetting& shown) override { values = shown; }
  void SelectionChanged() override {}
  void Report(const std::wstring& message) override { reports.push_back(message); }
  void ShowCardNote(const std::wstring&) override {}
  ShownSetting values;
  StringList reports;
};

// An editor over two cards whose live configuration the machine holds, the
// program (with its batch files) in a scratch folder.
class SettingEditorTest : public RegistryTest {
 protected:
  SettingEditorTest() {
    SetMultiString(HKEY_LOCAL_MACHINE, kLive + kCardA, L"IPAddress", {L"192.168.1.10"});
    SetMultiString(HKEY_LOCAL_MACHINE, kLive + kCardA, L"SubnetMask", {L"255.255.255.0"});
    SetMultiString(HKEY_LOCAL_MACHINE, kNetBT + kCardA, L"NameServerList", {L"192.168.1.2"});
    SetDword(HKEY_LOCAL_MACHINE, kLive + kCardB, L"EnableDHCP", 1);
    editor.SetOsMajorVersion(6);
    editor.SetCards({kCardA, kCardB}, {L"LAN A", L"LAN B"});
  }
  // Stored settings, listed as at start-up, the first one shown.
  void Stored(std::initializer_list<const wchar_t*> names) {
    for (const wchar_t* name : names) SetString(HKEY_LOCAL_MACHINE, Key(name), L"Machine Name", name);
    editor.Open(ListSettingNames());
  }
  static std::optional<std::wstring> MachineName(const std::wstring& setting) {
    return GetString(HKEY_LOCAL_MACHINE, Key(setting), L"Machine Name");
  }
  // An edit on the pages, as the user makes it.
  void Edit(const std::function<void(ShownSetting&)>& change) {
    change(view.values);
    editor.Edited();
  }
  test::ScratchFolder folder;
  ScriptedPrompts prompts;
  PlainView view;
  SettingEditor editor{view, {[this]() -> Prompts& { return prompts; },
                              [this] {
                                CommitEnvironment environment = DefaultCommitEnvironment();
                                environment.programFolder = folder.path();
                                return environment;
                              },
                              folder.path()}};
};

// What a setting shows for each card: its own part, or the machine's values
// when it holds none; the machine-wide groups keep what the pages showed
// past a missing or bad value.
TEST_F(SettingEditorTest, LoadShowsEachPartByItsRule) {
  SetMultiString(HKEY_LOCAL_MACHINE, CardKey(L"Office", kCardA), L"IPAddress", {L"10.1.1.1"});
  SetMultiString(HKEY_LOCAL_MACHINE, CardKey(L"Office", kCardA), L"NameServerList",
                 {L"10.0.0.1", L"10.0.0.2", L"10.0.0.3", L"10.0.0.4", L"10.0.0.5"});
  SetString(HKEY_LOCAL_MACHINE, Key(L"Office"), L"default Printer", L"Old Printer");
  SetDword(HKEY_LOCAL_MACHINE, Key(L"Office"), L"IPEnableRouter", 2);
  SetString(HKEY_LOCAL_MACHINE, Key(L"Office"), L"SearchList", L"");
  // No "ProxyEnable": the proxy and home-page fields keep what they showed.
  view.values.internet = {true, L"before", L"", L"http://before", false, L"", false, L""};
  view.values.domain = {L"", {}, true};
  ShowSearchOrder(view.values.dns, false, {L"stale.lan"});
  WriteBatchFile(BatchFilesOf(L"Office", folder.path()).before, {L"echo office"});
  Stored({L"Office"});
  const ShownSetting& shown = view.values;
  EXPECT_EQ(shown.ip.addresses.at(0).at(0), L"10.1.1.1");
  EXPECT_EQ(shown.other.winsServers.size(), 5u);
  EXPECT_TRUE(shown.internet.enable);
  EXPECT_EQ(shown.internet.server + L"|" + shown.internet.startPage, L"before|http://before");
  EXPECT_FALSE(shown.domain.ipEnableRouter);
  EXPECT_TRUE(shown.dns.primarySuffixes && shown.dns.searchList.empty());
  EXPECT_EQ(shown.other.printer, std::wstring(L"Old Printer"));
  EXPECT_EQ(shown.batch.before, StringList{L"echo office"});
  EXPECT_FALSE(editor.Modified());

  // Card B was never saved under it: its live DHCP; nothing is written.
  editor.SelectCard(1);
  EXPECT_TRUE(view.values.ip.dhcp);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, CardKey(L"Office", kCardB)));
}

auto Fields(const TcpipValues& v) {
  return std::tie(v.enableDhcp, v.ipAddresses, v.subnetMasks, v.gateways, v.gatewayMetrics, v.nameServers, v.domain,
                  v.registrationEnabled, v.registerAdapterName);
}

// What the pages show of a card's values and what they collect back.
TEST(SettingMoves, PagesShowAndCollectACardsValues) {
  const struct {
    const char* title;
    TcpipValues shown;
    IpPageValues ip;
    bool automaticDns;
    TcpipValues collected;
  } cases[] = {
      {"DHCP without servers: no addresses, automatic DNS",
       {true, {L"10.0.0.9"}, {}, {}, {}, StringList{}, L""},
       {true, {{L""}, {L""}}, {{L""}, {L""}}}, true,
       {true, {L"0.0.0.0"}, {L"0.0.0.0"}, {}, {}, StringList{}, L""}},
      {"fixed addresses: rows padded, blanks stored as placeholders; no servers is not automatic",
       {false, {L"10.0.0.5", L"10.0.1.5"}, {L"255.0.0.0"}, {L"10.0.0.1", L" "}, {L"", L"20"}, StringList{}, L"corp"},
       {false, {{L"10.0.0.5", L"10.0.1.5"}, {L"255.0.0.0", L""}}, {{L"10.0.0.1", L" "}, {L"", L"20"}}}, false,
       {false, {L"10.0.0.5", L"10.0.1.5"}, {L"255.0.0.0", L"0.0.0.0"}, {L"10.0.0.1"}, {L"20"}, StringList{},
        L"corp"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    LoadedSetting loaded;
    loaded.tcpip = c.shown;
    const ShownSetting shown = ShowLoaded({}, loaded);
    EXPECT_EQ(shown.ip, c.ip);
    EXPECT_EQ(shown.dns.automatic, c.automaticDns);
    EXPECT_EQ(Fields(CollectShown(shown, {}).card.tcpip), Fields(c.collected));
  }
  // The primary suffixes chosen: an empty list is stored whatever the lines say.
  ShownSetting suffixes;
  suffixes.dns.searchList = {L"a.lan"};
  EXPECT_TRUE(CollectShown(suffixes, {}).machine.searchList.empty());
}

TEST_F(SettingEditorTest, NewStoresEveryCardLiveWithItsOwnLabelUnderTheFirstFreeName) {
  Stored({L"新しい設定0", L"新しい設定2"});
  editor.SelectCard(1);
  editor.New();
  EXPECT_EQ(editor.Names(), (StringList{L"新しい設定0", L"新しい設定2", L"新しい設定1"}));
  EXPECT_EQ(editor.ShownIndex(), 2);
  const std::wstring name = L"新しい設定1";
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, CardKey(name, kCardA), L"Description"), L"LAN A");
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, CardKey(name, kCardB), L"Description"), L"LAN B");
  EXPECT_EQ(GetMultiString(HKEY_LOCAL_MACHINE, CardKey(name, kCardA), L"IPAddress"), StringList{L"192.168.1.10"});
  EXPECT_EQ(GetMultiString(HKEY_LOCAL_MACHINE, CardKey(name, kCardA), L"NameServerList"), StringList{L"192.168.1.2"});
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, CardKey(name, kCardB), L"EnableDHCP"), 1u);
  // Card B's WINS list cannot be read: none, not card A's.
  EXPECT_EQ(GetMultiString(HKEY_LOCAL_MACHINE, CardKey(name, kCardB), L"NameServerList"), StringList{});
  EXPECT_EQ(MachineName(name), ReadHostName());
  EXPECT_FALSE(editor.Modified());
}

// Leaving an edited setting asks once and saves into the one being left;
// the close asks too, and a cancel keeps the window.
TEST_F(SettingEditorTest, EditsAreOfferedForTheSettingBeingLeft) {
  Stored({L"Home", L"Office"});
  const struct {
    Answer answer;
    int to;
    std::wstring storedInLeft;
  } steps[] = {{Answer::No, 1, L"Home"}, {Answer::Yes, 0, L"kept"}};
  for (const auto& step : steps) {
    const std::wstring left = editor.ShownName();
    Edit([&](ShownSetting& shown) { shown.domain.machineName = step.storedInLeft == left ? L"dropped" : L"kept"; });
    prompts.answers = {step.answer};
    editor.SelectSetting(step.to);
    EXPECT_EQ(prompts.questions.back(), L"変更した設定を保存しますか.");
    EXPECT_EQ(MachineName(left), step.storedInLeft);
    EXPECT_EQ(view.values.domain.machineName, MachineName(editor.ShownName()));
    EXPECT_FALSE(editor.Modified());
  }
  prompts.questions.clear();
  EXPECT_TRUE(editor.MayClose());  // nothing edited: no question
  Edit([](ShownSetting& shown) { shown.domain.machineName = L"closing"; });
  prompts.answers = {Answer::Cancel, Answer::No, Answer::Yes};
  EXPECT_FALSE(editor.MayClose());
  EXPECT_TRUE(editor.MayClose());
  EXPECT_TRUE(editor.MayClose());
  EXPECT_EQ(prompts.questions.size(), 3u);
  EXPECT_EQ(MachineName(L"Home"), L"closing");
}

// A rename stores the shown setting first, whether or not it then happens;
// names in use are refused in the run with hostile names below.
TEST_F(SettingEditorTest, RenameStoresTheShownSettingFirst) {
  const struct {
    std::optional<std::wstring> answer;  // nullopt: cancelled
    std::wstring name;
  } cases[] = {{std::nullopt, L"Office"}, {std::wstring(), L"Office"}, {std::wstring(L"a\\b"), L"a\uFFE5b"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.name));
    DeleteKey(HKEY_LOCAL_MACHINE, kRoot);
    Stored({L"Home", L"Office"});
    editor.SelectSetting(1);
    Edit([](ShownSetting& shown) { shown.other.hostsFile = L"C:\\edited"; });
    prompts.inputAnswers = {c.answer};
    editor.Rename();
    EXPECT_EQ(editor.Names(), (StringList{L"Home", c.name}));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, Key(c.name), L"Hosts File"), L"C:\\edited");
    EXPECT_EQ(MachineName(L"Home"), L"Home");
    EXPECT_FALSE(editor.Modified());
  }
}

// Deleting the first setting shows the next; deleting the last one makes a
// new one. The setting then shown is the one edits are offered for.
TEST_F(SettingEditorTest, DeleteShowsAnotherSettingAndTheLastOneMakesANewOne) {
  Stored({L"A", L"B"});
  prompts.answers = {Answer::No, Answer::Yes};
  editor.Delete();
  EXPECT_EQ(editor.Names(), (StringList{L"A", L"B"}));
  editor.Delete();
  EXPECT_EQ(editor.Names(), StringList{L"B"});
  EXPECT_EQ(editor.ShownName(), L"B");
  EXPECT_EQ(view.values.domain.machineName, L"B");
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Key(L"A")));
  Edit([](ShownSetting& shown) { shown.domain.machineName = L"edited B"; });
  prompts.answers = {Answer::Yes, Answer::Yes};
  editor.Delete();
  EXPECT_EQ(editor.Names(), StringList{L"新しい設定0"});
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, CardKey(L"新しい設定0", kCardB)));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Key(L"B")));
}

// Without cards nothing can be saved: no question, nothing in the store
// root, no setting key in place of a card key, no batch files. A save that
// fails is reported and keeps the edits and the window.
TEST_F(SettingEditorTest, ASaveThatCannotBeMadeWritesNothingAndKeepsTheEdits) {
  Stored({L"A"});
  editor.SetCards({}, {});
  Edit([](ShownSetting& shown) {
    shown.domain.machineName = L"edited";
    shown.batch.before = {L"echo edited"};
  });
  editor.New();
  EXPECT_TRUE(prompts.questions.empty());
  EXPECT_FALSE(editor.Save());
  EXPECT_TRUE(editor.MayClose());
  editor.SetCards({kCardA}, {L"LAN A"});
  editor.Open({std::wstring(300, L'x')});  // longer than any key name
  Edit([](ShownSetting& shown) { shown.domain.machineName = L"edited"; });
  EXPECT_FALSE(editor.Save());
  EXPECT_TRUE(editor.Modified());
  ASSERT_FALSE(view.reports.empty());
  EXPECT_NE(view.reports.back().find(L"保存できませんでした"), std::wstring::npos);
  prompts.answers = {Answer::Yes};
  EXPECT_FALSE(editor.MayClose());
  for (const auto& name : ListSettingNames()) {
    EXPECT_NE(MachineName(name), L"edited") << ToUtf8(name);
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, Key(name), L"IPAddress")) << ToUtf8(name);
  }
  EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kRoot, L"Machine Name"));
  EXPECT_FALSE(FileExists(folder / L"_b.bat"));
}

// The names and the shown setting and card come from the store root (its
// options key is no setting); an index past a list shows the first.
TEST_F(SettingEditorTest, OpenTakesTheStoredIndexesAndFallsBackToTheFirst) {
  for (const wchar_t* name : {L"会社", L"TFormIpconfig", L"自宅", L"Alpha"}) CreateKey(HKEY_LOCAL_MACHINE, Key(name));
  // Both indexes are stored alike: three settings, two cards.
  const struct {
    DWORD stored;
    int setting, card;
  } cases[] = {{1, 1, 1}, {2, 2, 0}, {3, 0, 0}};
  for (const auto& c : cases) {
    SetDword(HKEY_LOCAL_MACHINE, kRoot, L"Setting Index", c.stored);
    SetDword(HKEY_LOCAL_MACHINE, kRoot, L"Description Index", c.stored);
    editor.Open(ListSettingNames());
    EXPECT_EQ(editor.Names(), (StringList{L"Alpha", L"会社", L"自宅"}));
    EXPECT_EQ(std::pair(editor.ShownIndex(), editor.ShownCard()), std::pair(c.setting, c.card)) << c.stored;
  }
}

// One user's run of the commands with hostile names: every name that would
// be another setting's key, the options key or another setting's batch
// files is refused with the name-in-use message; the others keep their
// exact text through copy, rename, save and delete. A copy is of every
// card's stored part, the edits shown stay shown; one that cannot be
// completed (a folder stands where its batch file goes) leaves nothing
// behind, a leftover batch file of its name included.
TEST_F(SettingEditorTest, CommandsWithHostileNamesKeepEverySettingApart) {
  SetMultiString(HKEY_LOCAL_MACHINE, CardKey(L"Office", kCardA), L"IPAddress", {L"10.1.1.1"});
  WriteBatchFile(BatchFilesOf(L"Office", folder.path()).before, {L"echo office"});
  const BatchFilePaths branch = BatchFilesOf(L"Branch", folder.path());
  WriteBatchFile(branch.before, {L"left over"});
  ASSERT_TRUE(CreateDirectoryW(branch.after.c_str(), nullptr));
  Stored({L"Office"});
  const std::wstring quote = L"19\" rack", percent = L"%TEMP%x", slash = L"a/b", yen = L"x\uFFE5";
  // 200 characters; Wine keeps file names only up to 255 bytes of UTF-8.
  const std::wstring longName = std::wstring(10, L'長') + std::wstring(190, L'n');
  auto inUse = [](const std::wstring& name) { return L"すでに\"" + name + L"\"という名前は使われています."; };
  auto copyAs = [&](StringList answers) {
    for (const auto& answer : answers) prompts.inputAnswers.push_back(answer);
    editor.CopyAs();
  };
  auto renameTo = [&](int index, const std::wstring& answer) {
    editor.SelectSetting(index);
    prompts.inputAnswers = {answer};
    editor.Rename();
  };
  Edit([](ShownSetting& shown) { shown.domain.machineName = L"edited"; });
  copyAs({L"", L"OFFICE", L"TFormIpconfig", L"tformIPCONFIG", quote});
  EXPECT_EQ(prompts.inputs[0].caption + L"|" + prompts.inputs[0].proposal, L"名前を付けて保存|Office Copy");
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, CardKey(quote, kCardB)));
  EXPECT_TRUE(editor.Modified() && editor.ShownIndex() == 0 && view.values.domain.machineName == L"edited");
  prompts.answers = {Answer::No};  // leaving drops the edits
  copyAs({slash});
  EXPECT_THROW(copyAs({L"Branch"}), EOSError);
  copyAs({L"a\uFF0Fb", L"A\uFF0FB", percent});
  copyAs({L"x\\"});
  copyAs({longName});
  renameTo(1, L"office");
  renameTo(1, L"TFORMIPCONFIG");
  renameTo(1, L"A\uFF0Fb");
  EXPECT_EQ(prompts.messages, (StringList{L"名前をつけてください.", inUse(L"OFFICE"), inUse(L"TFormIpconfig"),
                                          inUse(L"tformIPCONFIG"), inUse(L"a\uFF0Fb"), inUse(L"A\uFF0FB"),
                                          inUse(L"office"), inUse(L"TFORMIPCONFIG"), inUse(L"A\uFF0Fb")}));
  renameTo(1, L"19\" RACK");  // its own name in other letters
  editor.SelectSetting(2);
  Edit([](ShownSetting& shown) { shown.domain.machineName = L"edited"; });
  editor.Save();
  editor.SelectSetting(3);
  prompts.answers = {Answer::Yes};
  editor.Delete();

  const StringList expected{L"Office", L"19\" RACK", slash, yen, longName};
  EXPECT_THAT(ListSettingNames(), testing::UnorderedElementsAreArray(expected));
  EXPECT_THAT(editor.Names(), testing::UnorderedElementsAreArray(expected));
  for (const auto& name : expected) {
    SCOPED_TRACE(ToUtf8(name));
    EXPECT_EQ(MachineName(name), name == slash ? L"edited" : L"Office");
    EXPECT_EQ(GetMultiString(HKEY_LOCAL_MACHINE, CardKey(name, kCardA), L"IPAddress"), StringList{L"10.1.1.1"});
    EXPECT_EQ(ReadBatchFile(BatchFilesOf(name, folder.path()).before), StringList{L"echo office"});
  }
  EXPECT_FALSE(FileExists(BatchFilesOf(percent, folder.path()).before));
  EXPECT_EQ(ReadBatchFile(branch.before), StringList{L"left over"});
  EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kOptionsKey, L"Machine Name"));
}

}  // namespace
}  // namespace kip
