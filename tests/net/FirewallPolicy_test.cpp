// The start-up read of the machine's firewall policy and the parsing of its
// exception data.
#include "net/FirewallPolicy.h"

#include <gtest/gtest.h>

#include "support/RegistrySandbox.h"

namespace kip {
namespace {

const HKEY HKLM = HKEY_LOCAL_MACHINE;

}  // namespace

void PrintTo(const FirewallRow& row, std::ostream* os) {
  *os << testing::PrintToString(row.text) << (row.checked ? " [x]" : " [ ]");
}

namespace {

TEST(FirewallData, FieldsAreCutOneColonAtATime) {
  const struct {
    std::wstring name, data, friendly;
    bool enabled;
    std::wstring disabledData;
  } cases[] = {
      {L"C:\\Tools\\a.exe", L"C:\\Tools\\a.exe:*:Enabled:Tool A", L"Tool A", true, L"C:\\Tools\\a.exe:*:Disabled:Tool A"},
      {L"8080:TCP", L"8080:TCP:LocalSubNet:eNaBlEd:Web:x", L"Web:x", true, L"8080:TCP:LocalSubNet:Disabled:Web:x"},
      {L"1:UDP", L"1:UDP:*:Disabled:", L"", false, L"1:UDP:*:Disabled:"},
      // No colon after the state: no state, the rest is the friendly name.
      {L"1:UDP", L"1:UDP:*:Enabled", L"Enabled", false, L"1:UDP:*:Disabled"},
      {L"1:UDP", L"1:UDP", L"", false, L"1:UDP:Disabled"},
      {L"long:name", L"short", L"", false, L"long:name:Disabled"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.data));
    EXPECT_EQ(FriendlyNameOf(c.name, c.data), c.friendly);
    EXPECT_EQ(DataReadsEnabled(c.name, c.data), c.enabled);
    EXPECT_EQ(DataWithState(c.name, c.data, false), c.disabledData);
  }
}

std::wstring Data(const std::wstring& name, const std::wstring& state, const std::wstring& friendly) {
  return name + L":*:" + state + L":" + friendly;
}

// Windows' own exceptions, as the fixed rows stand for them.
const NamedValues kWindowsPorts = {
    {L"137:UDP", Data(L"137:UDP", L"Enabled", L"@xpsp2res.dll,-22001")},
    {L"138:UDP", Data(L"138:UDP", L"Enabled", L"@xpsp2res.dll,-22002")},
    {L"139:TCP", Data(L"139:TCP", L"Enabled", L"@xpsp2res.dll,-22004")},
    {L"445:TCP", Data(L"445:TCP", L"Enabled", L"@xpsp2res.dll,-22005")},
    {L"1900:UDP", Data(L"1900:UDP", L"Enabled", L"@xpsp2res.dll,-22007")},
    {L"2869:TCP", Data(L"2869:TCP", L"Disabled", L"@xpsp2res.dll,-22008")},
    {L"3389:TCP", Data(L"3389:TCP", L"enabled", L"@xpsp2res.dll,-22009")},
};
const NamedValues kWindowsPrograms = {
    {L"C:\\WINDOWS\\system32\\sessmgr.exe", Data(L"C:\\WINDOWS\\system32\\sessmgr.exe", L"Disabled", L"@xpsp2res.dll,-22019")},
};
const std::vector<FirewallRow> kWindowsRows = {
    {L"ファイルとプリンタの共有", true},
    {L"UPnP フレームワーク", false},
    {L"リモート デスクトップ", true},
    {L"リモート アシスタンス", false},
};

std::vector<FirewallRow> WithFixedRows(std::vector<FirewallRow> rows) {
  rows.insert(rows.end(), kWindowsRows.begin(), kWindowsRows.end());
  return rows;
}

NamedValues Plus(NamedValues values, const NamedValues& more) {
  values.insert(values.end(), more.begin(), more.end());
  return values;
}

struct MachineCase {
  const char* title;
  bool policy;
  std::optional<DWORD> enableFirewall;
  std::optional<NamedValues> programs, ports;  // nullopt: the list key is missing
  bool policyFound;
  std::optional<bool> firewallOn;
  std::vector<FirewallRow> rows;
  std::vector<std::wstring> entryValueNames;
};

class FirewallReadTest : public RegistryTest {
 protected:
  void Seed(const MachineCase& c) {
    if (c.policy) CreateKey(HKLM, kFirewallPolicyKey);
    if (c.enableFirewall) SetDword(HKLM, kFirewallPolicyKey, L"EnableFirewall", *c.enableFirewall);
    if (c.programs) CreateKey(HKLM, kFirewallProgramListKey);
    for (const auto& [name, data] : c.programs.value_or(NamedValues{})) SetString(HKLM, kFirewallProgramListKey, name, data);
    if (c.ports) CreateKey(HKLM, kFirewallPortListKey);
    for (const auto& [name, data] : c.ports.value_or(NamedValues{})) SetString(HKLM, kFirewallPortListKey, name, data);
  }
};

TEST_F(FirewallReadTest, RowsAndEntriesFromTheMachine) {
  const NamedValues ownPorts = {
      {L"8080:TCP", L"8080:TCP:LocalSubNet:Enabled:Web"},
      {L"5000:UDP", L"5000:UDP:*:Enabled:Same"},
      {L"7000:TCP", L"7000:TCP:*:Disabled:alpha"},
      // Windows' own name on a port the fixed rows do not cover: hidden.
      {L"4000:TCP", L"4000:TCP:*:Enabled:@xpsp2res.dll,-22019"},
  };
  const NamedValues ownPrograms = {
      {L"C:\\z.exe", L"C:\\z.exe:*:Enabled:Same"},
      {L"C:\\Tools\\a.exe", L"C:\\Tools\\a.exe:*:Disabled:Tool A"},
      {L"C:\\b.exe", L"C:\\b.exe:*:Enabled:Beta"},
      {L"C:\\a.exe", L"C:\\a.exe:*:Disabled:Same"},
  };
  const MachineCase cases[] = {
      {"no policy key", false, std::nullopt, std::nullopt, std::nullopt, false, std::nullopt, {}, {}},
      {"no EnableFirewall", true, std::nullopt, kWindowsPrograms, kWindowsPorts, true, std::nullopt, {}, {}},
      {"only Windows' own exceptions", true, 1, kWindowsPrograms, kWindowsPorts, true, true, kWindowsRows, {}},
      {"no program list", true, 0, std::nullopt, kWindowsPorts, true, false, kWindowsRows, {}},
      {"fixed rows missing from the lists", true, 1, NamedValues{}, NamedValues{}, true, true,
       {{L"ファイルとプリンタの共有", false}, {L"UPnP フレームワーク", false}, {L"リモート デスクトップ", false},
        {L"リモート アシスタンス", false}},
       {}},
      {"no port list: no rows and no entries", true, 1, ownPrograms, std::nullopt, true, true, {}, {}},
      {"sorted, ties by kind then data, hidden names dropped", true, 2, Plus(kWindowsPrograms, ownPrograms),
       Plus(kWindowsPorts, ownPorts), true, false,
       WithFixedRows({{L"alpha", false}, {L"Beta", true}, {L"Same", false}, {L"Same", true},
                      {L"Same", true}, {L"Tool A", false}, {L"Web", true}}),
       {L"7000:TCP", L"C:\\b.exe", L"C:\\a.exe", L"C:\\z.exe", L"5000:UDP",
        L"C:\\Tools\\a.exe", L"8080:TCP"}},
  };
  for (const MachineCase& c : cases) {
    SCOPED_TRACE(c.title);
    DeleteKey(HKLM, L"\\SYSTEM");
    Seed(c);
    const FirewallMachineState state = ReadMachineFirewall();
    EXPECT_EQ(state.policyFound, c.policyFound);
    EXPECT_EQ(state.firewallOn, c.firewallOn);
    EXPECT_EQ(state.rows, c.rows);
    std::vector<std::wstring> names;
    for (const TFirewallEntry& entry : state.entries) names.push_back(entry.valueName);
    EXPECT_EQ(names, c.entryValueNames);
  }
}

TEST_F(FirewallReadTest, AValueThatIsNoTextIsNoEntry) {
  CreateKey(HKLM, kFirewallPolicyKey);
  SetDword(HKLM, kFirewallPolicyKey, L"EnableFirewall", 1);
  SetDword(HKLM, kFirewallProgramListKey, L"C:\\odd.exe", 1);
  SetString(HKLM, kFirewallPortListKey, L"8080:TCP", L"8080:TCP:LocalSubNet:Enabled:Web");
  const FirewallMachineState state = ReadMachineFirewall();
  ASSERT_EQ(state.entries.size(), 1u);
  EXPECT_EQ(state.entries[0].kind, L"GP");
  EXPECT_EQ(state.rows.size(), 5u);
}

}  // namespace
}  // namespace kip
