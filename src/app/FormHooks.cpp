// Seams of the main window where the commands still to come attach: the
// command-line run and the firewall part of a setting. Until then they do
// nothing.
#include "app/UkIpConfig.h"

namespace kip {

void TFormIpconfig::RunCommandLine() {}

void TFormIpconfig::ReadFirewallState() {}

void TFormIpconfig::LoadFirewallPart(const std::wstring& /*settingName*/) {}

void TFormIpconfig::SaveFirewallPart(const std::wstring& /*settingName*/) {}

}  // namespace kip
