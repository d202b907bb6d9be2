// The commit's firewall step: the machine read at start-up, rows checked on
// the page, the page written back into the policy.
#include "apply/FirewallWriter.h"
#include "apply/CommitSource.h"

#include <functional>
#include <map>

#include <gtest/gtest.h>

#include "support/MachineStandIns.h"
#include "support/RegistrySandbox.h"

namespace kip {
namespace {

const HKEY HKLM = HKEY_LOCAL_MACHINE;
const std::wstring kAssistance = L"C:\\WINDOWS\\system32\\sessmgr.exe";
const wchar_t* const kSharingPorts[] = {L"137:UDP", L"138:UDP", L"139:TCP", L"445:TCP", L"1900:UDP"};
const wchar_t* const kSharingNames[] = {L"-22001", L"-22002", L"-22004", L"-22005", L"-22007"};

class FirewallWriterTest : public RegistryTest {
 protected:
  void Seed(const wchar_t* key, const std::wstring& name, const std::wstring& rest) {
    SetString(HKLM, key, name, name + L":" + rest);
  }
  void SeedMachine(bool programList) {
    SetDword(HKLM, kFirewallPolicyKey, L"EnableFirewall", 0);
    for (size_t i = 0; i < 5; ++i) {
      Seed(kFirewallPortListKey, kSharingPorts[i], L"LocalSubNet:Enabled:@xpsp2res.dll," + std::wstring(kSharingNames[i]));
    }
    Seed(kFirewallPortListKey, L"8080:TCP", L"LocalSubNet:Enabled:Web");
    if (!programList) return;
    Seed(kFirewallProgramListKey, kAssistance, L"*:Enabled:@xpsp2res.dll,-22019");
    Seed(kFirewallProgramListKey, L"C:\\Tools\\a.exe", L"*:Disabled:Tool A");
    // Windows' own name on another program: neither shown nor written, and
    // the rows after it still pair with their own entries.
    Seed(kFirewallProgramListKey, L"C:\\h.exe", L"*:Disabled:@xpsp2res.dll,-22019");
  }
  std::map<std::wstring, std::vector<BYTE>> Snapshot() {
    std::map<std::wstring, std::vector<BYTE>> values;
    for (const wchar_t* key : {kFirewallPolicyKey, kFirewallProgramListKey, kFirewallPortListKey}) {
      for (const std::wstring& name : ValueNames(HKLM, key)) values[key + name] = GetRaw(HKLM, key, name)->Data;
    }
    return values;
  }
  std::optional<std::wstring> Value(const wchar_t* key, const std::wstring& name) { return GetString(HKLM, key, name); }
};

TEST_F(FirewallWriterTest, CommitWritesOnlyTheStateOfEachRow) {
  const std::map<std::wstring, bool> userChecks = {{L"Tool A", true}, {L"Web", false}, {L"ファイルとプリンタの共有", false}};
  const struct {
    const char* title;
    bool policy, programList, useSwitch;
    std::function<void()> check;  // null: the machine is untouched
  } cases[] = {
      {"switch off", true, true, false, nullptr},
      {"no policy key", false, false, true,
       [this] { EXPECT_FALSE(KeyExists(HKLM, L"\\SYSTEM\\CurrentControlSet\\Services\\SharedAccess")); }},
      {"checked rows written back", true, true, true,
       [this] {
         EXPECT_EQ(GetDword(HKLM, kFirewallPolicyKey, L"EnableFirewall"), 1u);
         EXPECT_EQ(GetDword(HKLM, kFirewallPolicyKey, L"DoNotAllowExceptions"), 1u);
         EXPECT_EQ(Value(kFirewallProgramListKey, L"C:\\Tools\\a.exe"), L"C:\\Tools\\a.exe:*:Enabled:Tool A");
         EXPECT_EQ(Value(kFirewallProgramListKey, L"C:\\h.exe"), L"C:\\h.exe:*:Disabled:@xpsp2res.dll,-22019");
         EXPECT_EQ(Value(kFirewallPortListKey, L"8080:TCP"), L"8080:TCP:LocalSubNet:Disabled:Web");
         for (size_t i = 0; i < 5; ++i) {
           EXPECT_EQ(Value(kFirewallPortListKey, kSharingPorts[i]),
                     kSharingPorts[i] + std::wstring(L":LocalSubNet:Disabled:@xpsp2res.dll,") + kSharingNames[i]);
         }
         // Rows left as read keep their state; a missing one is written.
         EXPECT_EQ(Value(kFirewallProgramListKey, kAssistance), kAssistance + L":*:Enabled:@xpsp2res.dll,-22019");
         EXPECT_EQ(Value(kFirewallPortListKey, L"3389:TCP"), L"3389:TCP:*:Disabled:@xpsp2res.dll,-22009");
         const FirewallMachineState again = ReadMachineFirewall();
         EXPECT_TRUE(again.rows[0].checked);   // Tool A
         EXPECT_FALSE(again.rows[2].checked);  // file and printer sharing, read from "1900:UDP"
       }},
      {"a missing program list is not created", true, false, true,
       [this] { EXPECT_FALSE(KeyExists(HKLM, kFirewallProgramListKey)); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    DeleteKey(HKLM, L"\\SYSTEM");
    if (c.policy) SeedMachine(c.programList);
    const FirewallMachineState machine = ReadMachineFirewall();
    std::vector<FirewallRow> rows = machine.rows;
    for (FirewallRow& row : rows) {
      if (auto check = userChecks.find(row.text); check != userChecks.end()) row.checked = check->second;
    }
    const auto before = Snapshot();
    CommitFirewall(MakeFirewallPage(c.useSwitch, true, true, machine.entries, rows), machine.entries);
    if (c.check) c.check();
    else EXPECT_EQ(Snapshot(), before);
  }
}

// Windows 7 and later: the switch is the private and public profiles, the
// fixed rows their rule groups, the exceptions their rules; every call is
// made, each one refused is named, and what was written reads back. The
// registry keys stay untouched.
TEST_F(FirewallWriterTest, TodaysFirewallIsSwitchedThroughItsInterface) {
  test::FirewallModel model;
  model.groups = {{L"@FirewallAPI.dll,-28502", true}, {L"@FirewallAPI.dll,-32752", false},
                  {L"@FirewallAPI.dll,-28752", false}};  // no Remote Assistance on this edition
  model.rules = {{L"Tool A", L"C:\\Tools\\a.exe", L"", L"", kProtocolTcp, true, true, kPrivateProfile, false}};
  const std::vector<TFirewallEntry> entries = {{L"Tool A", L"AA", L"C:\\Tools\\a.exe", L""},
                                               {L"Gone", L"GP", L"8080:TCP", L""}};
  FirewallPage page = MakeFirewallPage(true, false, true, entries,
                                       {{L"Tool A", true}, {L"Gone", true}, {L"", false}, {L"", true}, {L"", true}, {L"", true}});
  SeedMachine(true);
  const auto registryBefore = Snapshot();
  const WriterOutcome outcome = WriteFirewall(page, entries, 6, test::OpenerOf(model));
  EXPECT_EQ(model.log, (test::CallLog{"put_FirewallEnabled 2 off", "put_BlockAllInboundTraffic 2 on",
                                      "put_FirewallEnabled 4 off", "put_BlockAllInboundTraffic 4 on",
                                      "rules AA C:\\Tools\\a.exe on", "rules GP 8080:TCP on",
                                      "EnableRuleGroup 6 @FirewallAPI.dll,-28502 off",
                                      "EnableRuleGroup 6 @FirewallAPI.dll,-32752 on",
                                      "EnableRuleGroup 6 @FirewallAPI.dll,-28752 on",
                                      "EnableRuleGroup 6 @FirewallAPI.dll,-33002 on"}));
  EXPECT_FALSE(outcome.succeeded);
  EXPECT_EQ(outcome.notes, (std::vector<WriterNote>{{L"例外「Gone」の規則を変更できません: Windows にありません"},
                                                    {L"規則グループ「リモート アシスタンス」(@FirewallAPI.dll,-33002)を"
                                                     L"変更できません: Windows にありません"}}));
  EXPECT_EQ(Snapshot(), registryBefore);
  const FirewallMachineState again = ReadMachineFirewall(6, test::OpenerOf(model));
  EXPECT_EQ(again.firewallOn, false);
  EXPECT_TRUE(again.doNotAllowExceptions);
  EXPECT_EQ(again.rows, (std::vector<FirewallRow>{{L"Tool A", true}, {L"ファイルとプリンタの共有", false},
                                                  {L"UPnP フレームワーク", true}, {L"リモート デスクトップ", true},
                                                  {L"リモート アシスタンス", false}}));

  // Without the COM class (Wine) the step fails and says why; the switch off
  // asks for nothing; version 5 never asks for the interface.
  const WriterOutcome missing = WriteFirewall(page, entries, 10, test::OpenerOf(model, true));
  EXPECT_EQ(missing.notes, (std::vector<WriterNote>{{L"ファイアウォールを変更できません: INetFwPolicy2 を開けません (" +
                                                     HresultText(REGDB_E_CLASSNOTREG) + L")"}}));
  const FirewallOpener never = [](HRESULT&) -> std::unique_ptr<FirewallApi> {
    ADD_FAILURE() << "the interface was asked for";
    return nullptr;
  };
  EXPECT_TRUE(WriteFirewall(page, entries, 5, never).succeeded);
  page.useSwitch = false;
  EXPECT_TRUE(WriteFirewall(page, entries, 6, never).succeeded);
  // Nor is the policy read to plan a setting that does not switch it; its
  // step is still planned.
  const std::optional<FirewallCommit> unswitched = ReadFirewallCommit(std::nullopt, 10, never);
  EXPECT_TRUE(unswitched && !unswitched->page.useSwitch);
}

}  // namespace
}  // namespace kip
