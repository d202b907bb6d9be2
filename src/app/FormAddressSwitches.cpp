// The DHCP and automatic-DNS switches of the address lists, and the rule
// that ties the two DNS registration options together.
#include "app/UkIpConfig.h"

namespace kip {

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

void EnableButtons(std::initializer_list<win::Button*> buttons, bool enabled) {
  for (win::Button* button : buttons) button->SetEnabled(enabled);
}

}  // namespace

void TFormIpconfig::CheckBoxIPClick() {
  Modified = true;
  bool dhcp = CheckBoxIP.Checked();
  GroupBoxIP.SetEnabled(!dhcp);
  CheckDNS.SetEnabled(dhcp);
  if (dhcp) {
    // The typed addresses stay in the grid, greyed, for when DHCP goes off.
    StringIP.SetColor(GetSysColor(COLOR_BTNFACE));
    EnableButtons({&ButtonIPAdd, &ButtonIPEdit, &ButtonIPDel}, false);
    return;
  }
  StringIP.SetColor(kWhite);
  // Automatic DNS needs DHCP.
  CheckDNS.SetChecked(false);
  StringDNS.SetColor(kWhite);
  EnableButtons({&ButtonIPAdd, &ButtonIPEdit, &ButtonIPDel}, true);
  StringGateway.SetColor(kWhite);
  EnableButtons({&ButtonGWAdd, &ButtonGWEdit, &ButtonGWDel}, true);
}

void TFormIpconfig::CheckDNSClick() {
  Modified = true;
  bool automatic = CheckDNS.Checked();
  GroupDNS.SetEnabled(!automatic);
  StringDNS.SetColor(automatic ? GetSysColor(COLOR_BTNFACE) : GetSysColor(COLOR_WINDOW));
  EnableButtons({&ButtonDNSAdd, &ButtonDNSEdit, &ButtonDNSDel}, !automatic);
}

void TFormIpconfig::RegistrationEnabledClick() {
  Modified = true;
  RegisterAdapterName.SetEnabled(RegistrationEnabled.Checked());
}

}  // namespace kip
