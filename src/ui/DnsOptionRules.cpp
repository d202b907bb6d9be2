#include "ui/DnsOptionRules.h"

namespace kip {

SuffixEnabling SuffixRule(bool useDnsSuffixChosen) { return {useDnsSuffixChosen, !useDnsSuffixChosen}; }

bool UseDnsSuffixFor(const StringList& searchLines) { return searchLines.empty(); }

std::wstring SearchListToStore(bool useDnsSuffixChosen, const StringList& searchLines) {
  return useDnsSuffixChosen ? std::wstring() : JoinCommaText(searchLines);
}

}  // namespace kip
