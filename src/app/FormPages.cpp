// The pages of the window: each builds its controls the first time it
// shows, whether the user picked its tab, a key stepped to it or the
// window was opened on it; the start builds the shown page only.
#include "app/UkIpConfig.h"
#include "ui/UDNSEdit.h"
#include "ui/UGWEdit.h"
#include "ui/UIPEdit.h"

namespace kip {
namespace {

// The sheets of the page control, in their order.
enum PageIndex { kPageIP, kPageDNS, kPageEtc, kPageIE, kPageDomain, kPageBat, kPageFireWall, kPageIPv6, kPageAutoSwitch };

}  // namespace

// The page at `index` when it builds itself on its first show, or null.
Page* TFormIpconfig::LazyPage(int index) {
  switch (index) {
    case kPageIP:
      return &pages_.ip;
    case kPageDNS:
      return &pages_.dns;
    case kPageEtc:
      return &pages_.other;
    case kPageIE:
      return &pages_.internet;
    case kPageDomain:
      return &pages_.domain;
    case kPageBat:
      return &pages_.batch;
    case kPageFireWall:
      return &pages_.firewall;
    case kPageIPv6:
      return &pages_.ipv6;
    case kPageAutoSwitch:
      return &pages_.autoSwitch;
    default:
      return nullptr;
  }
}

void TFormIpconfig::WirePages() {
  auto edited = [this] { editor_.Edited(); };
  pages_.ip.OnEdit = edited;
  pages_.ip.AddressDialog = [this]() -> AddressEntry* { return Dialogs().ipEdit; };
  pages_.ip.GatewayDialog = [this]() -> AddressEntry* { return Dialogs().gwEdit; };
  // Automatic DNS goes with DHCP.
  pages_.ip.OnDhcpClick = [this](bool dhcp) { pages_.dns.OfferAutomatic(dhcp); };
  pages_.dns.OnEdit = edited;
  pages_.dns.ServerDialog = [this]() -> AddressEntry* { return Dialogs().dnsEdit; };
  pages_.batch.OnEdit = edited;
  pages_.firewall.OnEdit = edited;
  pages_.domain.OnEdit = edited;
  pages_.internet.OnEdit = edited;
  pages_.other.OnEdit = edited;
  pages_.ipv6.OnEdit = edited;
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
  Page* page = LazyPage(index);
  if (!page || page->Built()) return;
  win::Panel& panel = PageControl1.Page(index);
  page->Build(panel, win::DialogUnits(FormFont()));
  // Built after a change of DPI: it follows the next one like the others.
  AdoptControls(panel.Handle());
}

}  // namespace kip
