#include "apply/FirewallWriter.h"

#include <algorithm>

#include "util/kRegistry.h"
#include "util/Guard.h"

namespace kip {

namespace {

size_t FixedRowsIn(const std::vector<FirewallRow>& rows) { return rows.size() >= kFixedRowCount ? kFixedRowCount : 0; }

const wchar_t* ListKeyOfKind(const std::wstring& kind) {
  return kind == kProgramKind ? kFirewallProgramListKey : kFirewallPortListKey;
}

void WriteEntries(TkRegistry& registry, const FirewallPage& page, const std::vector<TFirewallEntry>& entries) {
  const size_t count = std::min(entries.size(), page.entryChecks.size());
  for (size_t i = 0; i < count; ++i) {
    const TFirewallEntry& entry = entries[i];
    RunGuarded([&] {
      if (!registry.OpenKey(ListKeyOfKind(entry.kind), true)) return;
      registry.WriteString(entry.valueName, DataWithState(entry.valueName, entry.data, page.entryChecks[i].checked));
    });
  }
}

// A fixed row whose list is missing is skipped; within a row, a failing
// write skips the row's remaining values.
void WriteFixedRows(TkRegistry& registry, const FirewallPage& page) {
  const std::vector<FixedRow>& fixed = FixedFirewallRows();
  if (page.fixedChecks.size() != fixed.size()) return;
  for (size_t k = 0; k < fixed.size(); ++k) {
    RunGuarded([&] {
      if (!registry.OpenKey(fixed[k].listKey, false)) return;
      for (const FixedValue& value : fixed[k].values) {
        registry.WriteString(value.name, FixedValueData(value, page.fixedChecks[k].checked));
      }
    });
  }
}

const wchar_t* ProfileName(long profile) { return profile == kPrivateProfile ? L"プライベート" : L"パブリック"; }

class Policy2Writer {
 public:
  explicit Policy2Writer(FirewallApi& api) : api_(api) {}

  void Profiles(const FirewallPage& page) {
    for (long profile : kSwitchedProfiles) {
      Check(api_.SetFirewallEnabled(profile, page.firewallOn),
            std::wstring(ProfileName(profile)) + L" プロファイルの有効/無効");
      Check(api_.SetBlockAllInbound(profile, page.doNotAllowExceptions),
            std::wstring(ProfileName(profile)) + L" プロファイルの「例外を許可しない」");
    }
  }

  void Entries(const FirewallPage& page, const std::vector<TFirewallEntry>& entries) {
    const size_t count = std::min(entries.size(), page.entryChecks.size());
    for (size_t i = 0; i < count; ++i) {
      Check(api_.EnableRules({entries[i].kind, entries[i].valueName}, page.entryChecks[i].checked),
            L"例外「" + entries[i].friendlyName + L"」の規則");
    }
  }

  void Groups(const FirewallPage& page) {
    const std::vector<FixedRow>& fixed = FixedFirewallRows();
    if (page.fixedChecks.size() != fixed.size()) return;
    for (size_t k = 0; k < fixed.size(); ++k) {
      Check(api_.EnableRuleGroup(kSwitchedProfileMask, fixed[k].ruleGroup, page.fixedChecks[k].checked),
            std::wstring(L"規則グループ「") + fixed[k].text + L"」(" + fixed[k].ruleGroup + L")");
    }
  }

  WriterOutcome Outcome() { return std::move(outcome_); }

 private:
  // S_FALSE: Windows has no such group or rule, so nothing was switched.
  void Check(HRESULT result, const std::wstring& what) {
    if (result == S_OK) return;
    outcome_.succeeded = false;
    outcome_.notes.push_back({what + L"を変更できません: " +
                              (result == S_FALSE ? std::wstring(L"Windows にありません") : HresultText(result))});
  }

  FirewallApi& api_;
  WriterOutcome outcome_;
};

}  // namespace

FirewallPage MakeFirewallPage(bool useSwitch, bool firewallOn, bool doNotAllowExceptions,
                              const std::vector<TFirewallEntry>& entries, const std::vector<FirewallRow>& rows) {
  FirewallPage page{useSwitch, firewallOn, doNotAllowExceptions, {}, {}};
  const size_t fixedRows = FixedRowsIn(rows);
  const size_t entryRows = std::min(rows.size() - fixedRows, entries.size());
  for (size_t i = 0; i < entryRows; ++i) page.entryChecks.push_back({entries[i].kind, entries[i].valueName, rows[i].checked});
  for (size_t i = rows.size() - fixedRows; i < rows.size(); ++i) page.fixedChecks.push_back({L"", rows[i].text, rows[i].checked});
  return page;
}

void CopyChecksToRows(const FirewallPage& page, std::vector<FirewallRow>& rows) {
  const size_t fixedRows = FixedRowsIn(rows);
  const size_t entryRows = std::min(rows.size() - fixedRows, page.entryChecks.size());
  for (size_t i = 0; i < entryRows; ++i) rows[i].checked = page.entryChecks[i].checked;
  const size_t firstFixed = rows.size() - fixedRows;
  for (size_t k = 0; k < fixedRows && k < page.fixedChecks.size(); ++k) {
    rows[firstFixed + k].checked = page.fixedChecks[k].checked;
  }
}

void CommitFirewall(const FirewallPage& page, const std::vector<TFirewallEntry>& entries) {
  if (!page.useSwitch) return;
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  if (!registry.OpenKey(kFirewallPolicyKey, false)) return;
  RunGuarded([&] {
    registry.WriteInteger(L"EnableFirewall", page.firewallOn ? 1 : 0);
    registry.WriteInteger(L"DoNotAllowExceptions", page.doNotAllowExceptions ? 1 : 0);
  });
  WriteEntries(registry, page, entries);
  WriteFixedRows(registry, page);
}

WriterOutcome WriteFirewall(const FirewallPage& page, const std::vector<TFirewallEntry>& entries,
                            DWORD majorVersion, const FirewallOpener& open) {
  if (majorVersion < 6) {
    CommitFirewall(page, entries);
    return {};
  }
  if (!page.useSwitch) return {};
  HRESULT error = E_NOINTERFACE;
  std::unique_ptr<FirewallApi> api = open ? open(error) : nullptr;
  if (!api) return {false, {{L"ファイアウォールを変更できません: INetFwPolicy2 を開けません (" + HresultText(error) + L")"}}};
  Policy2Writer writer(*api);
  writer.Profiles(page);
  writer.Entries(page, entries);
  writer.Groups(page);
  return writer.Outcome();
}

}  // namespace kip
