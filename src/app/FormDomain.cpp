// The domain and workgroup controls and the domain change of the commit.
// (Filled in by the domain work; until then the commit changes nothing.)
#include "app/UkIpConfig.h"

namespace kip {

void TFormIpconfig::CheckChangeDomainClick() { ApplyDomainEnabling(); }
void TFormIpconfig::ChangeDomainStep() {}
void TFormIpconfig::WireDomainHandlers() {}

}  // namespace kip
