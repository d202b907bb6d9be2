// The start-up read of the machine's firewall policy and the parsing of its
// exception data.
#include "machine/FirewallPolicy.h"

#include <gtest/gtest.h>

#include "support/MachineStandIns.h"
#include "support/RegistrySandbox.h"

namespace kip {

void PrintTo(const FirewallRow& row, std::ostream* os) {
  *os << testing::PrintToString(row.text) << (row.checked ? " [x]" : " [ ]");
}

namespace {

const HKEY HKLM = HKEY_LOCAL_MACHINE;

TEST(FirewallData, FieldsAreCutOneColonAtATime) {
  const struct {
    std::wstring name, data, friendly;
    bool enabled;
    std::wstring disabledData;
  } cases[] = {
      {L"8080:TCP", L"8080:TCP:LocalSubNet:eNaBlEd:Web:x", L"Web:x", true, L"8080:TCP:LocalSubNet:Disabled:Web:x"},
      // No colon after the state: no state, the rest is the friendly name.
      {L"1:UDP", L"1:UDP:*:Enabled", L"Enabled", false, L"1:UDP:*:Disabled"},
      {L"long:name", L"short", L"", false, L"long:name:Disabled"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.data));
    EXPECT_EQ(FriendlyNameOf(c.name, c.data), c.friendly);
    EXPECT_EQ(DataReadsEnabled(c.name, c.data), c.enabled);
    EXPECT_EQ(DataWithState(c.name, c.data, false), c.disabledData);
  }
}

// Windows' own exceptions, for which the fixed rows stand.
const NamedValues kWindowsPorts = {
    {L"137:UDP", L"137:UDP:*:Enabled:@xpsp2res.dll,-22001"},   {L"138:UDP", L"138:UDP:*:Enabled:@xpsp2res.dll,-22002"},
    {L"139:TCP", L"139:TCP:*:Enabled:@xpsp2res.dll,-22004"},   {L"445:TCP", L"445:TCP:*:Enabled:@xpsp2res.dll,-22005"},
    {L"1900:UDP", L"1900:UDP:*:Enabled:@xpsp2res.dll,-22007"}, {L"2869:TCP", L"2869:TCP:*:Disabled:x"},
    {L"3389:TCP", L"3389:TCP:*:enabled:@xpsp2res.dll,-22009"}};
const NamedValues kWindowsPrograms = {
    {L"C:\\WINDOWS\\system32\\sessmgr.exe", L"C:\\WINDOWS\\system32\\sessmgr.exe:*:Disabled:@xpsp2res.dll,-22019"}};
const std::vector<FirewallRow> kFixedRows = {{L"ファイルとプリンタの共有", true},
                                             {L"UPnP フレームワーク", false},
                                             {L"リモート デスクトップ", true},
                                             {L"リモート アシスタンス", false}};

NamedValues Plus(NamedValues values, const NamedValues& more) {
  values.insert(values.end(), more.begin(), more.end());
  return values;
}

class FirewallReadTest : public RegistryTest {
 protected:
  void SeedList(const wchar_t* key, const std::optional<NamedValues>& values) {
    if (!values) return;
    CreateKey(HKLM, key);
    for (const auto& [name, data] : *values) SetString(HKLM, key, name, data);
  }
};

TEST_F(FirewallReadTest, RowsAndEntriesFromTheMachine) {
  const NamedValues ownPrograms = {{L"C:\\z.exe", L"C:\\z.exe:*:Enabled:Same"},
                                   {L"C:\\Tools\\a.exe", L"C:\\Tools\\a.exe:*:Disabled:Tool A"},
                                   {L"C:\\b.exe", L"C:\\b.exe:*:Enabled:Beta"},
                                   {L"C:\\a.exe", L"C:\\a.exe:*:Disabled:Same"}};
  const NamedValues ownPorts = {{L"8080:TCP", L"8080:TCP:LocalSubNet:Enabled:Web"},
                                {L"5000:UDP", L"5000:UDP:*:Enabled:Same"},
                                {L"7000:TCP", L"7000:TCP:*:Disabled:alpha"},
                                {L"4000:TCP", L"4000:TCP:*:Enabled:@xpsp2res.dll,-22019"}};  // hidden
  std::vector<FirewallRow> sortedRows = {{L"alpha", false}, {L"Beta", true},    {L"Same", false}, {L"Same", true},
                                         {L"Same", true},   {L"Tool A", false}, {L"Web", true}};
  sortedRows.insert(sortedRows.end(), kFixedRows.begin(), kFixedRows.end());
  const struct {
    const char* title;
    bool policy;
    std::optional<DWORD> enableFirewall;
    std::optional<NamedValues> programs, ports;  // nullopt: the list key is missing
    std::optional<bool> firewallOn;
    std::vector<FirewallRow> rows;
    StringList entries;
  } cases[] = {
      {"no policy key", false, std::nullopt, std::nullopt, std::nullopt, std::nullopt, {}, {}},
      {"no EnableFirewall", true, std::nullopt, kWindowsPrograms, kWindowsPorts, std::nullopt, {}, {}},
      {"only Windows' own exceptions", true, 1, kWindowsPrograms, kWindowsPorts, true, kFixedRows, {}},
      {"no port list: no rows and no entries", true, 1, ownPrograms, std::nullopt, true, {}, {}},
      {"sorted ignoring case, ties by kind then data", true, 2, Plus(kWindowsPrograms, ownPrograms),
       Plus(kWindowsPorts, ownPorts), false, sortedRows,
       {L"7000:TCP", L"C:\\b.exe", L"C:\\a.exe", L"C:\\z.exe", L"5000:UDP", L"C:\\Tools\\a.exe", L"8080:TCP"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    DeleteKey(HKLM, L"\\SYSTEM");
    if (c.policy) CreateKey(HKLM, kFirewallPolicyKey);
    if (c.enableFirewall) SetDword(HKLM, kFirewallPolicyKey, L"EnableFirewall", *c.enableFirewall);
    SeedList(kFirewallProgramListKey, c.programs);
    SeedList(kFirewallPortListKey, c.ports);
    const FirewallMachineState state = ReadMachineFirewall();
    EXPECT_EQ(state.policyFound, c.policy);
    EXPECT_EQ(state.firewallOn, c.firewallOn);
    EXPECT_EQ(state.rows, c.rows);
    StringList names;
    for (const TFirewallEntry& entry : state.entries) names.push_back(entry.valueName);
    EXPECT_EQ(names, c.entries);
  }
}

// Today's firewall: one row per program or port that an ungrouped inbound
// allow rule of the private or public profile names, checked when any of its
// rules lets traffic in; Windows' own rules belong to groups, which only the
// fixed rows switch. A firewall that cannot be opened is no policy.
TEST(FirewallPolicy2, RulesBecomeOneRowPerProgramOrPort) {
  auto rule = [](std::wstring name, std::wstring program, std::wstring ports, long protocol, bool enabled,
                 std::wstring group = L"", bool inbound = true, bool allow = true, long profiles = kPublicProfile) {
    return FirewallRuleFacts{name, program, ports, group, protocol, inbound, allow, profiles, enabled};
  };
  test::FirewallModel model;
  model.blockAll = {{kPrivateProfile, true}, {kPublicProfile, false}};  // one profile only: not "no exceptions"
  model.groups = {{L"@FirewallAPI.dll,-28502", true}, {L"@FirewallAPI.dll,-28752", false}};
  model.rules = {rule(L"web", L"", L"8080", kProtocolTcp, false), rule(L"Tool A", L"C:\\a.exe", L"", kProtocolTcp, false),
                 rule(L"Tool A (UDP)", L"C:\\a.exe", L"", kProtocolUdp, true), rule(L"dns", L"", L"53", kProtocolUdp, true),
                 rule(L"any port", L"", L"*", kProtocolTcp, true), rule(L"ping", L"", L"", 1, true),
                 rule(L"FPS", L"", L"445", kProtocolTcp, true, L"@FirewallAPI.dll,-28502"),
                 rule(L"out", L"C:\\o.exe", L"", kProtocolTcp, true, L"", false),
                 rule(L"block", L"C:\\b.exe", L"", kProtocolTcp, true, L"", true, false),
                 rule(L"domain", L"C:\\d.exe", L"", kProtocolTcp, true, L"", true, true, 1)};
  const FirewallMachineState state = ReadMachineFirewall(6, test::OpenerOf(model));
  EXPECT_TRUE(state.policyFound);
  EXPECT_EQ(state.firewallOn, true);
  EXPECT_FALSE(state.doNotAllowExceptions);
  EXPECT_EQ(state.rows, (std::vector<FirewallRow>{{L"dns", true}, {L"Tool A", true}, {L"web", false},
                                                  {L"ファイルとプリンタの共有", true}, {L"UPnP フレームワーク", false},
                                                  {L"リモート デスクトップ", false}, {L"リモート アシスタンス", false}}));
  StringList keys;
  for (const TFirewallEntry& entry : state.entries) keys.push_back(entry.kind + L" " + entry.valueName);
  EXPECT_EQ(keys, (StringList{L"GP 53:UDP", L"AA C:\\a.exe", L"GP 8080:TCP"}));
  EXPECT_FALSE(ReadMachineFirewall(6, test::OpenerOf(model, true)).policyFound);
}

}  // namespace
}  // namespace kip
