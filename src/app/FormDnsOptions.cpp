// The DNS suffix choice: the parents of the primary suffix, or a list.
#include "app/UkIpConfig.h"
#include "ui/DnsOptionRules.h"

namespace kip {

void TFormIpconfig::UseDNSSuffixClick() {
  Modified = true;
  SuffixEnabling enabling = SuffixRule(UseDNSSuffix.Checked());
  UseDomainNameDevolution.SetEnabled(enabling.domainNameDevolution);
  SearchList.SetEnabled(enabling.searchList);
}

}  // namespace kip
