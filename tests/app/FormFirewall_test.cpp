// The firewall page through the window: what the start-up read shows, what
// a stored setting changes, what a save stores and a commit writes.
#include <gtest/gtest.h>

#include "net/FirewallPolicy.h"
#include "store/StoreKeys.h"
#include "support/FormFixture.h"

namespace kip {
namespace {

const std::wstring kSetting = L"FW設定";
const std::wstring kStored = std::wstring(kStoreRootKey) + L"\\" + kSetting + L"\\FireWall";
const std::wstring kTool = L"C:\\Tools\\a.exe";
const std::wstring kCard = L"{00000002-0000-0000-0000-4E6574446576}";

std::wstring Data(const std::wstring& prefix, const wchar_t* state, const std::wstring& name) {
  return prefix + state + L":" + name;
}
std::wstring ToolData(const wchar_t* state) { return Data(kTool + L":*:", state, L"Tool A"); }
std::wstring WebData(const wchar_t* state) { return Data(L"8080:TCP:LocalSubNet:", state, L"Web"); }
std::wstring DesktopData(const wchar_t* state) { return Data(L"3389:TCP:*:", state, L"@xpsp2res.dll,-22009"); }

std::vector<FirewallRow> RowsOf(const win::CheckList& list) {
  std::vector<FirewallRow> rows;
  for (int i = 0; i < list.Count(); ++i) rows.push_back({list.Item(i), list.Checked(i)});
  return rows;
}

std::vector<FirewallRow> Rows(bool tool, bool web, bool desktop) {
  return {{L"Tool A", tool},
          {L"Web", web},
          {L"ファイルとプリンタの共有", false},
          {L"UPnP フレームワーク", false},
          {L"リモート デスクトップ", desktop},
          {L"リモート アシスタンス", false}};
}

class FormFirewallTest : public FormTest {
 protected:
  void SeedMachine() {
    SetDword(HKEY_LOCAL_MACHINE, kFirewallPolicyKey, L"EnableFirewall", 0);
    SetString(HKEY_LOCAL_MACHINE, kFirewallProgramListKey, kTool, ToolData(L"Disabled"));
    SetString(HKEY_LOCAL_MACHINE, kFirewallPortListKey, L"8080:TCP", WebData(L"Enabled"));
    SetString(HKEY_LOCAL_MACHINE, kFirewallPortListKey, L"3389:TCP", DesktopData(L"Disabled"));
  }
  // The stored part contradicts the machine in every row it names.
  void SeedSetting(DWORD useSwitch) {
    SetDword(HKEY_LOCAL_MACHINE, kStored, L"Use FireWall Switch", useSwitch);
    SetDword(HKEY_LOCAL_MACHINE, kStored, L"FireWall Enabled", 1);
    SetDword(HKEY_LOCAL_MACHINE, kStored, L"DoNotAllowExceptions", 1);
    SetDword(HKEY_LOCAL_MACHINE, kStored, L"リモート デスクトップ", 1);
    SetDword(HKEY_LOCAL_MACHINE, kStored + L"\\AA", kTool, 1);
    SetDword(HKEY_LOCAL_MACHINE, kStored + L"\\GP", L"8080:TCP", 0);
  }
  std::optional<std::wstring> Machine(const wchar_t* list, const std::wstring& name) {
    return GetString(HKEY_LOCAL_MACHINE, list, name);
  }
};

TEST_F(FormFirewallTest, StoredPartMovesBetweenStoreWindowAndMachineOnlyWithAPolicy) {
  enum Stored { kNone, kSwitchOn, kSwitchOff };
  const struct {
    const char* title;
    bool policy;
    Stored stored;
    bool useBeforeLoad;  // the switch as the previous setting left it
    bool useAfterLoad;
    std::vector<FirewallRow> rows;
    // The machine after the commit step; nullopt: no value at all.
    std::optional<std::wstring> tool, web, desktop;
    DWORD enableFirewall;
    // The stored part after a save.
    DWORD storedUse, storedWeb;
  } cases[] = {
      {"no policy key: the part is neither loaded nor saved, nothing is written", false, kSwitchOn, false, false,
       {}, std::nullopt, std::nullopt, std::nullopt, 0, 1, 0},
      {"stored part over the machine's rows, committed", true, kSwitchOn, false, true, Rows(true, false, true),
       ToolData(L"Enabled"), WebData(L"Disabled"), DesktopData(L"Enabled"), 1, 1, 0},
      {"switch off: the commit leaves the machine as it was", true, kSwitchOff, true, false,
       Rows(true, false, true), ToolData(L"Disabled"), WebData(L"Enabled"), DesktopData(L"Disabled"), 0, 0, 0},
      {"no stored part: the controls stay as they were", true, kNone, true, true, Rows(false, true, false),
       ToolData(L"Disabled"), WebData(L"Enabled"), DesktopData(L"Disabled"), 0, 1, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    DeleteKey(HKEY_LOCAL_MACHINE, L"\\SYSTEM");
    DeleteKey(HKEY_LOCAL_MACHINE, kStoreRootKey);
    if (c.policy) SeedMachine();
    if (c.stored != kNone) SeedSetting(c.stored == kSwitchOn ? 1 : 0);
    TFormIpconfig& form = MakeForm();
    for (win::Window* control : std::initializer_list<win::Window*>{&form.RadioFWTrue, &form.RadioFWFalse,
                                                                    &form.FWDoNotAllowExceptions, &form.CheckListFW}) {
      EXPECT_FALSE(control->Enabled());
    }
    form.ReadFirewallState();
    EXPECT_EQ(form.TabSheetFireWall->Enabled(), c.policy);
    form.CheckFWUse.SetChecked(c.useBeforeLoad);
    form.TabControl1.Add(kSetting);
    form.CardIds = {kCard};
    form.ComboDescription.Add(L"LAN");
    form.LoadSetting();

    EXPECT_EQ(form.CheckFWUse.Checked(), c.useAfterLoad);
    EXPECT_EQ(form.CheckListFW.Enabled(), c.useAfterLoad);
    EXPECT_EQ(RowsOf(form.CheckListFW), c.rows);
    form.CommitFirewallStep();
    EXPECT_EQ(Machine(kFirewallProgramListKey, kTool), c.tool);
    EXPECT_EQ(Machine(kFirewallPortListKey, L"8080:TCP"), c.web);
    EXPECT_EQ(Machine(kFirewallPortListKey, L"3389:TCP"), c.desktop);
    if (c.policy) {
      EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kFirewallPolicyKey, L"EnableFirewall"), c.enableFirewall);
    }

    EXPECT_TRUE(form.SaveSetting(kSetting, kCard));
    EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kStored, L"Use FireWall Switch"), c.storedUse);
    EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kStored + L"\\GP", L"8080:TCP"), c.storedWeb);

    // A click on the switch is an edit and flips its controls.
    form.CheckFWUse.SetChecked(!c.useAfterLoad);
    EXPECT_TRUE(form.Modified);
    EXPECT_EQ(form.RadioFWFalse.Enabled(), !c.useAfterLoad);
  }
}

}  // namespace
}  // namespace kip
