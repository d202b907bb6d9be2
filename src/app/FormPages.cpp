// The pages of the window: each builds its controls the first time it
// shows, whether the user picked its tab, a key stepped to it or the
// window was opened on it; the start builds the shown page only.
#include "app/UkIpConfig.h"
#include "ui/UDNSEdit.h"
#include "ui/UGWEdit.h"
#include "ui/UIPEdit.h"

namespace kip {

// The page at `index` when it builds itself on its first show, or null.
Page* TFormIpconfig::LazyPage(int index) {
  switch (index) {
    case kPageIP:
      return &ip_;
    case kPageDNS:
      return &dns_;
    case kPageEtc:
      return &other_;
    case kPageIE:
      return &internet_;
    case kPageDomain:
      return &domain_;
    case kPageBat:
      return &batch_;
    case kPageFireWall:
      return &firewall_;
    case kPageIPv6:
      return &ipv6_;
    default:
      return nullptr;
  }
}

void TFormIpconfig::WirePages() {
  auto edited = [this] { Modified = true; };
  ip_.OnEdit = edited;
  ip_.AddressDialog = [this]() -> AddressEntry* { return Dialogs().ipEdit; };
  ip_.GatewayDialog = [this]() -> AddressEntry* { return Dialogs().gwEdit; };
  // Automatic DNS goes with DHCP.
  ip_.OnDhcpClick = [this](bool dhcp) { dns_.OfferAutomatic(dhcp); };
  dns_.OnEdit = edited;
  dns_.ServerDialog = [this]() -> AddressEntry* { return Dialogs().dnsEdit; };
  batch_.OnEdit = edited;
  firewall_.OnEdit = edited;
  domain_.OnEdit = edited;
  internet_.OnEdit = edited;
  other_.OnEdit = edited;
  ipv6_.OnEdit = edited;
  other_.WinsDialog = [this]() -> AddressEntry* { return Dialogs().dnsEdit; };
  other_.OnBrowseClick = [this] { ButtonBrowsClick(); };
  internet_.OnTakeOverClick = [this] { ButtonGetProxyClick(); };
  // Usable only once the start-up read has found the machine's policy.
  TabSheetFireWall->SetEnabled(false);
  batch_.OnContextMenu = [this](POINT at) { menus_.batchPopup->Popup(Handle(), at); };
  PageControl1.OnPageShowing = [this](int index) { BuildPage(index); };
  BuildPage(PageControl1.ActivePageIndex());
}

// Builds the page at `index` if it is not built yet.
void TFormIpconfig::BuildPage(int index) {
  Page* page = LazyPage(index);
  if (!page || page->Built()) return;
  win::Panel& panel = PageControl1.Page(index);
  page->Build(panel, win::DialogUnits(FormFont()));
  // Built after a change of DPI: it follows the next one like the others.
  AdoptControls(panel.Handle());
}

}  // namespace kip
