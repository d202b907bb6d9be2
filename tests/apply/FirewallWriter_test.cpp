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
const std::wstring kSessionManager = L"C:\\WINDOWS\\system32\\sessmgr.exe";

std::wstring Data(const std::wstring& name, const std::wstring& scope, const std::wstring& state,
                  const std::wstring& friendly) {
  return name + L":" + scope + L":" + state + L":" + friendly;
}

// The file-and-printer-sharing ports with their scope and friendly name.
const std::pair<const wchar_t*, const wchar_t*> kSharingPorts[] = {
    {L"137:UDP", L"@xpsp2res.dll,-22001"}, {L"138:UDP", L"@xpsp2res.dll,-22002"},
    {L"139:TCP", L"@xpsp2res.dll,-22004"}, {L"445:TCP", L"@xpsp2res.dll,-22005"},
    {L"1900:UDP", L"@xpsp2res.dll,-22007"}};

using Snapshot = std::map<std::wstring, std::vector<BYTE>>;

class FirewallWriterTest : public RegistryTest {
 protected:
  void SeedMachine(bool withProgramList) {
    SetDword(HKLM, kFirewallPolicyKey, L"EnableFirewall", 0);
    SetDword(HKLM, kFirewallPolicyKey, L"DoNotAllowExceptions", 0);
    for (const auto& [port, friendly] : kSharingPorts) {
      SetString(HKLM, kFirewallPortListKey, port, Data(port, L"LocalSubNet", L"Enabled", friendly));
    }
    SetString(HKLM, kFirewallPortListKey, L"3389:TCP", Data(L"3389:TCP", L"*", L"Enabled", L"@xpsp2res.dll,-22009"));
    SetString(HKLM, kFirewallPortListKey, L"8080:TCP", Data(L"8080:TCP", L"LocalSubNet", L"Enabled", L"Web"));
    if (!withProgramList) return;
    SetString(HKLM, kFirewallProgramListKey, kSessionManager, Data(kSessionManager, L"*", L"Enabled", L"@xpsp2res.dll,-22019"));
    SetString(HKLM, kFirewallProgramListKey, L"C:\\Tools\\a.exe", Data(L"C:\\Tools\\a.exe", L"*", L"Disabled", L"Tool A"));
    // Windows' own name on a program the fixed rows do not cover: neither
    // shown nor written, and the rows after it still pair.
    SetString(HKLM, kFirewallProgramListKey, L"C:\\h.exe", Data(L"C:\\h.exe", L"*", L"Enabled", L"@xpsp2res.dll,-22019"));
  }

  Snapshot TakeSnapshot() {
    Snapshot snapshot;
    for (const wchar_t* key : {kFirewallPolicyKey, kFirewallProgramListKey, kFirewallPortListKey}) {
      for (const std::wstring& name : ValueNames(HKLM, key)) {
        snapshot[std::wstring(key) + L"|" + name] = GetRaw(HKLM, key, name)->Data;
      }
    }
    return snapshot;
  }

  std::optional<std::wstring> Program(const std::wstring& name) { return GetString(HKLM, kFirewallProgramListKey, name); }
  std::optional<std::wstring> Port(const std::wstring& name) { return GetString(HKLM, kFirewallPortListKey, name); }
};

struct CommitCase {
  const char* title;
  bool programList;
  bool useSwitch;
  // Row checks changed on the page by text.
  std::map<std::wstring, bool> rowChanges;
  std::function<void()> check;
};

TEST_F(FirewallWriterTest, CommitWritesOnlyTheStateOfEachRow) {
  const CommitCase cases[] = {
      {"switch off leaves the machine untouched", true, false,
       {{L"Tool A", true}, {L"Web", false}, {L"ファイルとプリンタの共有", false}}, nullptr},
      {"checked rows written back", true, true, {{L"Tool A", true}, {L"Web", false}, {L"ファイルとプリンタの共有", false}},
       [this] {
         EXPECT_EQ(GetDword(HKLM, kFirewallPolicyKey, L"EnableFirewall"), 1u);
         EXPECT_EQ(GetDword(HKLM, kFirewallPolicyKey, L"DoNotAllowExceptions"), 1u);
         EXPECT_EQ(Program(L"C:\\Tools\\a.exe"), L"C:\\Tools\\a.exe:*:Enabled:Tool A");
         EXPECT_EQ(Port(L"8080:TCP"), L"8080:TCP:LocalSubNet:Disabled:Web");
         EXPECT_EQ(Program(L"C:\\h.exe"), Data(L"C:\\h.exe", L"*", L"Enabled", L"@xpsp2res.dll,-22019"));
         for (const auto& [port, friendly] : kSharingPorts) {
           EXPECT_EQ(Port(port), Data(port, L"LocalSubNet", L"Disabled", friendly));
         }
         // Rows left as read are written with the state they had.
         EXPECT_EQ(Port(L"2869:TCP"), L"2869:TCP:LocalSubNet:Disabled:@xpsp2res.dll,-22008");
         EXPECT_EQ(Port(L"3389:TCP"), L"3389:TCP:*:Enabled:@xpsp2res.dll,-22009");
         EXPECT_EQ(Program(kSessionManager), kSessionManager + L":*:Enabled:@xpsp2res.dll,-22019");
         const FirewallMachineState again = ReadMachineFirewall();
         EXPECT_EQ(again.rows[0], (FirewallRow{L"Tool A", true}));
         EXPECT_EQ(again.rows[2], (FirewallRow{L"ファイルとプリンタの共有", false}));
       }},
      {"a missing program list is not created", false, true, {{L"リモート アシスタンス", true}},
       [this] {
         EXPECT_FALSE(KeyExists(HKLM, kFirewallProgramListKey));
         EXPECT_EQ(Port(L"2869:TCP"), L"2869:TCP:LocalSubNet:Disabled:@xpsp2res.dll,-22008");
       }},
  };
  for (const CommitCase& c : cases) {
    SCOPED_TRACE(c.title);
    DeleteKey(HKLM, L"\\SYSTEM");
    SeedMachine(c.programList);
    const FirewallMachineState machine = ReadMachineFirewall();
    std::vector<FirewallRow> rows = machine.rows;
    for (FirewallRow& row : rows) {
      if (auto change = c.rowChanges.find(row.text); change != c.rowChanges.end()) row.checked = change->second;
    }
    const Snapshot before = TakeSnapshot();
    CommitFirewall(MakeFirewallPage(c.useSwitch, true, true, machine.entries, rows), machine.entries);
    if (c.check) {
      c.check();
    } else {
      EXPECT_EQ(TakeSnapshot(), before);
    }
  }
}

TEST_F(FirewallWriterTest, NoPolicyKeyNothingWritten) {
  const std::vector<FirewallRow> rows = {{L"Web", true}, {L"a", true}, {L"b", true}, {L"c", true}, {L"d", true}};
  const std::vector<TFirewallEntry> entries = {{L"Web", L"GP", L"8080:TCP", L"8080:TCP:*:Disabled:Web"}};
  CommitFirewall(MakeFirewallPage(true, true, false, entries, rows), entries);
  EXPECT_FALSE(KeyExists(HKLM, L"\\SYSTEM\\CurrentControlSet\\Services\\SharedAccess"));
}

TEST(FirewallPage, RowsPairWithEntriesAndFixedRowsComeLast) {
  const std::vector<TFirewallEntry> entries = {{L"Tool A", L"AA", L"C:\\a.exe", L""}, {L"Web", L"GP", L"80:TCP", L""}};
  std::vector<FirewallRow> rows = {{L"Tool A", true}, {L"Web", false}, {L"f1", true},
                                   {L"f2", false},    {L"f3", true},   {L"f4", false}};
  FirewallPage page = MakeFirewallPage(true, false, true, entries, rows);
  EXPECT_EQ(page.entryChecks, (std::vector<StoredCheck>{{L"AA", L"C:\\a.exe", true}, {L"GP", L"80:TCP", false}}));
  ASSERT_EQ(page.fixedChecks.size(), 4u);
  EXPECT_EQ(page.fixedChecks[0], (StoredCheck{L"", L"f1", true}));
  EXPECT_EQ(page.fixedChecks[3], (StoredCheck{L"", L"f4", false}));

  page.entryChecks[1].checked = true;
  page.fixedChecks[0].checked = false;
  CopyChecksToRows(page, rows);
  EXPECT_EQ(rows[1], (FirewallRow{L"Web", true}));
  EXPECT_EQ(rows[2], (FirewallRow{L"f1", false}));

  EXPECT_TRUE(MakeFirewallPage(true, true, true, entries, {}).fixedChecks.empty());
}

}  // namespace
}  // namespace kip
