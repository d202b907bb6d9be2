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
#include "store/StoredSetting.h"
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

// Each stored group is read over the defaults it is given and ends at its
// first bad value: the fields from there on keep the defaults.
TEST_F(SettingStoreTest, AMachineWideGroupEndsAtItsFirstBadValueOverItsDefaults) {
  MachineWideValues saved;
  saved.hostsFile = L"C:\\h";
  saved.proxy = {true, L"px", L"8080", L"http://home", true, L"*.lan", false, L"http://pac"};
  saved.defaultPrinter = L"Laser";
  saved.domain = {true, L"corp", true, L"WG", false};
  saved.machineName = L"PC1";
  saved.ipEnableRouter = true;
  saved.useDomainNameDevolution = false;
  saved.searchList = {L"a.lan", L"b.lan"};
  MachineWideValues shown;  // what a group keeps from its first bad value on
  shown.hostsFile = L"shown hosts";
  shown.proxy = {false, L"shown", L"1", L"http://shown", false, L"shown.lan", true, L"http://shown.pac"};
  shown.defaultPrinter = L"Shown printer";
  shown.domain = {false, L"shown.corp", false, L"SHOWN", true};

  enum Spoil { Deleted, Text, Number };  // the value deleted, or made the text "1" or the number 2
  const struct {
    const wchar_t* bad;
    Spoil how;
    std::function<void(MachineWideValues&)> expect;  // applied to `saved`
  } cases[] = {
      {nullptr, Text, [](MachineWideValues&) {}},
      {L"ProxyEnable", Deleted, [&](MachineWideValues& v) { v.proxy = shown.proxy; }},
      {L"ProxyLoacl", Text,
       [&](MachineWideValues& v) {
         v.proxy.bypassLocal = shown.proxy.bypassLocal;
         v.proxy.bypassList = shown.proxy.bypassList;
         v.proxy.detailed = shown.proxy.detailed;
         v.proxy.autoConfigUrl = shown.proxy.autoConfigUrl;
       }},
      // Read in part, a domain group never switches the domain.
      {L"ChangeDomain", Deleted,
       [&](MachineWideValues& v) {
         v.domain = {false, L"corp", shown.domain.joinDomain, shown.domain.workGroup, shown.domain.joinWorkGroup};
       }},
      {L"default Printer", Number, [&](MachineWideValues& v) { v.defaultPrinter = shown.defaultPrinter; }},
      // Single values read as empty or off, whatever was shown.
      {L"Hosts File", Number, [](MachineWideValues& v) { v.hostsFile.clear(); }},
      {L"IPEnableRouter", Number, [](MachineWideValues& v) { v.ipEnableRouter = false; }},
      {L"UseDomainNameDevolution", Text,
       [](MachineWideValues& v) {
         v.useDomainNameDevolution = true;
         v.searchList.clear();
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bad ? c.bad : L"nothing bad");
    ASSERT_TRUE(SaveMachineWide(L"Office", saved));
    if (c.bad && c.how == Deleted) DeleteValue(HKEY_LOCAL_MACHINE, Key(L"Office"), c.bad);
    if (c.bad && c.how == Text) SetString(HKEY_LOCAL_MACHINE, Key(L"Office"), c.bad, L"1");
    if (c.bad && c.how == Number) SetDword(HKEY_LOCAL_MACHINE, Key(L"Office"), c.bad, 2);
    MachineWideValues expected = saved;
    c.expect(expected);
    EXPECT_TRUE(ReadStoredSetting({L"Office", {}, 6, shown}).machineWide == expected);
  }
  // The two join choices are a radio pair: the one read on last wins.
  saved.domain.joinWorkGroup = true;
  ASSERT_TRUE(SaveMachineWide(L"Office", saved));
  const DomainValues pair = ReadStoredSetting({L"Office", {}, 6, shown}).machineWide.domain;
  EXPECT_FALSE(pair.joinDomain);
  EXPECT_TRUE(pair.joinWorkGroup);
  // A setting that is not stored leaves every default as it was.
  const StoredSetting missing = ReadStoredSetting({L"Missing", {L"{card}"}, 6, shown});
  EXPECT_FALSE(missing.keyFound);
  EXPECT_EQ(missing.machineWide.proxy.server, L"shown");
  EXPECT_EQ(missing.cards.size(), 1u);
  EXPECT_FALSE(missing.cards[0].part);
}

// Each present card takes its own part, the part of an absent card that was
// the same hardware (found only when asked for), or none; the setting's
// key, card keys, firewall part and batch files come from one read.
TEST_F(SettingStoreTest, OneReadGivesEachCardItsOwnABorrowedOrNoPart) {
  CardPart part;
  part.tcpip.ipAddresses = {L"10.0.0.1"};
  part.macAddress = L"52:54:00:00:00:01";
  ASSERT_TRUE(SaveCardPart(L"Office", L"{own}", L"LAN own", part, 6));
  part.tcpip.ipAddresses = {L"10.0.0.2"};
  part.macAddress = L"52:54:00:00:00:02";
  ASSERT_TRUE(SaveCardPart(L"Office", L"{gone}", L"Old LAN", part, 6));
  SetDword(HKEY_LOCAL_MACHINE, Key(L"Office") + L"\\FireWall", L"Use FireWall Switch", 1);
  WriteBatchFile(BatchFilesOf(L"Office", folder_).after, {L"echo after"});

  int asked = 0;
  StoredSettingRequest request{L"Office", {L"{OWN}", L"{moved}", L"{other}", L""}, 6};
  request.identify = [&](const StringList& ids) {
    ++asked;
    EXPECT_EQ(ids, (StringList{L"{moved}", L"{other}"}));
    return std::vector<CardIdentity>{{L"{moved}", L"52-54-00-00-00-02", L""}, {L"{other}", L"52:54:00:00:00:09", L""}};
  };
  request.programFolder = folder_;
  const StoredSetting read = ReadStoredSetting(request);
  EXPECT_TRUE(read.keyFound);
  const struct {
    CardPartFound found;
    const wchar_t* key;
    const wchar_t* label;
    const wchar_t* address;  // nullptr: no part
  } expected[] = {{CardPartFound::Own, L"{own}", L"", L"10.0.0.1"},
                  {CardPartFound::SameMacAddress, L"{gone}", L"Old LAN", L"10.0.0.2"},
                  {CardPartFound::None, L"", L"", nullptr},
                  {CardPartFound::None, L"", L"", nullptr}};
  ASSERT_EQ(read.cards.size(), std::size(expected));
  for (size_t i = 0; i < read.cards.size(); ++i) {
    SCOPED_TRACE(i);
    const ChosenCardPart& card = read.cards[i];
    EXPECT_EQ(std::tie(card.found, card.cardKey, card.borrowedLabel),
              std::tie(expected[i].found, expected[i].key, expected[i].label));
    EXPECT_EQ(card.part.has_value(), expected[i].address != nullptr);
    if (card.part && expected[i].address) {
      EXPECT_EQ(card.part->tcpip.ipAddresses, StringList{expected[i].address});
    }
  }
  EXPECT_EQ(asked, 1);
  ASSERT_TRUE(read.firewall);
  EXPECT_TRUE(read.firewall->useSwitch);
  EXPECT_EQ(read.batch, (BatchTexts{{}, {L"echo after"}}));
  // The choice alone reads no part; with every card owning its part, the
  // cards are never identified.
  request.cardIds = {L"{own}", L"{gone}"};
  const std::vector<ChosenCardPart> choices = ChooseStoredParts(request);
  EXPECT_EQ(choices[0].found, CardPartFound::Own);
  EXPECT_EQ(choices[1].found, CardPartFound::Own);
  EXPECT_FALSE(choices[0].part);
  EXPECT_EQ(asked, 1);

  // Many cards are read in two halves: each still gets exactly its own.
  request.cardIds.clear();
  for (int i = 0; i < 9; ++i) {
    request.cardIds.push_back(L"{card" + std::to_wstring(i) + L"}");
    part.tcpip.ipAddresses = {L"10.1.0." + std::to_wstring(i)};
    ASSERT_TRUE(SaveCardPart(L"Office", request.cardIds.back(), L"LAN", part, 6));
  }
  const StoredSetting many = ReadStoredSetting(request);
  ASSERT_EQ(many.cards.size(), 9u);
  for (size_t i = 0; i < many.cards.size(); ++i) {
    ASSERT_TRUE(many.cards[i].part) << i;
    EXPECT_EQ(many.cards[i].part->tcpip.ipAddresses, StringList{L"10.1.0." + std::to_wstring(i)}) << i;
  }
  // A window that shows one card reads that card's part only.
  request.onlyPartOf = 4;
  const StoredSetting one = ReadStoredSetting(request);
  EXPECT_TRUE(one.cards[4].part && !one.cards[3].part && one.cards[3].found == CardPartFound::Own);
}

TEST_F(SettingStoreTest, CardLabelsAreRefreshedOnlyForPresentCards) {
  for (const auto& setting : {L"Office", L"Home"}) {
    SetString(HKEY_LOCAL_MACHINE, Key(setting) + L"\\{present}", L"Description", L"old label");
    SetString(HKEY_LOCAL_MACHINE, Key(setting) + L"\\{absent}", L"Description", L"gone card");
  }
  RefreshCardDescriptions(ListSettingNames(), {L"{present}", L"{unlabelled}"}, {L"LAN 1"});
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
  auto storedIpv6 = [] { return ReadStoredSetting({L"Office", {L"{card}"}, 6}).cards.at(0).part->ipv6; };
  CardPart part;
  ASSERT_TRUE(SaveCardPart(L"Office", L"{card}", L"LAN", part, 6));
  const size_t ipv4Values = ValueNames(HKEY_LOCAL_MACHINE, card).size();
  EXPECT_EQ(storedIpv6(), Ipv6Setting{});

  const Ipv6Setting fixed{Ipv6Choice::Fixed, {L"2001:db8::10/64"}, {L"fe80::1%12"}, {L"2001:db8::53", L"2001:db8::54"}};
  part.ipv6 = fixed;
  ASSERT_TRUE(SaveCardPart(L"Office", L"{card}", L"LAN", part, 6));
  EXPECT_EQ(storedIpv6(), fixed);
  part.ipv6.reset();  // a saver that does not edit IPv6
  ASSERT_TRUE(SaveCardPart(L"Office", L"{card}", L"LAN", part, 6));
  EXPECT_EQ(storedIpv6(), fixed);

  const struct {
    const char* title;
    std::function<void()> spoil;
    Ipv6Setting expected;
  } cases[] = {
      {"an unknown choice", [&] { SetDword(HKEY_LOCAL_MACHINE, card, kIpv6ModeValue, 7); },
       {Ipv6Choice::Unchanged, fixed.addresses, fixed.gateways, fixed.dnsServers}},
      {"a choice of the wrong type", [&] { SetString(HKEY_LOCAL_MACHINE, card, kIpv6ModeValue, L"2"); },
       {Ipv6Choice::Unchanged, fixed.addresses, fixed.gateways, fixed.dnsServers}},
      {"lists without a choice (never written so)", [&] { DeleteValue(HKEY_LOCAL_MACHINE, card, kIpv6ModeValue); },
       {}},
      {"a list of the wrong type", [&] { SetString(HKEY_LOCAL_MACHINE, card, kIpv6AddressValue, L"2001:db8::1/64"); },
       {Ipv6Choice::Fixed, {}, fixed.gateways, fixed.dnsServers}},
      {"the way back's choice with its autoconfiguration",
       [&] {
         SetDword(HKEY_LOCAL_MACHINE, card, kIpv6ModeValue, 3);
         for (const wchar_t* name : {kIpv6RouterDiscoveryValue, kIpv6ManagedAddressValue, kIpv6OtherStatefulValue}) {
           SetDword(HKEY_LOCAL_MACHINE, card, name, 0);
         }
       },
       {Ipv6Choice::AsItWas, fixed.addresses, fixed.gateways, fixed.dnsServers,
        Ipv6Autoconfig{Ipv6Autoconfig::RouterDiscovery::Disabled, false, false}}},
      // The fixed choice saved since has taken the one above away.
      {"the way back's choice typed by hand", [&] { SetDword(HKEY_LOCAL_MACHINE, card, kIpv6ModeValue, 3); },
       {Ipv6Choice::AsItWas, fixed.addresses, fixed.gateways, fixed.dnsServers}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    part.ipv6 = fixed;
    ASSERT_TRUE(SaveCardPart(L"Office", L"{card}", L"LAN", part, 6));
    c.spoil();
    EXPECT_EQ(storedIpv6(), c.expected);
  }

  // Left alone with its lists kept: what was typed stays for later.
  part.ipv6 = Ipv6Setting{Ipv6Choice::Unchanged, {L"2001:db8::10/64"}, {}, {}};
  ASSERT_TRUE(SaveCardPart(L"Office", L"{card}", L"LAN", part, 6));
  EXPECT_EQ(storedIpv6(), part.ipv6);
  // Left alone with nothing typed: the part has its old shape again.
  part.ipv6 = Ipv6Setting{};
  ASSERT_TRUE(SaveCardPart(L"Office", L"{card}", L"LAN", part, 6));
  EXPECT_EQ(ValueNames(HKEY_LOCAL_MACHINE, card).size(), ipv4Values);
}

}  // namespace
}  // namespace kip
