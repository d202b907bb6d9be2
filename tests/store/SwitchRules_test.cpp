// A setting's network rule in the store: what is read back from what was
// stored (good, damaged and planted values), and that the rule travels with
// its setting but is never taken for a card.
#include "store/StoredSetting.h"
#include "store/SwitchRules.h"

#include <gtest/gtest.h>

#include "store/CardCopy.h"
#include "store/SettingRecord.h"
#include "store/SettingStore.h"
#include "store/Snapshot.h"
#include "store/StoreKeys.h"
#include "support/RegistrySandbox.h"
#include "support/ScratchFolder.h"

namespace kip {
namespace {

const std::wstring kRule = std::wstring(kStoreRootKey) + L"\\会社\\AutoSwitch";

class SwitchRulesTest : public RegistryTest {};

SwitchRule FullRule() {
  SwitchRule rule;
  rule.gateway = L"192.168.10.1";
  rule.gatewayMac = L"00:1a:2b:3c:4d:5e";
  rule.dnsSuffix = L"corp.example";
  rule.subnet = L"192.168.10.0/24";
  rule.linkCard = L"ローカル エリア接続";
  rule.ssid = L"会社の無線";
  rule.commitWithoutAsking = true;
  rule.wifiProfile = L"Office Wi-Fi";
  rule.wifiCard = L"{00000003-0000-0000-0000-4E6574446576}";
  return rule;
}

TEST_F(SwitchRulesTest, ARuleReadsBackAsSavedAndAnEmptyOneLeavesNoKey) {
  SetString(HKEY_LOCAL_MACHINE, std::wstring(kStoreRootKey) + L"\\会社", L"Hosts File", L"");
  ASSERT_TRUE(SaveSwitchRule(L"会社", FullRule()));
  std::optional<StoredSwitchRule> stored = LoadSwitchRule(L"会社");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->rule, FullRule());
  EXPECT_TRUE(stored->notes.empty());

  // Fewer fields: the ones dropped are gone, not kept from before.
  SwitchRule fewer;
  fewer.ssid = L"Home";
  ASSERT_TRUE(SaveSwitchRule(L"会社", fewer));
  EXPECT_EQ(LoadSwitchRule(L"会社")->rule, fewer);

  ASSERT_TRUE(SaveSwitchRule(L"会社", SwitchRule{}));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kRule));
  EXPECT_EQ(LoadSwitchRule(L"会社"), std::nullopt);
  EXPECT_FALSE(SaveSwitchRule(L"", FullRule()));  // would be the store root's subkey
}

TEST_F(SwitchRulesTest, AValueThatCannotBeUsedDropsItsConditionWithANote) {
  // Each case stores values of the given types, bytes as written; what is
  // read back (as the field the value belongs to) and how many notes.
  struct Value {
    const wchar_t* name;
    DWORD type;
    std::vector<BYTE> bytes;
  };
  auto sz = [](std::wstring_view text) { return WideBytes(std::wstring(text) + L'\0'); };
  const std::vector<BYTE> one{1, 0, 0, 0};
  SwitchRule home, corp, gateway;
  home.ssid = L"Home";
  home.commitWithoutAsking = true;
  corp.dnsSuffix = L"corp";
  gateway.gateway = L"10.0.0.1";
  const struct {
    const char* what;
    std::vector<Value> values;
    SwitchRule expected;
    size_t notes;
  } cases[] = {
      {"gateway that is no address", {{L"Gateway", REG_SZ, sz(L"192.168.10.256")}}, {}, 1},
      {"MAC of five bytes", {{L"GatewayMAC", REG_SZ, sz(L"00-11-22-33-44")}}, {}, 1},
      {"subnet without length", {{L"Subnet", REG_SZ, sz(L"10.0.0.0")}}, {}, 1},
      {"subnet length past 32", {{L"Subnet", REG_SZ, sz(L"10.0.0.0/33")}}, {}, 1},
      {"a DWORD where text belongs", {{L"DnsSuffix", REG_DWORD, one}}, {}, 1},
      {"a control character", {{L"SSID", REG_SZ, sz(L"a\x01" L"b")}}, {}, 1},
      {"an SSID over 32 bytes", {{L"SSID", REG_SZ, sz(std::wstring(11, L'無'))}}, {}, 1},
      {"a quote in the profile", {{L"WifiProfile", REG_SZ, sz(L"a\" & x")}}, {}, 1},
      {"a huge text", {{L"LinkCard", REG_SZ, sz(std::wstring(100000, L'x'))}}, {}, 1},
      {"the flag as text", {{L"CommitWithoutAsking", REG_SZ, sz(L"1")}}, {}, 1},
      {"a string without terminator is still read", {{L"DnsSuffix", REG_SZ, WideBytes(L"corp")}}, corp, 0},
      {"blanks around a value are no part of it", {{L"Gateway", REG_SZ, sz(L" 10.0.0.1 ")}}, gateway, 0},
      {"a bad value leaves the good ones",
       {{L"Gateway", REG_SZ, sz(L"x")}, {L"SSID", REG_SZ, sz(L"Home")}, {L"CommitWithoutAsking", REG_DWORD, one}},
       home,
       1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DeleteKey(HKEY_LOCAL_MACHINE, kRule);
    for (const Value& value : c.values) SetRaw(HKEY_LOCAL_MACHINE, kRule, value.name, value.type, value.bytes);
    std::optional<StoredSwitchRule> stored = LoadSwitchRule(L"会社");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->rule, c.expected);
    EXPECT_EQ(stored->notes.size(), c.notes);
  }
}

TEST_F(SwitchRulesTest, TheRuleTravelsWithItsSettingAndIsNoCard) {
  const std::wstring setting = std::wstring(kStoreRootKey) + L"\\会社";
  SetString(HKEY_LOCAL_MACHINE, setting + L"\\{card}", L"IPAddress", L"10.0.0.1");
  ASSERT_TRUE(SaveSwitchRule(L"会社", FullRule()));

  // The rule's key is never taken for a card's part.
  EXPECT_EQ(ReadStoredSetting({L"会社", {std::wstring(kSwitchRuleSubkey)}}).cards.front().found, CardPartFound::None);
  EXPECT_EQ(FillCardLists(L"会社", {L"{card}"}, {L"LAN"}).sources->cardIds, StringList{L"{card}"});

  test::ScratchFolder scratch;
  ASSERT_TRUE(RenameSettingStore(L"会社", L"会社 2", scratch.path()));
  EXPECT_EQ(LoadSwitchRule(L"会社 2")->rule, FullRule());
  ASSERT_TRUE(RenameSettingStore(L"会社 2", L"会社", scratch.path()));

  ASSERT_TRUE(SaveStoreSnapshot(scratch / L"export"));
  DeleteKey(HKEY_LOCAL_MACHINE, kRule);
  ASSERT_TRUE(RestoreStoreSnapshot(scratch / L"export"));
  EXPECT_EQ(LoadSwitchRule(L"会社")->rule, FullRule());
}

}  // namespace
}  // namespace kip
