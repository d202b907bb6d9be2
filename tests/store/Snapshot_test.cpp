// Export and import of the whole store: exact round trips, and imports that
// must leave the store untouched.
#include "store/Snapshot.h"

#include <optional>
#include <string>

#include "SnapshotPrint.h"
#include "store/StoreKeys.h"
#include "support/RegistrySandbox.h"
#include "support/ScratchFolder.h"
#include "util/Files.h"

namespace kip {
namespace {

using namespace std::string_view_literals;

const std::wstring kRoot = kStoreRootKey;
const std::wstring kOffice = kRoot + L"\\会社";
const std::wstring kCard = kOffice + L"\\{0000000A-0000-0000-0000-4E6574446576}";
const std::wstring kOddName = L"a\\b \"q\" = c\x01\t end";

class SnapshotTest : public RegistryTest {
 protected:
  // A store with every value type, odd names and nested keys.
  void SeedStore() {
    SetDword(HKEY_LOCAL_MACHINE, kRoot, L"Setting Index", 1);
    SetString(HKEY_LOCAL_MACHINE, kRoot, L"RootPath", L"C:\\kIp\\");
    SetDword(HKEY_LOCAL_MACHINE, kRoot + L"\\TFormIpconfig", L"mOSCheck", 1);
    SetString(HKEY_LOCAL_MACHINE, kOffice, L"Hosts File", L"C:\\hosts.会社");
    SetExpandString(HKEY_LOCAL_MACHINE, kOffice, L"Expand", L"%TEMP%\\x");
    CreateKey(HKEY_LOCAL_MACHINE, kOffice + L"\\FireWall\\AA");
    SetString(HKEY_LOCAL_MACHINE, kOffice + L"\\FireWall\\GP", L"80:TCP", L"80:TCP:*:Enabled:web");
    SetMultiString(HKEY_LOCAL_MACHINE, kCard, L"IPAddress", {L"10.0.0.1", L"", L" ", L"10.0.0.2"});
    SetRaw(HKEY_LOCAL_MACHINE, kCard, L"Odd binary", REG_BINARY, {0x00, 0xFF, 0x0A});
    SetRaw(HKEY_LOCAL_MACHINE, kCard, L"None", REG_NONE, {});
    SetRaw(HKEY_LOCAL_MACHINE, kCard, L"Unterminated", REG_SZ, WideBytes(L"abc"sv));
    SetRaw(HKEY_LOCAL_MACHINE, kCard, L"Odd size string", REG_SZ, {0x41, 0x00, 0x42});
    SetRaw(HKEY_LOCAL_MACHINE, kCard, L"Qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8});
    SetString(HKEY_LOCAL_MACHINE, kCard, kOddName, L"odd");
    SetString(HKEY_LOCAL_MACHINE, kCard, L"", L"default value");
  }

  // Changes that a successful restore must undo.
  void ChangeStore() {
    DeleteKey(HKEY_LOCAL_MACHINE, kCard);
    SetString(HKEY_LOCAL_MACHINE, kRoot + L"\\Later", L"Hosts File", L"later");
    SetDword(HKEY_LOCAL_MACHINE, kRoot, L"Setting Index", 7);
    SetString(HKEY_LOCAL_MACHINE, kRoot, L"Added", L"x");
  }

  // A file name of this test's own folder.
  std::wstring File(const std::wstring& name) const { return scratch_ / name; }
  test::ScratchFolder scratch_;

  static void WriteFile(const std::wstring& path, std::string_view bytes) { ASSERT_TRUE(WriteWholeFile(path, bytes)); }

  // The store after an import, without the commit count the import moved
  // on (from none to 1 here).
  static std::optional<SnapshotKey> ImportedTree() {
    std::optional<SnapshotKey> tree = ReadStoreTree();
    if (!tree) return tree;
    EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kRoot, L"Commit Serial"), 1u);
    std::erase_if(tree->values, [](const SnapshotValue& value) { return value.name == L"Commit Serial"; });
    return tree;
  }
};

TEST_F(SnapshotTest, RoundTripRestoresEveryKeyValueAndByte) {
  SeedStore();
  const std::optional<SnapshotKey> before = ReadStoreTree();
  ASSERT_TRUE(before);
  const std::wstring file = File(L"export");
  ASSERT_TRUE(SaveStoreSnapshot(file));
  ChangeStore();

  ASSERT_TRUE(RestoreStoreSnapshot(file));
  EXPECT_EQ(ImportedTree(), before);
  // Read back without the snapshot's own reader.
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kRoot + L"\\Later"));
  EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kRoot, L"Added"));
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kRoot, L"Setting Index"), 1u);
  EXPECT_EQ(GetMultiString(HKEY_LOCAL_MACHINE, kCard, L"IPAddress"), (StringList{L"10.0.0.1", L"", L" ", L"10.0.0.2"}));
  EXPECT_EQ(GetRaw(HKEY_LOCAL_MACHINE, kCard, L"Unterminated")->Data, WideBytes(L"abc"sv));
  auto odd = GetRaw(HKEY_LOCAL_MACHINE, kCard, L"Odd size string");
  EXPECT_EQ(odd->Type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(odd->Data, (std::vector<BYTE>{0x41, 0x00, 0x42}));
  EXPECT_EQ(GetRaw(HKEY_LOCAL_MACHINE, kCard, L"None")->Type, static_cast<DWORD>(REG_NONE));
  EXPECT_EQ(GetRaw(HKEY_LOCAL_MACHINE, kCard, L"Qword")->Data, (std::vector<BYTE>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, kCard, kOddName), L"odd");
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, kCard, L""), L"default value");
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kOffice + L"\\FireWall\\AA"));
}

TEST_F(SnapshotTest, ImportOfABadFileLeavesTheStoreExactlyAsItWas) {
  SeedStore();
  ASSERT_TRUE(SaveStoreSnapshot(File(L"good")));
  const std::string text = ReadWholeFile(File(L"good"));
  ChangeStore();
  const std::optional<SnapshotKey> before = ReadStoreTree();
  ASSERT_TRUE(before);

  // Well-formed snapshots whose last key the registry cannot take: the
  // replacement fails after most of the store has been written.
  auto withLastKey = [&](const std::wstring& name) {
    SnapshotKey tree = ParseSnapshotText(text).root;
    tree.subkeys.push_back({name, {{L"v", REG_SZ, {0x61, 0}}}, {}});
    return FormatSnapshotText(tree);
  };
  std::string altered = text;
  altered[text.size() / 2] ^= 0x01;
  struct Case {
    const char* what;
    std::optional<std::string> content;
  } cases[] = {
      {"missing file", std::nullopt},
      {"empty file", ""},
      {"first half", text.substr(0, text.size() / 2)},
      {"last byte lost", text.substr(0, text.size() - 1)},
      {"one byte altered", altered},
      {"Wine's own registry text", "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n"},
      {"a registry hive, which Wine cannot restore", "regf" + std::string(60, '\0')},
      {"a key name holding a backslash", withLastKey(L"a\\b")},
      {"a key name longer than the registry allows", withLastKey(std::wstring(300, L'k'))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::wstring file = File(FromUtf8(c.what));
    if (c.content) WriteFile(file, *c.content);
    EXPECT_FALSE(RestoreStoreSnapshot(file));
    EXPECT_EQ(ReadStoreTree(), before);
  }
}

// An import or undo that stops part way (a key the registry would not
// delete) leaves surviving keys beside deleted and new ones. Going back
// works from whatever is there: survivors are refilled, deleted keys come
// back, new ones go.
TEST_F(SnapshotTest, GoingBackRestoresAHalfReplacedStoreAroundSurvivingKeys) {
  SeedStore();
  const std::optional<SnapshotKey> before = ReadStoreTree();
  ASSERT_TRUE(before);
  ChangeStore();
  DeleteKey(HKEY_LOCAL_MACHINE, kOffice + L"\\FireWall\\AA");
  SetString(HKEY_LOCAL_MACHINE, kOffice, L"Hosts File", L"from the new store");
  SetDword(HKEY_LOCAL_MACHINE, kOffice, L"Expand", 1);
  SetString(HKEY_LOCAL_MACHINE, kOffice + L"\\New", L"v", L"x");
  EXPECT_TRUE(RestoreMachineKeyTree(kRoot, *before));
  EXPECT_EQ(ReadStoreTree(), before);
}

TEST_F(SnapshotTest, ExportReplacesAnExistingFile) {
  SeedStore();
  const std::wstring file = File(L"export");
  WriteFile(file, "an older file that is no snapshot at all, and longer than none");
  ASSERT_TRUE(SaveStoreSnapshot(file));
  ChangeStore();
  ASSERT_TRUE(SaveStoreSnapshot(file));

  SnapshotParseResult saved = ParseSnapshotText(ReadWholeFile(file));
  ASSERT_TRUE(saved.ok()) << saved.error;
  EXPECT_EQ(saved.root, ReadStoreTree());
}

// The hive calls Wine cannot run, stood in for: the key's tree in the text
// format behind a hive's signature, so that the code around the calls (the
// copy an export saves, the store root an import restores into) runs here.
SnapshotFormat HiveStandIn(bool restores = true) {
  SnapshotFormat hive;
  hive.writeHive = true;
  hive.saveHive = [](HKEY key, const std::wstring& file) {
    std::optional<SnapshotKey> tree = ReadRegistryTree(key);
    return tree && WriteWholeFile(file, "regf" + FormatSnapshotText(*tree));
  };
  hive.restoreHive = [restores](HKEY key, const std::wstring& file) {
    SnapshotParseResult parsed = ParseSnapshotText(ReadWholeFile(file).substr(4));
    return restores && parsed.ok() && ReplaceRegistryTree(key, parsed.root);
  };
  return hive;
}

// A PC where the program never ran has no store root: an export fails and
// keeps the previous file; an import, in either format, creates the store;
// a refused one leaves none behind.
TEST_F(SnapshotTest, OnAPCWhereTheProgramNeverRanAnImportCreatesTheStore) {
  SeedStore();
  const std::optional<SnapshotKey> seeded = ReadStoreTree();
  const std::wstring text = File(L"text"), hive = File(L"hive"), damaged = File(L"damaged"), file = File(L"older");
  ASSERT_TRUE(SaveStoreSnapshot(text));
  ASSERT_TRUE(SaveStoreSnapshot(hive, HiveStandIn()));
  WriteFile(damaged, ReadWholeFile(text).substr(0, 40));
  DeleteKey(HKEY_LOCAL_MACHINE, kRoot);

  WriteFile(file, "older");
  EXPECT_FALSE(SaveStoreSnapshot(file));
  EXPECT_EQ(ReadWholeFile(file), "older");
  EXPECT_FALSE(FileExists(ReplacementPath(file)));

  const struct {
    const char* what;
    const std::wstring& file;
    SnapshotFormat format;
    bool restored;
  } cases[] = {
      {"text", text, MachineSnapshotFormat(), true},
      {"hive", hive, HiveStandIn(), true},
      {"damaged text", damaged, MachineSnapshotFormat(), false},
      {"hive the registry refuses", hive, HiveStandIn(false), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(RestoreStoreSnapshot(c.file, c.format), c.restored);
    EXPECT_EQ(c.restored ? ImportedTree() : ReadStoreTree(), c.restored ? seeded : std::nullopt);
    DeleteKey(HKEY_LOCAL_MACHINE, kRoot);
  }
}

// The states commits with automatic return go back to describe this
// machine: an export, in either format, leaves them out (and in the store).
TEST_F(SnapshotTest, ExportsNeverCarryTheStatesACommitGoesBackTo) {
  SeedStore();
  const std::optional<SnapshotKey> exported = ReadStoreTree();
  const std::wstring returnKey = kRoot + L"\\TFormIpconfig\\Return\\1234-5678";
  SetString(HKEY_LOCAL_MACHINE, returnKey, L"Return Card Ids", L"x");
  for (const SnapshotFormat& format : {MachineSnapshotFormat(), HiveStandIn()}) {
    SCOPED_TRACE(format.writeHive ? "hive" : "text");
    const std::wstring file = File(format.writeHive ? L"hive" : L"text");
    ASSERT_TRUE(SaveStoreSnapshot(file, format));
    const std::string bytes = ReadWholeFile(file);
    EXPECT_EQ(ParseSnapshotText(format.writeHive ? bytes.substr(4) : bytes).root, exported);
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, returnKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"\\SOFTWARE\\harlune\\Harlune Ip Config Export"));
  }
}

// An import replaces the settings but not what belongs to this machine: the
// states pending way backs go back to stay (a state in the file is none of
// this PC's), and the commit count ends above both its own and the file's,
// so that a pending way back takes the import for a later change.
TEST_F(SnapshotTest, AnImportKeepsTheKeptStatesAndMovesTheCountPastBoth) {
  const std::wstring options = kRoot + L"\\TFormIpconfig";
  const std::wstring returns = options + L"\\Return";
  const struct {
    const char* title;
    std::optional<DWORD> local, imported;
    bool hive;
    DWORD expected;
  } cases[] = {
      {"the local count is higher", 7, 3, false, 8},
      {"the file's count is higher", 3, 9, false, 10},
      {"no count anywhere", std::nullopt, std::nullopt, false, 1},
      {"only the file has one", std::nullopt, 4, false, 5},
      {"a hive", 7, 3, true, 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    DeleteKey(HKEY_LOCAL_MACHINE, kRoot);
    SeedStore();
    SetString(HKEY_LOCAL_MACHINE, returns + L"\\99-9", L"Return Card Ids", L"another PC's");
    if (c.imported) SetDword(HKEY_LOCAL_MACHINE, kRoot, L"Commit Serial", *c.imported);
    std::optional<SnapshotKey> file = ReadStoreTree();  // with the other PC's state, as an old export had it
    ASSERT_TRUE(file);
    const std::wstring saved = File(L"saved");
    WriteFile(saved, (c.hive ? "regf" : "") + FormatSnapshotText(*file));
    DeleteKey(HKEY_LOCAL_MACHINE, kRoot);
    SetString(HKEY_LOCAL_MACHINE, kRoot + L"\\自宅", L"Hosts File", L"local");
    SetString(HKEY_LOCAL_MACHINE, returns + L"\\11-1", L"Return Card Ids", L"pending");
    if (c.local) SetDword(HKEY_LOCAL_MACHINE, kRoot, L"Commit Serial", *c.local);

    ASSERT_TRUE(RestoreStoreSnapshot(saved, c.hive ? HiveStandIn() : MachineSnapshotFormat()));
    EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kRoot, L"Commit Serial"), c.expected);
    EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, returns + L"\\11-1", L"Return Card Ids"), L"pending");
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, returns + L"\\99-9"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kRoot + L"\\自宅"));  // the settings are the file's
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kCard));
    EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, options, L"mOSCheck"), 1u);
  }
}

TEST(SnapshotMessages, TheUndoSnapshotIsTakenAndRestoredSilently) {
  EXPECT_EQ(ExportMessage(kBackupFileName, false), L"エクスポートに失敗しました");
  EXPECT_EQ(ImportMessage(L"other", true), L"インポートに成功しました.");
  EXPECT_EQ(ExportMessage(kUndoFileName, true) + ImportMessage(kUndoFileName, false), L"");
}

}  // namespace
}  // namespace kip
