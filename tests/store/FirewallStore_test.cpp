// The firewall part of a stored setting: its registry layout and how a load
// changes the page only where values are stored.
#include "store/FirewallStore.h"

#include "store/StoredSetting.h"

#include <functional>

#include <gtest/gtest.h>

#include "support/RegistrySandbox.h"

namespace kip {
namespace {

const HKEY HKLM = HKEY_LOCAL_MACHINE;
const std::wstring kSetting = L"\\SOFTWARE\\harlune\\Harlune Ip Config\\Office";
const std::wstring kFirewall = kSetting + L"\\FireWall";

FirewallPage Page(bool on) {
  return {on, !on, on, {{L"AA", L"C:\\Tools\\a.exe", on}, {L"GP", L"8080:TCP", !on}},
          {{L"", L"ファイルとプリンタの共有", !on}, {L"", L"UPnP フレームワーク", on}}};
}

class FirewallStoreTest : public RegistryTest {};

TEST_F(FirewallStoreTest, SaveReplacesTheFirewallKey) {
  SetDword(HKLM, kFirewall + L"\\AA", L"C:\\old.exe", 1);
  SaveFirewallPart(kSetting, Page(true));
  EXPECT_EQ(ValueNames(HKLM, kFirewall + L"\\AA"), (StringList{L"C:\\Tools\\a.exe"}));
  EXPECT_EQ(GetDword(HKLM, kFirewall + L"\\AA", L"C:\\Tools\\a.exe"), 1u);
  EXPECT_EQ(GetDword(HKLM, kFirewall + L"\\GP", L"8080:TCP"), 0u);
  EXPECT_EQ(GetDword(HKLM, kFirewall, L"Use FireWall Switch"), 1u);
  EXPECT_EQ(GetDword(HKLM, kFirewall, L"FireWall Enabled"), 0u);
  EXPECT_EQ(GetDword(HKLM, kFirewall, L"ファイルとプリンタの共有"), 0u);
}

TEST_F(FirewallStoreTest, LoadChangesOnlyWhatIsStored) {
  const FirewallPage before = Page(false);
  const struct {
    const char* title;
    std::function<void()> alterStore;
    std::function<void(FirewallPage&)> expect;  // applied to the stored page
  } cases[] = {
      {"everything stored", [] {}, [](FirewallPage&) {}},
      {"no FireWall key", [] { DeleteKey(HKLM, kFirewall); }, [&](FirewallPage& p) { p = before; }},
      {"no enabled value: the rest of the key is not read",
       [] { DeleteValue(HKLM, kFirewall, L"FireWall Enabled"); },
       [&](FirewallPage& p) {
         p.firewallOn = before.firewallOn;
         p.doNotAllowExceptions = before.doNotAllowExceptions;
         p.fixedChecks = before.fixedChecks;
       }},
      {"missing or mistyped row values keep the rows",
       [] {
         SetString(HKLM, kFirewall + L"\\AA", L"C:\\Tools\\a.exe", L"1");
         DeleteValue(HKLM, kFirewall, L"UPnP フレームワーク");
       },
       [&](FirewallPage& p) {
         p.entryChecks[0] = before.entryChecks[0];
         p.fixedChecks[1] = before.fixedChecks[1];
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    SaveFirewallPart(kSetting, Page(true));
    c.alterStore();
    FirewallPage loaded = before;
    if (std::optional<StoredFirewallPart> stored = ReadStoredSetting({L"Office"}).firewall) {
      LayStoredFirewallPart(*stored, loaded);
    }
    FirewallPage expected = Page(true);
    c.expect(expected);
    EXPECT_EQ(std::tie(loaded.useSwitch, loaded.firewallOn, loaded.doNotAllowExceptions),
              std::tie(expected.useSwitch, expected.firewallOn, expected.doNotAllowExceptions));
    EXPECT_TRUE(loaded.entryChecks == expected.entryChecks);
    EXPECT_TRUE(loaded.fixedChecks == expected.fixedChecks);
  }
}

}  // namespace
}  // namespace kip
