// The firewall's data strings "<value name>:<scope>:<state>:<friendly name>"
// as a machine may hold them (fields missing, colons in names, shorter than
// the value name). The first line is the value name, the second the data;
// further lines are values of the two lists ("name\tdata", programs until
// an empty line, then ports).
#include "FuzzSupport.h"
#include "machine/FirewallPolicy.h"
#include "util/Text.h"

namespace {

using namespace kip;

// The data holds a state field: two colons after the value-name prefix.
bool HasStateField(std::wstring_view valueName, std::wstring_view data) {
  if (data.size() <= valueName.size()) return false;
  const std::wstring_view rest = data.substr(valueName.size() + 1);
  const size_t first = rest.find(L':');
  return first != std::wstring_view::npos && rest.find(L':', first + 1) != std::wstring_view::npos;
}

void CheckData(const std::wstring& valueName, const std::wstring& data) {
  const std::wstring friendly = FriendlyNameOf(valueName, data);
  DataReadsEnabled(valueName, data);
  for (bool enabled : {false, true}) {
    const std::wstring written = DataWithState(valueName, data, enabled);
    KIP_FUZZ_REQUIRE(written.compare(0, valueName.size() + 1, valueName + L":") == 0);
    KIP_FUZZ_REQUIRE(DataWithState(valueName, written, enabled) == written);
    if (HasStateField(valueName, data)) {
      KIP_FUZZ_REQUIRE(DataReadsEnabled(valueName, written) == enabled);
      KIP_FUZZ_REQUIRE(FriendlyNameOf(valueName, written) == friendly);
    }
  }
}

NamedValues ValuesOf(const StringList& lines, size_t& next) {
  NamedValues values;
  for (; next < lines.size() && !lines[next].empty(); ++next) {
    const size_t tab = lines[next].find(L'\t');
    values.emplace_back(lines[next].substr(0, tab), tab == std::wstring::npos ? L"" : lines[next].substr(tab + 1));
  }
  ++next;
  return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const StringList lines = fuzz::Parts(fuzz::Utf16Units(data, size), L'\n');
  if (lines.size() >= 2) CheckData(lines[0], lines[1]);

  size_t next = 2;
  const NamedValues programs = ValuesOf(lines, next);
  const NamedValues ports = ValuesOf(lines, next);
  const std::vector<TFirewallEntry> entries = CollectFirewallEntries(programs, ports);
  KIP_FUZZ_REQUIRE(entries.size() <= programs.size() + ports.size());
  for (const TFirewallEntry& entry : entries) {
    KIP_FUZZ_REQUIRE(entry.friendlyName == FriendlyNameOf(entry.valueName, entry.data));
    KIP_FUZZ_REQUIRE(entry.kind == kProgramKind || entry.kind == kPortKind);
  }
  return 0;
}
