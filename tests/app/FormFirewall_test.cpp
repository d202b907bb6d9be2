// The firewall page through the window: what the start-up read shows, what
// a stored setting changes, what a save stores and the commit writes.
#include <gtest/gtest.h>

#include "apply/CommitSource.h"
#include "MainIds.h"
#include "machine/FirewallPolicy.h"
#include "store/StoreKeys.h"
#include "support/FormFixture.h"

namespace kip {
namespace {

const std::wstring kSetting = L"FW設定", kCard = L"{00000002-0000-0000-0000-4E6574446576}";
const std::wstring kStored = std::wstring(kStoreRootKey) + L"\\" + kSetting + L"\\FireWall";
const std::wstring kTool = L"C:\\Tools\\a.exe";

std::wstring Tool(const wchar_t* state) { return kTool + L":*:" + state + L":Tool A"; }
std::wstring Web(const wchar_t* state) { return L"8080:TCP:LocalSubNet:" + std::wstring(state) + L":Web"; }
std::wstring Desktop(const wchar_t* state) { return L"3389:TCP:*:" + std::wstring(state) + L":@xpsp2res.dll,-22009"; }

std::vector<FirewallRow> Rows(bool tool, bool web, bool desktop) {
  return {{L"Tool A", tool},
          {L"Web", web},
          {L"ファイルとプリンタの共有", false},
          {L"UPnP フレームワーク", false},
          {L"リモート デスクトップ", desktop},
          {L"リモート アシスタンス", false}};
}

// The firewall of Windows XP, whose policy and lists are registry values.
class FormFirewallTest : public FormTest {
 protected:
  FormFirewallTest() { version.major = 5; }
};

TEST_F(FormFirewallTest, StoredPartMovesBetweenStoreWindowAndMachineOnlyWithAPolicy) {
  const std::optional<std::wstring> none;
  const struct {
    const char* title;
    bool policy;
    std::optional<DWORD> storedSwitch;  // the stored part contradicts the machine in every row it names
    bool useBeforeLoad, useAfterLoad;
    std::vector<FirewallRow> rows;
    std::optional<std::wstring> tool, web, desktop;  // the machine after the commit step
    DWORD enableFirewall;
    DWORD storedUse, storedWeb;  // after a save
  } cases[] = {
      {"no policy key: not loaded, not saved, nothing written", false, 1, false, false, {}, none, none, none, 0, 1, 0},
      {"stored part over the machine's rows, committed", true, 1, false, true, Rows(true, false, true),
       Tool(L"Enabled"), Web(L"Disabled"), Desktop(L"Enabled"), 1, 1, 0},
      {"switch off: the machine stays as it was", true, 0, true, false, Rows(true, false, true), Tool(L"Disabled"),
       Web(L"Enabled"), Desktop(L"Disabled"), 0, 0, 0},
      {"no stored part: the controls stay as they were", true, std::nullopt, true, true, Rows(false, true, false),
       Tool(L"Disabled"), Web(L"Enabled"), Desktop(L"Disabled"), 0, 1, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    DeleteKey(HKEY_LOCAL_MACHINE, L"\\SYSTEM");
    DeleteKey(HKEY_LOCAL_MACHINE, kStoreRootKey);
    if (c.policy) {
      SetDword(HKEY_LOCAL_MACHINE, kFirewallPolicyKey, L"EnableFirewall", 0);
      SetString(HKEY_LOCAL_MACHINE, kFirewallProgramListKey, kTool, Tool(L"Disabled"));
      SetString(HKEY_LOCAL_MACHINE, kFirewallPortListKey, L"8080:TCP", Web(L"Enabled"));
      SetString(HKEY_LOCAL_MACHINE, kFirewallPortListKey, L"3389:TCP", Desktop(L"Disabled"));
    }
    if (c.storedSwitch) {
      for (const wchar_t* name : {L"FireWall Enabled", L"DoNotAllowExceptions", L"リモート デスクトップ"}) {
        SetDword(HKEY_LOCAL_MACHINE, kStored, name, 1);
      }
      SetDword(HKEY_LOCAL_MACHINE, kStored, L"Use FireWall Switch", *c.storedSwitch);
      SetDword(HKEY_LOCAL_MACHINE, kStored + L"\\AA", kTool, 1);
      SetDword(HKEY_LOCAL_MACHINE, kStored + L"\\GP", L"8080:TCP", 0);
    }
    TFormIpconfig& form = MakeForm();
    form.Editor().ReadFirewallState();
    EXPECT_EQ(form.PageEnabled(6), c.policy);
    FirewallSheetValues before = form.Firewall().Collect();
    before.useSwitch = c.useBeforeLoad;
    form.Firewall().Show(before);
    CreateKey(HKEY_LOCAL_MACHINE, kStoreRootKey);
    form.Editor().SetCards({kCard}, {L"LAN"});
    form.Editor().Open({kSetting});
    EXPECT_EQ(form.Firewall().Collect().useSwitch, c.useAfterLoad);
    EXPECT_EQ(form.Firewall().Collect().rows, c.rows);

    const std::optional<StoredFirewallPart> stored = ReadStoredSetting({kSetting}).firewall;
    if (std::optional<FirewallCommit> commit = ReadFirewallCommit(stored, version.major, nullptr)) {
      CommitFirewall(commit->page, commit->entries);
    }
    EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, kFirewallProgramListKey, kTool), c.tool);
    EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, kFirewallPortListKey, L"8080:TCP"), c.web);
    EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, kFirewallPortListKey, L"3389:TCP"), c.desktop);
    if (c.policy) {
      EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kFirewallPolicyKey, L"EnableFirewall"), c.enableFirewall);
    }
    EXPECT_TRUE(form.Editor().Save());
    EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kStored, L"Use FireWall Switch"), c.storedUse);
    EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kStored + L"\\GP", L"8080:TCP"), c.storedWeb);
  }
}

// Values shown before the page was first shown are the ones it shows then;
// the switch greys its choices, and a click on it is an edit.
TEST_F(FormFirewallTest, PageShowsItsKeptValuesWhenBuiltAndTheSwitchGreysItsChoices) {
  SetDword(HKEY_LOCAL_MACHINE, kFirewallPolicyKey, L"EnableFirewall", 0);
  TFormIpconfig& form = MakeForm();
  form.Editor().ReadFirewallState();  // the policy found: the page usable
  EXPECT_EQ(GetDlgItem(form.PageWindow(6), IDX_CheckFWUse), nullptr);  // not built at the start
  const FirewallSheetValues cases[] = {{true, false, true, Rows(true, false, true)},
                                       {false, std::nullopt, false, Rows(false, true, false)},
                                       {true, std::nullopt, false, {}}};
  for (const FirewallSheetValues& values : cases) {
    form.Firewall().Show(values);
    EXPECT_TRUE(IsWindow(PageItem(form, 6, IDX_CheckFWUse)));
    EXPECT_EQ(form.Firewall().Collect(), values);
    EXPECT_EQ(IsWindowEnabled(PageItem(form, 6, IDL_CheckListFW)) != 0, values.useSwitch);
    form.Editor().Discard();
    ClickPageItem(form, 6, IDX_CheckFWUse);
    EXPECT_TRUE(form.Editor().Modified());
    EXPECT_EQ(IsWindowEnabled(PageItem(form, 6, IDR_RadioFWFalse)) != 0, !values.useSwitch);
  }
}

}  // namespace
}  // namespace kip
