// The pages of the window: each builds its controls the first time it
// shows, whether the user picked its tab, a key stepped to it or the
// window was opened on it; the start builds the shown page only.
#include "app/UkIpConfig.h"
#include "ui/UDNSEdit.h"
#include "ui/UGWEdit.h"
#include "ui/UIPEdit.h"

namespace kip {

void TFormIpconfig::WirePages() {
  for (Page* page : pages_.InOrder()) page->OnEdit = [this] { editor_.Edited(); };
  pages_.ip.AddressDialog = [this]() -> AddressEntry* { return Dialogs().ipEdit; };
  pages_.ip.GatewayDialog = [this]() -> AddressEntry* { return Dialogs().gwEdit; };
  // Automatic DNS goes with DHCP.
  pages_.ip.OnDhcpClick = [this](bool dhcp) { pages_.dns.OfferAutomatic(dhcp); };
  pages_.dns.ServerDialog = [this]() -> AddressEntry* { return Dialogs().dnsEdit; };
  WireAutoSwitchPage();
  pages_.other.WinsDialog = [this]() -> AddressEntry* { return Dialogs().dnsEdit; };
  pages_.other.OnBrowseClick = [this] { ButtonBrowsClick(); };
  pages_.internet.OnTakeOverClick = [this] { ButtonGetProxyClick(); };
  // Usable only once the start-up read has found the machine's policy.
  TabSheetFireWall->SetEnabled(false);
  pages_.batch.OnContextMenu = [this](POINT at) { menus_.batchPopup->Popup(Handle(), at); };
  // The page the window opens on is built once the options have chosen it.
  PageControl1.OnPageShowing = [this](int index) { BuildPage(index); };
}

// Builds the page at `index` if it is not built yet.
void TFormIpconfig::BuildPage(int index) {
  const auto pages = pages_.InOrder();
  if (index < 0 || index >= static_cast<int>(pages.size())) return;
  Page& page = *pages[static_cast<size_t>(index)];
  if (page.Built()) return;
  win::Panel& panel = PageControl1.Page(index);
  page.Build(panel, win::DialogUnits(FormFont()));
  // Built after a change of DPI: it follows the next one like the others.
  AdoptControls(panel.Handle());
}

}  // namespace kip
