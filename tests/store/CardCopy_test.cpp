// Copying a card's stored settings to another card, the source list, and
// the undo.
#include "store/CardCopy.h"

#include <algorithm>
#include <optional>

#include "SnapshotPrint.h"
#include "store/StoreKeys.h"
#include "support/RegistrySandbox.h"
#include "support/ScratchFolder.h"
#include "util/Files.h"

namespace kip {
namespace {


const std::wstring kRoot = kStoreRootKey;
const std::wstring kOffice = kRoot + L"\\会社";
const std::wstring kHome = kRoot + L"\\自宅";
const std::wstring kBare = kRoot + L"\\空";
const std::wstring kOld = L"{0000000A-0000-0000-0000-4E6574446576}";      // stored, no longer present
const std::wstring kNew = L"{00000002-0000-0000-0000-4E6574446576}";      // present
const std::wstring kUnnamed = L"{0000000B-0000-0000-0000-4E6574446576}";  // stored without a label
const std::wstring kNewLabel = L"Realtek PCIe GbE";

class CardCopyTest : public RegistryTest {
 protected:
  void SetUp() override {
    SetDword(HKEY_LOCAL_MACHINE, kRoot + L"\\TFormIpconfig", L"mOSCheck", 1);
    for (const std::wstring& setting : {kOffice, kHome}) SeedCard(setting + L"\\" + kOld, setting == kOffice);
    SetString(HKEY_LOCAL_MACHINE, kOffice + L"\\" + kNew, L"Description", L"以前のラベル");
    SetMultiString(HKEY_LOCAL_MACHINE, kOffice + L"\\" + kNew, L"IPAddress", {L"192.168.1.2"});
    SetString(HKEY_LOCAL_MACHINE, kOffice + L"\\" + kNew, L"Only in target", L"kept");
    SetDword(HKEY_LOCAL_MACHINE, kOffice + L"\\" + kUnnamed, L"EnableDHCP", 1);
    SetDword(HKEY_LOCAL_MACHINE, kOffice + L"\\FireWall", L"Enable", 1);
    SetString(HKEY_LOCAL_MACHINE, kBare, L"Hosts File", L"");
  }

  void SeedCard(const std::wstring& key, bool office) {
    SetString(HKEY_LOCAL_MACHINE, key, L"Description", L"Old card");
    SetDword(HKEY_LOCAL_MACHINE, key, L"EnableDHCP", 0);
    SetMultiString(HKEY_LOCAL_MACHINE, key, L"IPAddress", {office ? L"10.0.0.5" : L"172.16.0.5", L"10.0.1.5"});
    SetMultiString(HKEY_LOCAL_MACHINE, key, L"SubnetMask", {L"255.0.0.0", L"255.255.255.0"});
    SetMultiString(HKEY_LOCAL_MACHINE, key, L"NameServerList", {L"10.0.0.9"});
    SetString(HKEY_LOCAL_MACHINE, key, L"NameServer", L"10.0.0.53,10.0.0.54");
    SetDword(HKEY_LOCAL_MACHINE, key, L"RegistrationEnabled", 1);
    SetExpandString(HKEY_LOCAL_MACHINE, key, L"Expandable", L"%TEMP%");
    SetRaw(HKEY_LOCAL_MACHINE, key, L"Binary", REG_BINARY, {1, 2, 3});
    SetString(HKEY_LOCAL_MACHINE, key, L"MACAddress", L"52:54:00:00:00:0A");
  }

  test::ScratchFolder scratch_;
  const std::wstring undo = scratch_ / L"kIpUndo";
};

TEST_F(CardCopyTest, SourceListMarksPresentAndAbsentCardsAndSkipsTheFirewallKey) {
  // Present is decided without regard to letter case.
  const StringList ids{L"{0000000C-0000-0000-0000-4E6574446576}", ToLower(kNew)};
  const StringList labels{L"Wi-Fi", kNewLabel};
  CardLists lists = FillCardLists(L"会社", ids, labels);
  EXPECT_EQ(lists.targets, labels);
  ASSERT_TRUE(lists.sources);
  std::vector<std::pair<std::wstring, std::wstring>> listed;
  for (size_t i = 0; i < lists.sources->items.size(); ++i)
    listed.emplace_back(lists.sources->cardIds.at(i), lists.sources->items[i]);
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::pair<std::wstring, std::wstring>>{
                        {kNew, L"○ 以前のラベル"}, {kOld, L"× Old card"}, {kUnnamed, L"× " + kUnnamed}}));

  for (const std::wstring& setting : {std::wstring(L"無い設定"), std::wstring()}) {
    CardLists none = FillCardLists(setting, ids, labels);
    EXPECT_FALSE(none.sources) << "setting \"" << ToUtf8(setting) << "\"";
    EXPECT_EQ(none.targets, labels);
  }
  ASSERT_TRUE(FillCardLists(L"空", ids, labels).sources);
  EXPECT_TRUE(FillCardLists(L"空", ids, labels).sources->items.empty());
}

TEST_F(CardCopyTest, CopyFromAnAbsentCardReachesEverySettingThatHadItAndUndoPutsTheStoreBack) {
  const std::optional<SnapshotKey> before = ReadStoreTree();
  CardCopyOutcome outcome = CopyCardSettings(kOld, kNew, kNewLabel, undo);
  EXPECT_EQ(outcome.result, CardCopyResult::Copied);
  EXPECT_EQ(outcome.settingsCopied, 2);
  EXPECT_TRUE(outcome.undoAvailable);
  EXPECT_EQ(CardCopyMessage(outcome), L"設定のコピーに成功しました.");

  for (const std::wstring& setting : {kOffice, kHome}) {
    SCOPED_TRACE(ToUtf8(setting));
    const std::wstring to = setting + L"\\" + kNew;
    const std::wstring from = setting + L"\\" + kOld;
    EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, to, L"Description"), kNewLabel);
    for (const wchar_t* list : {L"IPAddress", L"SubnetMask", L"NameServerList"})
      EXPECT_EQ(GetMultiString(HKEY_LOCAL_MACHINE, to, list), GetMultiString(HKEY_LOCAL_MACHINE, from, list)) << list;
    EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, to, L"NameServer"), L"10.0.0.53,10.0.0.54");
    EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, to, L"EnableDHCP"), 0u);
    EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, to, L"RegistrationEnabled"), 1u);
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, to, L"Expandable"));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, to, L"Binary"));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, to, L"MACAddress"));  // the old card's, not the target's
    EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, from, L"Description"), L"Old card");
  }
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, kOffice + L"\\" + kNew, L"Only in target"), L"kept");
  // Settings without the source card get no target key.
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kBare + L"\\" + kNew));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kRoot + L"\\TFormIpconfig\\" + kNew));

  UndoOutcome undone = UndoCardCopy(undo);
  EXPECT_TRUE(undone.restored);
  EXPECT_FALSE(undone.undoAvailable);
  EXPECT_FALSE(FileExists(undo));
  // The store as it was, but for the count of commits, which a restore of
  // the store moves on (never back).
  std::optional<SnapshotKey> after = ReadStoreTree();
  ASSERT_TRUE(after);
  std::erase_if(after->values, [](const SnapshotValue& value) { return value.name == L"Commit Serial"; });
  EXPECT_EQ(after, before);
  EXPECT_EQ(UndoMessage(undone.restored), L"アンドゥに成功しました.");

  // The snapshot is gone (as after a Yes to the save question): undo fails.
  UndoOutcome again = UndoCardCopy(undo);
  EXPECT_FALSE(again.restored);
  EXPECT_EQ(UndoMessage(again.restored), L"アンドゥに失敗しました.");
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kRoot, L"Commit Serial"), 1u);  // a refused undo moves nothing
  EXPECT_EQ(ReadStoreTree()->subkeys, before->subkeys);
}

TEST_F(CardCopyTest, CopyingACardOntoItselfRewritesOnlyItsLabel) {
  const std::wstring key = kOffice + L"\\" + kOld;
  const std::optional<SnapshotKey> before = ReadStoreTree();
  CardCopyOutcome outcome = CopyCardSettings(kOld, kOld, L"新しいラベル", undo);
  EXPECT_EQ(outcome.result, CardCopyResult::Copied);
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, key, L"Description"), L"新しいラベル");

  SetString(HKEY_LOCAL_MACHINE, key, L"Description", L"Old card");
  SetString(HKEY_LOCAL_MACHINE, kHome + L"\\" + kOld, L"Description", L"Old card");
  EXPECT_EQ(ReadStoreTree(), before);
}

TEST_F(CardCopyTest, WithoutACopyableChoiceNothingChangesButTheSnapshotIsTaken) {
  const std::optional<SnapshotKey> before = ReadStoreTree();
  struct Case {
    std::wstring from, to;
    CardCopyResult result;
    std::wstring message;
  } cases[] = {
      {L"", kNew, CardCopyResult::NotChosen, L""},
      {kOld, L"", CardCopyResult::NotChosen, L""},
      {L"", L"", CardCopyResult::NotChosen, L""},
      {L"{DEADBEEF-0000-0000-0000-000000000000}", kNew, CardCopyResult::NothingCopied,
       L"設定のコピーに失敗しました."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.from + L" -> " + c.to));
    DeleteFileW(undo.c_str());
    CardCopyOutcome outcome = CopyCardSettings(c.from, c.to, kNewLabel, undo);
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(outcome.settingsCopied, 0);
    EXPECT_EQ(CardCopyMessage(outcome), c.message);
    EXPECT_TRUE(outcome.undoAvailable);
    EXPECT_TRUE(FileExists(undo));
    EXPECT_EQ(ReadStoreTree(), before);
  }
}

}  // namespace
}  // namespace kip
