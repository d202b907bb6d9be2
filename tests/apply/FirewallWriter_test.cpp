// The commit's firewall step: the machine read at start-up, rows checked on
// the page, the page written back into the policy.
#include "apply/FirewallWriter.h"

#include <functional>
#include <map>

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kip
