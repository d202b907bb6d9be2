// The setting store below the window: names, the machine-wide and card parts
// with their guard groups, batch files, and moving settings without losing
// anything.
#include "store/SettingStore.h"

#include <gtest/gtest.h>

#include <functional>

#include "store/BatchFiles.h"
#include "store/SettingNames.h"
#include "store/SettingRecord.h"
#include "SnapshotPrint.h"
#include "store/Snapshot.h"
#include "store/StoreKeys.h"
#include "support/RegistrySandbox.h"
#include "support/ScratchFolder.h"
#include "util/Files.h"

namespace kip {
namespace {

const std::wstring kRoot = kStoreRootKey;
std::wstring Key(const std::wstring& setting) { return kRoot + L"\\" + setting; }

TEST(SettingNames, ProposalsAndTheSameKeyRule) {
  struct Case {
    StringList names;
    std::wstring expected;
  };
  for (const Case& c : std::vector<Case>{{{}, L"新しい設定0"},
                                         {{L"新しい設定0", L"新しい設定2"}, L"新しい設定1"},
                                         {{L"新しい設定1", L"会社"}, L"新しい設定0"}}) {
    EXPECT_EQ(NewSettingName(c.names), c.expected);
  }
  EXPECT_EQ(CopyProposal({L"Office", L"Home"}, 0), L"Office Copy");
  // Only a name held twice gets the pass numbers.
  EXPECT_EQ(CopyProposal({L"Office", L"office", L"Office0"}, 0), L"Office01 Copy");
  EXPECT_EQ(NormalizeSettingName(L"a\\b\\"), L"a\uFFE5b\uFFE5");
  EXPECT_TRUE(SameSettingName(L"Office", L"oFFICE"));
  EXPECT_TRUE(SameSettingName(L"ÄBC", L"äbc"));  // the registry folds more than A to Z
  EXPECT_FALSE(SameSettingName(L"Office", L"Office "));
  EXPECT_EQ(FindSettingName({L"A", L"b", L"B"}, L"b", 1), 2);
  EXPECT_EQ(FindSettingName({L"A"}, L"b"), -1);
}

class SettingStoreTest : public RegistryTest {
 protected:
  // A setting with every kind of value and a firewall part two levels down.
  void SeedFullSetting(const std::wstring& name) {
    SetString(HKEY_LOCAL_MACHINE, Key(name), L"Hosts File", L"C:\\hosts");
    SetDword(HKEY_LOCAL_MACHINE, Key(name), L"ProxyEnable", 1);
    SetMultiString(HKEY_LOCAL_MACHINE, Key(name) + L"\\{card}", L"IPAddress", {L"10.0.0.1", L""});
    SetRaw(HKEY_LOCAL_MACHINE, Key(name) + L"\\{card}", L"Blob", REG_BINARY, {1, 0, 2});
    SetDword(HKEY_LOCAL_MACHINE, Key(name) + L"\\FireWall", L"Use", 1);
    SetString(HKEY_LOCAL_MACHINE, Key(name) + L"\\FireWall\\AA", L"C:\\Tools\\a.exe", L"C:\\Tools\\a.exe:*:Enabled:a");
    SetString(HKEY_LOCAL_MACHINE, Key(name) + L"\\FireWall\\GP", L"8080:TCP", L"8080:TCP:*:Enabled:web");
    WriteBatchFile(BatchFilesOf(name, folder_).before, {L"echo はい"});
  }
  void ExpectFullSetting(const std::wstring& name) {
    EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, Key(name), L"Hosts File"), L"C:\\hosts");
    EXPECT_EQ(GetMultiString(HKEY_LOCAL_MACHINE, Key(name) + L"\\{card}", L"IPAddress"),
              (StringList{L"10.0.0.1", L""}));
    EXPECT_EQ(GetRaw(HKEY_LOCAL_MACHINE, Key(name) + L"\\{card}", L"Blob")->Data, (std::vector<BYTE>{1, 0, 2}));
    EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, Key(name) + L"\\FireWall\\AA", L"C:\\Tools\\a.exe"),
              L"C:\\Tools\\a.exe:*:Enabled:a");
    EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, Key(name) + L"\\FireWall\\GP", L"8080:TCP"), L"8080:TCP:*:Enabled:web");
    EXPECT_EQ(ReadBatchFile(BatchFilesOf(name, folder_).before), StringList{L"echo はい"});
  }
  test::ScratchFolder scratch_;
  const std::wstring folder_ = scratch_.path();
};

TEST_F(SettingStoreTest, RenameCarriesTheWholeTreeAndBatchFilesAlsoForACaseChange) {
  SeedFullSetting(L"Office");
  ASSERT_TRUE(RenameSettingStore(L"Office", L"Home", folder_));
  ExpectFullSetting(L"Home");
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Key(L"Office")));
  EXPECT_FALSE(FileExists(BatchFilesOf(L"Office", folder_).before));

  // Only the letter case changes: one key, which must survive under the new name.
  SeedFullSetting(L"Office");
  ASSERT_TRUE(RenameSettingStore(L"Office", L"office", folder_));
  EXPECT_EQ(ListSettingNames(), (StringList{L"Home", L"office"}));
  ExpectFullSetting(L"office");
}

// A rename that cannot complete (another program holds the new name's
// after-batch, or the old one, open) leaves the keys and the batch files of
// both names exactly as they were.
TEST_F(SettingStoreTest, ARenameThatCannotCompleteChangesNothing) {
  const BatchFilePaths office = BatchFilesOf(L"Office", folder_), home = BatchFilesOf(L"Home", folder_);
  for (const std::wstring& held : {home.after, office.after}) {
    SCOPED_TRACE(ToUtf8(held));
    SeedFullSetting(L"Office");
    WriteBatchFile(office.after, {L"echo after"});
    WriteBatchFile(home.after, {L"left over"});
    const std::optional<SnapshotKey> store = ReadStoreTree();
    UniqueFileHandle holder(CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(RenameSettingStore(L"Office", L"Home", folder_));
    holder.reset();
    EXPECT_EQ(ReadStoreTree(), store);
    ExpectFullSetting(L"Office");
    EXPECT_EQ(ReadBatchFile(office.after), StringList{L"echo after"});
    EXPECT_EQ(ReadBatchFile(home.after), StringList{L"left over"});
    EXPECT_FALSE(FileExists(home.before));
  }
}

// Names that share batch files can only come from an older store; deleting
// or renaming one of them leaves the other its files.
TEST_F(SettingStoreTest, BatchFilesSharedWithAnotherStoredSettingStay) {
  SeedFullSetting(L"a/b");
  SetString(HKEY_LOCAL_MACHINE, Key(L"a\uFF0Fb"), L"Hosts File", L"");
  ASSERT_TRUE(RenameSettingStore(L"a/b", L"c", folder_));
  EXPECT_EQ(ReadBatchFile(BatchFilesOf(L"c", folder_).before), StringList{L"echo はい"});
  DeleteSettingStore(L"c", folder_);
  EXPECT_EQ(ReadBatchFile(BatchFilesOf(L"a\uFF0Fb", folder_).before), StringList{L"echo はい"});
}

TEST_F(SettingStoreTest, ListingSkipsTheOptionsKeyAndDeletingTakesKeyAndFiles) {
  SeedFullSetting(L"Office");
  CreateKey(HKEY_LOCAL_MACHINE, kOptionsKey);
  CreateKey(HKEY_LOCAL_MACHINE, Key(L"Home"));
  EXPECT_EQ(ListSettingNames(), (StringList{L"Home", L"Office"}));
  DeleteSettingStore(L"Office", folder_);
  EXPECT_EQ(ListSettingNames(), StringList{L"Home"});
  EXPECT_FALSE(FileExists(BatchFilesOf(L"Office", folder_).before));
  // An empty name never empties the store root.
  DeleteSettingStore(L"", folder_);
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kOptionsKey));
  // The options key in other letters is still the options key.
  DeleteKey(HKEY_LOCAL_MACHINE, kOptionsKey);
  CreateKey(HKEY_LOCAL_MACHINE, kRoot + L"\\tformIPCONFIG");
  EXPECT_EQ(ListSettingNames(), StringList{L"Home"});
}

TEST_F(SettingStoreTest, BatchFilesAreAnsiWithCrLfAndEmptyMemosDeleteThem) {
  BatchFilePaths files = BatchFilesOf(L"a/b", folder_);
  EXPECT_EQ(files.before, folder_ + L"a\uFF0Fb_b.bat");  // shared with a setting named with the full-width slash
  WriteBatchFile(files.before, {L"echo はい", L"", L"pause"});
  EXPECT_EQ(ReadWholeFile(files.before), "echo \x82\xCD\x82\xA2\r\n\r\npause\r\n");
  EXPECT_EQ(ReadBatchFile(files.before), (StringList{L"echo はい", L"", L"pause"}));
  WriteBatchFile(files.before, {});
  WriteBatchFile(files.after, {});  // missing: no error
  EXPECT_FALSE(FileExists(files.before));
  EXPECT_EQ(ReadBatchFile(files.before), StringList{});
}

TEST_F(SettingStoreTest, MachineWideGroupsStopAtTheirFirstBadValue) {
  MachineWideValues values;
  values.hostsFile = L"C:\\h";
  values.proxy = {true, L"px", L"8080", L"http://home", true, L"*.lan", false, L"http://pac"};
  values.domain = {true, L"corp", true, L"WG", false};
  values.machineName = L"PC1";
  values.ipEnableRouter = true;
  values.useDomainNameDevolution = false;
  values.searchList = {L"a.lan", L"b.lan"};
  ASSERT_TRUE(SaveMachineWide(L"Office", values));
  EXPECT_EQ(ValueNames(HKEY_LOCAL_MACHINE, Key(L"Office")).size(), 18u);  // no printer chosen: none written
  std::optional<MachineWideReading> read = LoadMachineWide(L"Office");
  ASSERT_TRUE(read);
  EXPECT_EQ(read->proxyFieldsRead, 8);
  EXPECT_EQ(read->domainFieldsRead, 5);
  EXPECT_EQ(read->values.proxy.autoConfigUrl, L"http://pac");
  EXPECT_EQ(read->values.searchList, (StringList{L"a.lan", L"b.lan"}));
  EXPECT_TRUE(read->values.ipEnableRouter);

  struct Case {
    const wchar_t* bad;  // value replaced by a string, or deleted when `remove`
    bool remove;
    int proxyRead, domainRead;
  };
  for (const Case& c : {Case{L"ProxyEnable", true, 0, 5}, Case{L"ProxyLoacl", false, 4, 5},
                        Case{L"ChangeDomain", true, 8, 2}}) {
    SCOPED_TRACE(c.bad);
    ASSERT_TRUE(SaveMachineWide(L"Office", values));
    if (c.remove) {
      DeleteValue(HKEY_LOCAL_MACHINE, Key(L"Office"), c.bad);
    } else {
      SetString(HKEY_LOCAL_MACHINE, Key(L"Office"), c.bad, L"1");
    }
    read = LoadMachineWide(L"Office");
    EXPECT_EQ(read->proxyFieldsRead, c.proxyRead);
    EXPECT_EQ(read->domainFieldsRead, c.domainRead);
  }
  // IP forwarding is on for exactly 1; a bad suffix group gives its defaults.
  SetDword(HKEY_LOCAL_MACHINE, Key(L"Office"), L"IPEnableRouter", 2);
  SetString(HKEY_LOCAL_MACHINE, Key(L"Office"), L"UseDomainNameDevolution", L"0");
  read = LoadMachineWide(L"Office");
  EXPECT_FALSE(read->values.ipEnableRouter);
  EXPECT_TRUE(read->values.useDomainNameDevolution);
  EXPECT_TRUE(read->values.searchList.empty());
  EXPECT_FALSE(LoadMachineWide(L"Missing"));
}

TEST_F(SettingStoreTest, CardLabelsAreRefreshedOnlyForPresentCards) {
  for (const auto& setting : {L"Office", L"Home"}) {
    SetString(HKEY_LOCAL_MACHINE, Key(setting) + L"\\{present}", L"Description", L"old label");
    SetString(HKEY_LOCAL_MACHINE, Key(setting) + L"\\{absent}", L"Description", L"gone card");
  }
  RefreshCardDescriptions({L"{present}", L"{unlabelled}"}, {L"LAN 1"});
  for (const auto& setting : {L"Office", L"Home"}) {
    EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, Key(setting) + L"\\{present}", L"Description"), L"LAN 1");
    EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, Key(setting) + L"\\{absent}", L"Description"), L"gone card");
  }
  // A card never saved under a setting gets no key from the refresh.
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Key(L"Office") + L"\\{unlabelled}"));
}

TEST_F(SettingStoreTest, NamesTooLongForAKeyFailToSaveInsteadOfVanishing) {
  std::wstring tooLong(300, L'x');
  EXPECT_FALSE(SaveMachineWide(tooLong, {}));
  EXPECT_FALSE(SaveCardPart(tooLong, L"{card}", L"LAN", {}, 6));
  EXPECT_TRUE(SaveCardPart(L"Office", L"{card}", L"LAN", {}, 6));
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, Key(L"Office") + L"\\{card}", L"Description"), L"LAN");
}

// IPv6 lives beside the card's IPv4 values: a part that never had it keeps
// the shape it always had, a saver that does not know it leaves it alone,
// bad stored data means "leave IPv6 alone", and nothing typed is lost.
TEST_F(SettingStoreTest, CardPartIpv6IsAdditiveAndNeverLost) {
  const std::wstring card = Key(L"Office") + L"\\{card}";
  CardPart part;
  ASSERT_TRUE(SaveCardPart(L"Office", L"{card}", L"LAN", part, 6));
  const size_t ipv4Values = ValueNames(HKEY_LOCAL_MACHINE, card).size();
  EXPECT_EQ(LoadCardPart(L"Office", L"{card}", 6)->ipv6, Ipv6Setting{});

  const Ipv6Setting fixed{Ipv6Choice::Fixed, {L"2001:db8::10/64"}, {L"fe80::1%12"}, {L"2001:db8::53", L"2001:db8::54"}};
  part.ipv6 = fixed;
  ASSERT_TRUE(SaveCardPart(L"Office", L"{card}", L"LAN", part, 6));
  EXPECT_EQ(LoadCardPart(L"Office", L"{card}", 6)->ipv6, fixed);
  part.ipv6.reset();  // a saver that does not edit IPv6
  ASSERT_TRUE(SaveCardPart(L"Office", L"{card}", L"LAN", part, 6));
  EXPECT_EQ(LoadCardPart(L"Office", L"{card}", 6)->ipv6, fixed);

  const struct {
    const char* title;
    std::function<void()> spoil;
    Ipv6Setting expected;
  } cases[] = {
      {"an unknown choice", [&] { SetDword(HKEY_LOCAL_MACHINE, card, kIpv6ModeValue, 7); },
       {Ipv6Choice::Unchanged, fixed.addresses, fixed.gateways, fixed.dnsServers}},
      {"a choice of the wrong type", [&] { SetString(HKEY_LOCAL_MACHINE, card, kIpv6ModeValue, L"2"); },
       {Ipv6Choice::Unchanged, fixed.addresses, fixed.gateways, fixed.dnsServers}},
      {"a list of the wrong type", [&] { SetString(HKEY_LOCAL_MACHINE, card, kIpv6AddressValue, L"2001:db8::1/64"); },
       {Ipv6Choice::Fixed, {}, fixed.gateways, fixed.dnsServers}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    part.ipv6 = fixed;
    ASSERT_TRUE(SaveCardPart(L"Office", L"{card}", L"LAN", part, 6));
    c.spoil();
    EXPECT_EQ(LoadCardPart(L"Office", L"{card}", 6)->ipv6, c.expected);
  }

  // Left alone with its lists kept: what was typed stays for later.
  part.ipv6 = Ipv6Setting{Ipv6Choice::Unchanged, {L"2001:db8::10/64"}, {}, {}};
  ASSERT_TRUE(SaveCardPart(L"Office", L"{card}", L"LAN", part, 6));
  EXPECT_EQ(LoadCardPart(L"Office", L"{card}", 6)->ipv6, part.ipv6);
  // Left alone with nothing typed: the part has its old shape again.
  part.ipv6 = Ipv6Setting{};
  ASSERT_TRUE(SaveCardPart(L"Office", L"{card}", L"LAN", part, 6));
  EXPECT_EQ(ValueNames(HKEY_LOCAL_MACHINE, card).size(), ipv4Values);
}

}  // namespace
}  // namespace kip
