#include "util/kRegistry.h"

#include <functional>
#include <optional>
#include <string>

#include "support/RegistrySandbox.h"

namespace kip {
namespace {

constexpr wchar_t kKey[] = L"SOFTWARE\\kIpTest";
constexpr wchar_t kAbsKey[] = L"\\SOFTWARE\\kIpTest";

class TkRegistryTest : public RegistryTest {
 protected:
  // A cursor on HKLM with kKey open for writing.
  TkRegistry& Opened() {
    EXPECT_TRUE(registry_.OpenKey(kAbsKey, true));
    return registry_;
  }
  StringList ReadList(std::wstring_view name) {
    StringList list{L"stale"};
    Opened().ReadStringList(name, list);
    return list;
  }
  void SetListBytes(std::wstring_view name, std::wstring_view text) {
    SetRaw(HKEY_LOCAL_MACHINE, kKey, name, REG_MULTI_SZ, WideBytes(text));
  }

  TkRegistry registry_{HKEY_LOCAL_MACHINE};
};

template <typename Exception, typename Body>
std::wstring MessageOf(Body body) {
  try {
    body();
  } catch (const Exception& e) {
    return e.Message();
  }
  return L"(nothing raised)";
}

using namespace std::string_view_literals;

// --- multi-strings ---------------------------------------------------------

TEST_F(TkRegistryTest, StringListRoundTripStoresEachEntryWithItsNulAndOneMore) {
  Opened().WriteStringList(L"IPAddress", {L"10.0.0.1", L"10.0.0.2"});
  auto raw = GetRaw(HKEY_LOCAL_MACHINE, kKey, L"IPAddress");
  ASSERT_TRUE(raw);
  EXPECT_EQ(raw->Type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(raw->Data, WideBytes(L"10.0.0.1\0" L"10.0.0.2\0\0"sv));
  EXPECT_EQ(raw->Data.size(), 38u);
  EXPECT_EQ(ReadList(L"IPAddress"), (StringList{L"10.0.0.1", L"10.0.0.2"}));

  Opened().WriteStringList(L"Empty", {});
  EXPECT_EQ(GetRaw(HKEY_LOCAL_MACHINE, kKey, L"Empty")->Data, WideBytes(L"\0"sv));
  EXPECT_EQ(ReadList(L"Empty"), StringList{});
}

// Blank entries are dropped, surrounding blanks kept; text after the last
// NUL and an odd byte are ignored; a missing or empty value is an empty list.
TEST_F(TkRegistryTest, StringListDecoding) {
  std::vector<BYTE> odd = WideBytes(L"x\0y\0"sv);
  odd.push_back(0x41);
  const struct {
    std::vector<BYTE> bytes;
    StringList expected;
  } cases[] = {{WideBytes(L"a\0\0b\0 \t \0  c  \0\0"sv), {L"a", L"b", L"  c  "}},
               {WideBytes(L"first\0second"sv), {L"first"}},
               {WideBytes(L"lonely"sv), {}},
               {odd, {L"x", L"y"}},
               {{}, {}}};
  for (const auto& c : cases) {
    SetRaw(HKEY_LOCAL_MACHINE, kKey, L"List", REG_MULTI_SZ, c.bytes);
    EXPECT_EQ(ReadList(L"List"), c.expected);
  }
  EXPECT_EQ(ReadList(L"Missing"), StringList{});

  SetString(HKEY_LOCAL_MACHINE, kKey, L"Plain", L"10.0.0.1");
  StringList list{L"stale"};
  EXPECT_EQ(MessageOf<EkRegistryException>([&] { Opened().ReadStringList(L"Plain", list); }),
            L"'Plain' のデータ型が不正です");
  EXPECT_TRUE(list.empty());
}

TEST_F(TkRegistryTest, StringListReadsHugeValues) {
  StringList many;
  for (int i = 0; i < 40000; ++i) many.push_back(L"192.168." + std::to_wstring(i / 256) + L"." + std::to_wstring(i % 256));
  Opened().WriteStringList(L"Huge", many);
  EXPECT_EQ(ReadList(L"Huge"), many);
}

// --- strings and integers -------------------------------------------------

TEST_F(TkRegistryTest, AMissingStringIsEmptyOtherBadReadsRaiseWithTheValueName) {
  SetDword(HKEY_LOCAL_MACHINE, kKey, L"Number", 5);
  SetString(HKEY_LOCAL_MACHINE, kKey, L"Text", L"5");
  SetRaw(HKEY_LOCAL_MACHINE, kKey, L"ShortDword", REG_DWORD, {1, 2});
  SetRaw(HKEY_LOCAL_MACHINE, kKey, L"Bytes", REG_BINARY, {1, 0, 0, 0});
  EXPECT_EQ(Opened().ReadString(L"Nothing"), L"");
  const auto readString = [&](const wchar_t* name) { Opened().ReadString(name); };
  const auto readInteger = [&](const wchar_t* name) { Opened().ReadInteger(name); };
  const struct {
    std::function<void(const wchar_t*)> read;
    const wchar_t* name;
    const wchar_t* message;
  } cases[] = {{readInteger, L"Nothing", L"'Nothing' の取得に失敗しました"},
               {readString, L"Number", L"'Number' のデータ型が不正です"},
               {readInteger, L"Text", L"'Text' のデータ型が不正です"},
               {readInteger, L"ShortDword", L"'ShortDword' のデータ型が不正です"},
               {readInteger, L"Bytes", L"'Bytes' のデータ型が不正です"},
               {readInteger, L"%s %d %n", L"'%s %d %n' の取得に失敗しました"}};
  for (const auto& c : cases) EXPECT_EQ(MessageOf<ERegistryException>([&] { c.read(c.name); }), c.message);
}

// Each optional read gives what its raising read gives, and nothing where
// that read raises: a missing string or list is empty, a missing integer
// is nothing.
TEST_F(TkRegistryTest, OptionalReadsGiveNothingExactlyWhereTheRaisingReadsRaise) {
  SetDword(HKEY_LOCAL_MACHINE, kKey, L"Number", 5);
  SetString(HKEY_LOCAL_MACHINE, kKey, L"Text", L"5");
  SetRaw(HKEY_LOCAL_MACHINE, kKey, L"ShortDword", REG_DWORD, {1, 2});
  SetListBytes(L"List", std::wstring(L"a\0b\0\0", 5));
  TkRegistry& reg = Opened();
  auto orNothing = [](auto read) -> std::optional<decltype(read())> {
    try {
      return read();
    } catch (const KipError&) {
      return std::nullopt;
    }
  };
  for (const wchar_t* name : {L"Missing", L"Number", L"Text", L"ShortDword", L"List"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(reg.TryReadString(name), orNothing([&] { return reg.ReadString(name); }));
    EXPECT_EQ(reg.TryReadExpandedString(name).has_value(), reg.TryReadString(name).has_value());
    EXPECT_EQ(reg.TryReadInteger(name), orNothing([&] { return reg.ReadInteger(name); }));
    EXPECT_EQ(reg.TryReadStringList(name), orNothing([&] {
                StringList list;
                reg.ReadStringList(name, list);
                return list;
              }));
  }
}

TEST_F(TkRegistryTest, OddValueNamesWorkAndAreNeverTakenAsFormatDirectives) {
  const std::wstring odd = L"a\\b \"c\"\t%s";
  Opened().WriteString(odd, L"v");
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, kKey, odd), L"v");
  EXPECT_EQ(Opened().ReadString(odd), L"v");
}

TEST_F(TkRegistryTest, StringsAndIntegersRoundTrip) {
  TkRegistry& reg = Opened();
  reg.WriteString(L"Name", L"ネットワーク");
  reg.WriteString(L"Blank", L"");
  reg.WriteInteger(L"Minus", -1);
  SetExpandString(HKEY_LOCAL_MACHINE, kKey, L"Path", L"%SystemRoot%\\x");
  EXPECT_EQ(reg.ReadString(L"Name"), L"ネットワーク");
  EXPECT_EQ(GetRaw(HKEY_LOCAL_MACHINE, kKey, L"Name")->Data.size(), 7u * 2);
  EXPECT_EQ(reg.ReadString(L"Blank"), L"");
  EXPECT_EQ(reg.ReadInteger(L"Minus"), -1);
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kKey, L"Minus"), 0xFFFFFFFFu);
  // ReadString gives an expandable string as stored.
  EXPECT_EQ(reg.ReadString(L"Path"), L"%SystemRoot%\\x");
}

TEST_F(TkRegistryTest, StringsEndAtTheFirstNulAndNeedNoTerminator) {
  SetRaw(HKEY_LOCAL_MACHINE, kKey, L"Embedded", REG_SZ, WideBytes(L"ab\0cd\0"sv));
  SetRaw(HKEY_LOCAL_MACHINE, kKey, L"Unterminated", REG_SZ, WideBytes(L"xyz"sv));
  std::vector<BYTE> odd = WideBytes(L"pq"sv);
  odd.push_back('r');
  SetRaw(HKEY_LOCAL_MACHINE, kKey, L"OddBytes", REG_SZ, odd);
  EXPECT_EQ(Opened().ReadString(L"Embedded"), L"ab");
  EXPECT_EQ(Opened().ReadString(L"Unterminated"), L"xyz");
  EXPECT_EQ(Opened().ReadString(L"OddBytes"), L"pq");
}

TEST_F(TkRegistryTest, WritesWithoutAnOpenKeyRaiseTheSetFailedMessage) {
  TkRegistry reg(HKEY_LOCAL_MACHINE);
  EXPECT_EQ(MessageOf<ERegistryException>([&] { reg.WriteString(L"X", L"y"); }), L"'X' の設定に失敗しました");
  ASSERT_TRUE(reg.OpenKey(kAbsKey, true));
  ASSERT_TRUE(reg.OpenKeyReadOnly(kAbsKey));
  EXPECT_EQ(MessageOf<ERegistryException>([&] { reg.WriteInteger(L"N", 1); }), L"'N' の設定に失敗しました");
}

// --- environment expansion --------------------------------------------------

class ExpandedStringTest : public TkRegistryTest {
 protected:
  void SetUp() override {
    SetEnvironmentVariableW(L"KIP_TEST_DIR", L"  C:\\Data  ");
    SetEnvironmentVariableW(L"KIP_TEST_UNSET", nullptr);
  }
  void TearDown() override { SetEnvironmentVariableW(L"KIP_TEST_DIR", nullptr); }
  std::wstring Expanded(std::wstring_view stored) {
    SetString(HKEY_LOCAL_MACHINE, kKey, L"Value", stored);
    return Opened().TryReadExpandedString(L"Value").value_or(L"(nothing)");
  }
};

TEST_F(ExpandedStringTest, ReferencesExpandToTheTrimmedVariable) {
  EXPECT_EQ(Expanded(L"%KIP_TEST_DIR%\\hosts"), L"C:\\Data\\hosts");
  EXPECT_EQ(Expanded(L"[%KIP_TEST_UNSET%]"), L"[]");
}

TEST_F(ExpandedStringTest, StrayPercentSignsAreDroppedWithOpenReferences) {
  EXPECT_EQ(Expanded(L"abc%"), L"abc");
  EXPECT_EQ(Expanded(L"a%%b"), L"ab");
  EXPECT_EQ(Expanded(L"x%KIP_TEST_DIR"), L"x");
  EXPECT_EQ(Expanded(L""), L"");
}

TEST(EnvironmentTextTest, LongValuesAreReadWhole) {
  std::wstring value(5000, L'v');
  SetEnvironmentVariableW(L"KIP_TEST_LONG", value.c_str());
  EXPECT_EQ(GetEnvironmentText(L"KIP_TEST_LONG"), value);
  SetEnvironmentVariableW(L"KIP_TEST_LONG", nullptr);
  EXPECT_EQ(GetEnvironmentText(L"KIP_TEST_LONG"), L"");
}

// --- data information -------------------------------------------------------

TEST_F(TkRegistryTest, DataTypes) {
  SetString(HKEY_LOCAL_MACHINE, kKey, L"S", L"ab");
  SetExpandString(HKEY_LOCAL_MACHINE, kKey, L"E", L"%x%");
  SetDword(HKEY_LOCAL_MACHINE, kKey, L"D", 1);
  SetRaw(HKEY_LOCAL_MACHINE, kKey, L"B", REG_BINARY, {1, 2, 3});
  SetMultiString(HKEY_LOCAL_MACHINE, kKey, L"M", {L"a"});
  SetRaw(HKEY_LOCAL_MACHINE, kKey, L"Q", REG_QWORD, std::vector<BYTE>(8));
  SetRaw(HKEY_LOCAL_MACHINE, kKey, L"N", REG_NONE, {});
  TkRegistry& reg = Opened();
  const std::pair<const wchar_t*, TRegDataType> types[] = {{L"S", rdString},  {L"E", rdExpandString},
                                                           {L"D", rdInteger}, {L"B", rdBinary},
                                                           {L"M", rdMultiString}, {L"Q", rdUnknown},
                                                           {L"N", rdUnknown}, {L"Missing", rdUnknown}};
  for (const auto& [name, type] : types) EXPECT_EQ(reg.GetDataType(name), type) << ToUtf8(name);
  EXPECT_TRUE(reg.ValueExists(L"N"));
  EXPECT_FALSE(reg.ValueExists(L"Missing"));
}

// --- keys -------------------------------------------------------------------

TEST_F(TkRegistryTest, RelativePathsStartAtTheOpenKey) {
  TkRegistry reg(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKey(L"SOFTWARE\\kIpTest", true));  // no key open yet: from the root
  ASSERT_TRUE(reg.OpenKey(L"Child", true));
  reg.WriteString(L"V", L"child");
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\kIpTest\\Child", L"V"), L"child");
  ASSERT_TRUE(reg.OpenKeyReadOnly(kAbsKey));
  EXPECT_TRUE(reg.KeyExists(L"Child"));
}

TEST_F(TkRegistryTest, AFailedOpenLeavesNoKeyOpen) {
  TkRegistry& reg = Opened();
  EXPECT_FALSE(reg.OpenKeyReadOnly(L"\\SOFTWARE\\NoSuchKey"));
  EXPECT_EQ(reg.CurrentKey(), nullptr);
  EXPECT_THROW(reg.WriteString(L"Stray", L"x"), ERegistryException);
  EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kKey, L"Stray"));
  // Read-only and non-creating opens never create the key.
  EXPECT_FALSE(reg.OpenKey(L"\\SOFTWARE\\NoSuchKey", false));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\NoSuchKey"));
}

TEST_F(TkRegistryTest, DeleteKeyRemovesTheWholeTree) {
  SetString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\kIpTest\\Tab\\{CARD}\\Deep", L"V", L"x");
  SetString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\kIpTest\\Keep", L"V", L"x");
  TkRegistry& reg = Opened();
  EXPECT_TRUE(reg.KeyExists(L"Tab\\{CARD}"));
  EXPECT_TRUE(reg.DeleteKey(L"Tab"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\kIpTest\\Tab"));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\kIpTest\\Keep"));
  EXPECT_FALSE(reg.DeleteKey(L"Tab"));
  EXPECT_FALSE(reg.DeleteKey(L""));  // never the open key itself
  EXPECT_TRUE(reg.DeleteKey(L"\\SOFTWARE\\kIpTest\\Keep"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\kIpTest\\Keep"));
}

TEST_F(TkRegistryTest, ListsSubkeyAndValueNames) {
  for (const wchar_t* name : {L"beta", L"Alpha", L"gamma"}) CreateKey(HKEY_LOCAL_MACHINE, std::wstring(kKey) + L"\\" + name);
  SetString(HKEY_LOCAL_MACHINE, kKey, L"One", L"1");
  SetDword(HKEY_LOCAL_MACHINE, kKey, L"Two", 2);
  TkRegistry& reg = Opened();
  StringList keys{L"stale"};
  reg.GetKeyNames(keys);
  EXPECT_EQ(keys, (StringList{L"Alpha", L"beta", L"gamma"}));
  StringList values;
  reg.GetValueNames(values);
  std::sort(values.begin(), values.end());
  EXPECT_EQ(values, (StringList{L"One", L"Two"}));
  EXPECT_TRUE(reg.DeleteValue(L"One"));
  EXPECT_FALSE(reg.DeleteValue(L"One"));
}

}  // namespace
}  // namespace kip
