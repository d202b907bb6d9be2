// The firewall page: the machine's exceptions read at start-up, the
// firewall part of a setting, and the commit step. (Filled in by the
// firewall work; until then the page stays disabled and nothing is written.)
#include "app/UkIpConfig.h"

namespace kip {

void TFormIpconfig::ReadFirewallState() {}
void TFormIpconfig::LoadFirewallPart(const std::wstring& /*settingName*/) {}
void TFormIpconfig::SaveFirewallPart(const std::wstring& /*settingName*/) {}
void TFormIpconfig::CheckFWUseClick() { Modified = true; }
void TFormIpconfig::CommitFirewallStep() {}
void TFormIpconfig::WireFirewallHandlers() {}

}  // namespace kip
