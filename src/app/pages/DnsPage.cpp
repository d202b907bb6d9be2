#include "app/pages/DnsPage.h"

#include "MainIds.h"
#include "ui/DnsOptionRules.h"
#include "ui/GridValues.h"

namespace kip {

void ShowCardPart(DnsPageValues& shown, const TcpipValues& values) {
  shown.dhcp = values.enableDhcp;
  const bool listed = values.nameServers && !values.nameServers->empty();
  shown.servers = ShownColumns({listed ? *values.nameServers : StringList{}}).at(0);
  // No servers: automatic DNS, which needs DHCP.
  shown.automatic = values.nameServers && values.nameServers->empty() && values.enableDhcp;
  shown.domain = values.domain;
  shown.registrationEnabled = values.registrationEnabled;
  shown.registerAdapterName = values.registerAdapterName;
}

void CollectCardPart(const DnsPageValues& shown, TcpipValues& values) {
  values.nameServers = shown.automatic ? StringList{} : NonBlank(shown.servers);
  values.domain = shown.domain;
  values.registrationEnabled = shown.registrationEnabled;
  values.registerAdapterName = shown.registerAdapterName;
}

void ShowSearchOrder(DnsPageValues& shown, bool useDomainNameDevolution, const StringList& searchList) {
  shown.useDomainNameDevolution = useDomainNameDevolution;
  shown.searchList = searchList;
  shown.primarySuffixes = UseDnsSuffixFor(searchList);
}

void DnsPage::OfferAutomatic(bool dhcp) {
  if (!Built()) {
    Update([&](DnsPageValues& values) {
      values.dhcp = dhcp;
      if (!dhcp) values.automatic = false;
    });
    return;
  }
  automatic_.SetEnabled(dhcp);
  if (dhcp) return;
  automatic_.SetChecked(false);
  servers_.grid.SetColor(RGB(255, 255, 255));
}

void DnsPage::CreateControls(win::Panel& panel, const win::DialogUnits& du) {
  automatic_.Create(panel, IDX_CheckDNS, L"次のDNSサーバーを自動で取得する", du.R(8, 6, 200, 10));
  servers_.Create(panel, du, {IDG_GroupDNS, IDL_StringDNS, IDB_ButtonDNSAdd, IDB_ButtonDNSEdit, IDB_ButtonDNSDel},
                  L"DNS サーバー", {L"DNS サーバーアドレス"}, 20, 70);
  primarySuffixes_.Create(panel, IDR_UseDNSSuffix, L"プライマリおよび接続専用のDNSサフィックスを追加する",
                          du.R(8, 95, 290, 10), true);
  devolution_.Create(panel, IDX_UseDomainNameDevolution, L"プライマリDNSサフィックスの親サフックスを追加する",
                     du.R(20, 106, 278, 10));
  listedSuffixes_.Create(panel, IDR_UseDNSSuffix2, L"以下のDNSサフィックスを順に追加する", du.R(8, 117, 290, 10),
                         false);
  // Tall enough for three suffixes above its scroll bar.
  searchList_.Create(panel, IDE_SearchList, du.R(20, 128, 288, 40));
  // The arrow keys move between the two choices and the option between them.
  searchList_.StartGroup();
  suffixChoice_.Add(primarySuffixes_);
  suffixChoice_.Add(listedSuffixes_);
  domainLabel_.Create(panel, IDT_LabelDNSSuf, L"この接続の DNS サフィックス", du.R(8, 175, 122, 8));
  domain_.Create(panel, IDE_EditDomain, L"", du.R(132, 173, 176, 12));
  registration_.Create(panel, IDX_RegistrationEnabled, L"この接続のアドレスをDNSに登録する", du.R(8, 188, 290, 10));
  adapterName_.Create(panel, IDX_RegisterAdapterName, L"この接続の DNS サフィックスを DNS 登録に使う",
                      du.R(20, 199, 278, 10));

  auto edited = [this] { Edited(); };
  servers_.Wire(kDNSList, [this] { return ServerDialog ? ServerDialog() : nullptr; }, edited);
  automatic_.OnClick = [this] { AutomaticClicked(); };
  auto suffixClicked = [this] {
    ApplySuffixChoice();
    Edited();
  };
  primarySuffixes_.OnClick = suffixClicked;
  listedSuffixes_.OnClick = suffixClicked;
  devolution_.OnClick = suffixClicked;
  searchList_.OnChange = edited;
  domain_.OnChange = edited;
  registration_.OnClick = [this] {
    adapterName_.SetEnabled(registration_.Checked());
    Edited();
  };
  adapterName_.OnClick = edited;
  ApplySuffixChoice();
}

void DnsPage::FillControls() {
  const DnsPageValues& values = Kept();
  ResetGrid(servers_.grid);
  automatic_.SetEnabled(values.dhcp);
  servers_.grid.SetColor(GetSysColor(COLOR_WINDOW));
  servers_.group.SetEnabled(true);
  automatic_.SetChecked(false);
  FillGridColumn(servers_.grid, 0, values.servers);
  automatic_.SetChecked(values.automatic);
  domain_.SetText(values.domain);
  registration_.SetChecked(values.registrationEnabled);
  adapterName_.SetChecked(values.registerAdapterName);
  adapterName_.SetEnabled(values.registrationEnabled);
  devolution_.SetChecked(values.useDomainNameDevolution);
  searchList_.SetLines(values.searchList);
  (values.primarySuffixes ? primarySuffixes_ : listedSuffixes_).SetChecked(true);
  ApplySuffixChoice();
}

DnsPageValues DnsPage::ReadControls() const {
  DnsPageValues values;
  values.dhcp = automatic_.Enabled();
  values.automatic = automatic_.Checked();
  values.servers = ColumnCells(servers_.grid, 0);
  values.domain = domain_.Text();
  values.registrationEnabled = registration_.Checked();
  values.registerAdapterName = adapterName_.Checked();
  values.primarySuffixes = primarySuffixes_.Checked();
  values.useDomainNameDevolution = devolution_.Checked();
  values.searchList = searchList_.Lines();
  return values;
}

DnsPageValues DnsPage::Tidied(DnsPageValues values) const {
  values.domain = Trim(values.domain);
  return values;
}

void DnsPage::AutomaticClicked() {
  ApplyAutomatic();
  Edited();
}

void DnsPage::ApplyAutomatic() {
  const bool automatic = automatic_.Checked();
  servers_.group.SetEnabled(!automatic);
  servers_.grid.SetColor(automatic ? GetSysColor(COLOR_BTNFACE) : GetSysColor(COLOR_WINDOW));
  servers_.EnableButtons(!automatic);
}

void DnsPage::ApplySuffixChoice() {
  SuffixEnabling enabling = SuffixRule(primarySuffixes_.Checked());
  devolution_.SetEnabled(enabling.domainNameDevolution);
  searchList_.SetEnabled(enabling.searchList);
}

}  // namespace kip
