// The proxy page: which controls are usable for the two switches and the
// server text, and the take-over of the machine's proxy settings.
#include "app/UkIpConfig.h"
#include "ui/ProxyRules.h"

namespace kip {

void TFormIpconfig::CheckUseProxyClick() {
  Modified = true;
  ProxyEnabling enabling = ProxyEnablingRule(CheckUseProxy.Checked(), ProxyMore.Checked(), EditProxyServer.Text());
  GroupBoxProxy.SetEnabled(enabling.groupBox);
  for (win::Window* control : std::initializer_list<win::Window*>{&LabelProxyAdd, &EditProxyServer, &LabelProxyPort,
                                                                  &EditProxyPort}) {
    control->SetEnabled(enabling.serverAndPort);
  }
  ProxyLocalAddress.SetEnabled(enabling.localBypass);
  ProxyLocalURL.SetEnabled(enabling.localBypass);
  ProxyAutoConfigURL.SetEnabled(enabling.autoConfigUrl);
  ButtonGetProxy.SetEnabled(enabling.getProxy);
  ProxyMore.SetEnabled(enabling.proxyMore);
}

void TFormIpconfig::ButtonGetProxyClick() {
  ReadInternetSettings(false);
  if (TakeOverNeedsHint(EditProxyServer.Text())) Ask().ShowMessage(kProxyTakeOverHint);
}

}  // namespace kip
