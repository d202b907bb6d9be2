#include "machine/FirewallPolicy.h"

#include <windows.h>

#include <algorithm>

#include "util/Text.h"

// The firewall's data strings and the entry list built from them: pure text
// work, apart from the locale's comparison that orders the list.
namespace kip {

namespace {

constexpr wchar_t kSessionManager[] = L"C:\\WINDOWS\\system32\\sessmgr.exe";

// The port values that belong to the fixed rows.
constexpr const wchar_t* kFixedPorts[] = {L"445:TCP", L"137:UDP", L"138:UDP", L"139:TCP",
                                          L"1900:UDP", L"2869:TCP", L"3389:TCP"};

// Friendly names of Windows' own exceptions, which the fixed rows stand for.
constexpr const wchar_t* kHiddenFriendlyNames[] = {
    L"@xpsp2res.dll,-22001", L"@xpsp2res.dll,-22002", L"@xpsp2res.dll,-22004", L"@xpsp2res.dll,-22005",
    L"@xpsp2res.dll,-22007", L"@xpsp2res.dll,-22008", L"@xpsp2res.dll,-22009", L"@xpsp2res.dll,-22019"};

template <size_t N>
bool IsOneOf(std::wstring_view text, const wchar_t* const (&list)[N]) {
  return std::any_of(std::begin(list), std::end(list), [&](const wchar_t* item) { return text == item; });
}

// The data split after its value-name prefix into scope, state and
// friendly name, cut one colon at a time: where a colon is missing, the
// later fields are empty and what is left counts as the friendly name.
struct DataFields {
  std::wstring_view scopeWithColon;
  std::wstring_view state;
  bool hasState = false;  // a colon ends the state field
  std::wstring_view friendlyName;
};

DataFields SplitData(std::wstring_view valueName, std::wstring_view data) {
  DataFields fields;
  std::wstring_view rest = data.size() > valueName.size() ? data.substr(valueName.size() + 1) : std::wstring_view();
  const size_t scopeEnd = rest.find(L':');
  if (scopeEnd != std::wstring_view::npos) {
    fields.scopeWithColon = rest.substr(0, scopeEnd + 1);
    rest.remove_prefix(scopeEnd + 1);
  }
  const size_t stateEnd = rest.find(L':');
  fields.hasState = stateEnd != std::wstring_view::npos;
  if (fields.hasState) {
    fields.state = rest.substr(0, stateEnd);
    rest.remove_prefix(stateEnd + 1);
  }
  fields.friendlyName = rest;
  return fields;
}

bool LessBySortKey(const TFirewallEntry& a, const TFirewallEntry& b) {
  const std::wstring ka = a.SortKey(), kb = b.SortKey();
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, ka.c_str(), static_cast<int>(ka.size()), kb.c_str(),
                        static_cast<int>(kb.size())) == CSTR_LESS_THAN;
}

}  // namespace

std::wstring TFirewallEntry::SortKey() const { return friendlyName + L"\t" + kind + L"\t" + data; }

const std::vector<FixedRow>& FixedFirewallRows() {
  static const std::vector<FixedRow> rows = {
      {L"ファイルとプリンタの共有",
       kFirewallPortListKey,
       {{L"137:UDP", L"LocalSubNet", L"@xpsp2res.dll,-22001"},
        {L"138:UDP", L"LocalSubNet", L"@xpsp2res.dll,-22002"},
        {L"139:TCP", L"LocalSubNet", L"@xpsp2res.dll,-22004"},
        {L"445:TCP", L"LocalSubNet", L"@xpsp2res.dll,-22005"},
        {L"1900:UDP", L"LocalSubNet", L"@xpsp2res.dll,-22007"}},
       L"@FirewallAPI.dll,-28502"},  // File and Printer Sharing
      // XP's UPnP ports (2869/TCP, 1900/UDP) are rules of Network Discovery
      // today; there is no UPnP group of its own.
      {L"UPnP フレームワーク", kFirewallPortListKey, {{L"2869:TCP", L"LocalSubNet", L"@xpsp2res.dll,-22008"}},
       L"@FirewallAPI.dll,-32752"},
      {L"リモート デスクトップ", kFirewallPortListKey, {{L"3389:TCP", L"*", L"@xpsp2res.dll,-22009"}},
       L"@FirewallAPI.dll,-28752"},
      {L"リモート アシスタンス", kFirewallProgramListKey, {{kSessionManager, L"*", L"@xpsp2res.dll,-22019"}},
       L"@FirewallAPI.dll,-33002"},
  };
  return rows;
}

std::wstring FriendlyNameOf(std::wstring_view valueName, std::wstring_view data) {
  return std::wstring(SplitData(valueName, data).friendlyName);
}

bool DataReadsEnabled(std::wstring_view valueName, std::wstring_view data) {
  return EqualsNoCase(SplitData(valueName, data).state, L"enabled");
}

std::wstring DataWithState(std::wstring_view valueName, std::wstring_view data, bool enabled) {
  const DataFields fields = SplitData(valueName, data);
  // Data cut short before its friendly name keeps no trace of the old
  // state: it ends with the new one.
  const std::wstring tail = fields.hasState ? L":" + std::wstring(fields.friendlyName) : std::wstring();
  return std::wstring(valueName) + L":" + std::wstring(fields.scopeWithColon) + (enabled ? L"Enabled" : L"Disabled") +
         tail;
}

std::wstring FixedValueData(const FixedValue& value, bool enabled) {
  return std::wstring(value.name) + L":" + value.scope + L":" + (enabled ? L"Enabled" : L"Disabled") + L":" +
         value.friendlyName;
}

std::vector<TFirewallEntry> CollectFirewallEntries(const NamedValues& programs, const NamedValues& ports) {
  std::vector<TFirewallEntry> entries;
  auto add = [&entries](const std::pair<std::wstring, std::wstring>& value, const wchar_t* kind) {
    entries.push_back({FriendlyNameOf(value.first, value.second), kind, value.first, value.second});
  };
  for (const auto& value : programs) {
    if (value.first != kSessionManager) add(value, kProgramKind);
  }
  for (const auto& value : ports) {
    if (!IsOneOf(value.first, kFixedPorts)) add(value, kPortKind);
  }
  SortFirewallEntries(entries);
  std::erase_if(entries, [](const TFirewallEntry& e) { return IsOneOf(e.friendlyName, kHiddenFriendlyNames); });
  return entries;
}

void SortFirewallEntries(std::vector<TFirewallEntry>& entries) {
  std::stable_sort(entries.begin(), entries.end(), LessBySortKey);
}

}  // namespace kip
