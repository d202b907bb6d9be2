// The rules of the DNS suffix and registration options, as plain values.
#pragma once

#include <string>

#include "util/Text.h"

namespace kip {

// With UseDNSSuffix chosen the parents of the primary suffix may be added;
// with UseDNSSuffix2 the explicit list is edited.
struct SuffixEnabling {
  bool domainNameDevolution = false;  // UseDomainNameDevolution
  bool searchList = false;            // SearchList
};
SuffixEnabling SuffixRule(bool useDnsSuffixChosen);

// The radio choice is not stored: UseDNSSuffix stands for an empty list.
bool UseDnsSuffixFor(const StringList& searchLines);

// The "SearchList" value saved for the page: empty under UseDNSSuffix
// whatever the memo holds, otherwise its lines as comma text, unchecked.
std::wstring SearchListToStore(bool useDnsSuffixChosen, const StringList& searchLines);

}  // namespace kip
