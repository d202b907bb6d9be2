// The firewall part of a stored setting: its registry layout and how a load
// changes the page only where values are stored.
#include "store/FirewallStore.h"

#include <functional>

#include <gtest/gtest.h>

#include "support/RegistrySandbox.h"

namespace kip {

void PrintTo(const StoredCheck& c, std::ostream* os) {
  *os << testing::PrintToString(c.subkey + L"\\" + c.name) << (c.checked ? "=1" : "=0");
}

namespace {

const HKEY HKLM = HKEY_LOCAL_MACHINE;
const std::wstring kSetting = L"\\SOFTWARE\\harlune\\Harlune Ip Config\\Office";
const std::wstring kFirewall = kSetting + L"\\FireWall";

FirewallPage StoredPage() {
  return {true,
          false,
          true,
          {{L"AA", L"C:\\Tools\\a.exe", true}, {L"GP", L"8080:TCP", true}, {L"GP", L"9000:UDP", false}},
          {{L"", L"ファイルとプリンタの共有", false},
           {L"", L"UPnP フレームワーク", true},
           {L"", L"リモート デスクトップ", true},
           {L"", L"リモート アシスタンス", false}}};
}

// Every check the opposite of the stored page.
FirewallPage OppositePage() {
  FirewallPage page = StoredPage();
  page.useSwitch = !page.useSwitch;
  page.firewallOn = !page.firewallOn;
  page.doNotAllowExceptions = !page.doNotAllowExceptions;
  for (StoredCheck& c : page.entryChecks) c.checked = !c.checked;
  for (StoredCheck& c : page.fixedChecks) c.checked = !c.checked;
  return page;
}

class FirewallStoreTest : public RegistryTest {};

TEST_F(FirewallStoreTest, SaveReplacesTheFirewallKey) {
  SetDword(HKLM, kFirewall + L"\\AA", L"C:\\old.exe", 1);
  SetDword(HKLM, kFirewall, L"Stale", 1);
  SaveFirewallPart(kSetting, StoredPage());

  EXPECT_EQ(SubKeyNames(HKLM, kFirewall), (StringList{L"AA", L"GP"}));
  EXPECT_EQ(ValueNames(HKLM, kFirewall + L"\\AA"), (StringList{L"C:\\Tools\\a.exe"}));
  EXPECT_EQ(GetDword(HKLM, kFirewall + L"\\AA", L"C:\\Tools\\a.exe"), 1u);
  EXPECT_EQ(GetDword(HKLM, kFirewall + L"\\GP", L"8080:TCP"), 1u);
  EXPECT_EQ(GetDword(HKLM, kFirewall + L"\\GP", L"9000:UDP"), 0u);
  EXPECT_FALSE(ValueExists(HKLM, kFirewall, L"Stale"));
  EXPECT_EQ(GetDword(HKLM, kFirewall, L"Use FireWall Switch"), 1u);
  EXPECT_EQ(GetDword(HKLM, kFirewall, L"FireWall Enabled"), 0u);
  EXPECT_EQ(GetDword(HKLM, kFirewall, L"DoNotAllowExceptions"), 1u);
  EXPECT_EQ(GetDword(HKLM, kFirewall, L"ファイルとプリンタの共有"), 0u);
  EXPECT_EQ(GetDword(HKLM, kFirewall, L"UPnP フレームワーク"), 1u);
}

TEST_F(FirewallStoreTest, LoadChangesOnlyWhatIsStored) {
  const struct {
    const char* title;
    std::function<void()> alterStore;
    std::function<void(FirewallPage&)> expect;  // applied to the stored page
  } cases[] = {
      {"everything stored", [] {}, [](FirewallPage&) {}},
      {"no FireWall key: nothing changes", [this] { DeleteKey(HKLM, kFirewall); },
       [](FirewallPage& p) { p = OppositePage(); }},
      {"no switch value: switched off",
       [this] { DeleteValue(HKLM, kFirewall, L"Use FireWall Switch"); },
       [](FirewallPage& p) { p.useSwitch = false; }},
      {"no enabled value: the rest of the key is not read",
       [this] { DeleteValue(HKLM, kFirewall, L"FireWall Enabled"); },
       [](FirewallPage& p) {
         const FirewallPage opposite = OppositePage();
         p.firewallOn = opposite.firewallOn;
         p.doNotAllowExceptions = opposite.doNotAllowExceptions;
         p.fixedChecks = opposite.fixedChecks;
       }},
      {"no exceptions value: fixed rows not read",
       [this] { DeleteValue(HKLM, kFirewall, L"DoNotAllowExceptions"); },
       [](FirewallPage& p) {
         p.doNotAllowExceptions = OppositePage().doNotAllowExceptions;
         p.fixedChecks = OppositePage().fixedChecks;
       }},
      {"a row without a value keeps its check",
       [this] {
         DeleteValue(HKLM, kFirewall + L"\\GP", L"8080:TCP");
         DeleteValue(HKLM, kFirewall, L"リモート デスクトップ");
       },
       [](FirewallPage& p) {
         p.entryChecks[1].checked = OppositePage().entryChecks[1].checked;
         p.fixedChecks[2].checked = OppositePage().fixedChecks[2].checked;
       }},
      {"a value of the wrong type counts as missing",
       [this] { SetString(HKLM, kFirewall + L"\\AA", L"C:\\Tools\\a.exe", L"1"); },
       [](FirewallPage& p) { p.entryChecks[0].checked = OppositePage().entryChecks[0].checked; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    SaveFirewallPart(kSetting, StoredPage());
    c.alterStore();
    FirewallPage loaded = OppositePage();
    LoadFirewallPart(kSetting, loaded);
    FirewallPage expected = StoredPage();
    c.expect(expected);
    EXPECT_EQ(loaded.useSwitch, expected.useSwitch);
    EXPECT_EQ(loaded.firewallOn, expected.firewallOn);
    EXPECT_EQ(loaded.doNotAllowExceptions, expected.doNotAllowExceptions);
    EXPECT_EQ(loaded.entryChecks, expected.entryChecks);
    EXPECT_EQ(loaded.fixedChecks, expected.fixedChecks);
  }
}

}  // namespace
}  // namespace kip
