#include "app/pages/InternetPage.h"

#include "MainIds.h"
#include "app/pages/PageMetrics.h"
#include "ui/ProxyRules.h"

namespace kip {

void TakeOverFields(ProxyValues& values, const ProxyFields& fields) {
  values.bypassLocal = fields.localAddress;
  values.bypassList = fields.localUrl;
  values.autoConfigUrl = fields.autoConfigUrl;
  values.detailed = fields.more;
  values.server = fields.server;
  values.port = fields.port;
}

void InternetPage::CreateControls(win::Panel& panel, const win::DialogUnits& du) {
  use_.Create(panel, IDX_CheckUseProxy, L"Proxy サーバーを変更する場合チェックしてください.", du.R(8, 6, 290, 10));
  use_.SetHint(L"Proxy サーバーを変更する場合チェックしてください");
  group_.Create(panel, IDG_GroupBoxProxy, L"プロキシサーバー設定ほか", du.R(6, 20, kPageWidth, 150));
  serverLabel_.Create(panel, IDT_LabelProxyAdd, L"アドレス", du.R(14, 36, 34, 8));
  server_.Create(panel, IDE_EditProxyServer, L"", du.R(50, 34, 150, 12));
  portLabel_.Create(panel, IDT_LabelProxyPort, L"ポート", du.R(208, 36, 26, 8));
  port_.Create(panel, IDE_EditProxyPort, L"", du.R(236, 34, 64, 12));
  bypassLocal_.Create(panel, IDX_ProxyLocalAddress, L"ローカルアドレスにはプロキシサーバーを使用しない",
                      du.R(14, 52, 284, 10));
  bypassList_.Create(panel, IDE_ProxyLocalURL, L"", du.R(26, 64, 274, 12));
  bypassList_.SetEnabled(false);
  detailed_.Create(panel, IDX_ProxyMore, L"詳細設定を使う", du.R(14, 84, 120, 10));
  takeOver_.Create(panel, IDB_ButtonGetProxy, L"詳細設定を取り込む", du.R(210, 82, 90, 14));
  scriptLabel_.Create(panel, IDT_LabelDNSSaff, L"自動構成スクリプト(使用しないときは空白にしてください)",
                      du.R(14, 104, 286, 8));
  autoConfigUrl_.Create(panel, IDE_ProxyAutoConfigURL, L"", du.R(14, 114, 286, 12));
  homePageLabel_.Create(panel, IDT_LabelHomePage, L"ホームページ", du.R(14, 134, 286, 8));
  homePage_.Create(panel, IDE_EditHomePage, L"", du.R(14, 144, 286, 12));
  for (win::Window* member : std::initializer_list<win::Window*>{&serverLabel_, &server_, &portLabel_, &port_,
                                                                 &bypassLocal_, &bypassList_, &detailed_, &takeOver_}) {
    group_.AddMember(*member);
  }

  use_.OnClick = [this] { SwitchClicked(); };
  detailed_.OnClick = [this] { SwitchClicked(); };
  server_.OnExit = [this] { SwitchClicked(); };
  takeOver_.OnClick = [this] {
    if (OnTakeOverClick) OnTakeOverClick();
  };
  // The automatic configuration address is not a stored edit.
  for (win::Edit* edit : {&server_, &port_, &bypassList_, &homePage_}) edit->OnChange = [this] { Edited(); };
  bypassLocal_.OnClick = [this] { Edited(); };
}

void InternetPage::FillControls() {
  const ProxyValues& values = Kept();
  use_.SetChecked(values.enable);
  server_.SetText(values.server);
  port_.SetText(values.port);
  homePage_.SetText(values.startPage);
  bypassLocal_.SetChecked(values.bypassLocal);
  bypassList_.SetText(values.bypassList);
  detailed_.SetChecked(values.detailed);
  autoConfigUrl_.SetText(values.autoConfigUrl);
  ApplySwitchRule();
  ApplyLoadRule();
}

ProxyValues InternetPage::ReadControls() const {
  ProxyValues values;
  values.enable = use_.Checked();
  values.server = server_.Text();
  values.port = port_.Text();
  values.startPage = homePage_.Text();
  values.bypassLocal = bypassLocal_.Checked();
  values.bypassList = bypassList_.Text();
  values.detailed = detailed_.Checked();
  values.autoConfigUrl = autoConfigUrl_.Text();
  return values;
}

ProxyValues InternetPage::Tidied(ProxyValues values) const {
  for (std::wstring* text :
       {&values.server, &values.port, &values.startPage, &values.bypassList, &values.autoConfigUrl}) {
    *text = Trim(*text);
  }
  return values;
}

void InternetPage::TakeOver(const ProxyFields& fields) {
  if (!Built()) {
    ProxyValues values = Current();
    TakeOverFields(values, fields);
    Show(values);
    Edited();
    return;
  }
  bypassLocal_.SetChecked(fields.localAddress);
  bypassList_.SetText(fields.localUrl);
  autoConfigUrl_.SetText(fields.autoConfigUrl);
  // Disabled first: a change of the detailed switch runs the switch rule,
  // which decides again.
  server_.SetEnabled(false);
  port_.SetEnabled(false);
  detailed_.SetChecked(fields.more);
  server_.SetText(fields.server);
  port_.SetText(fields.port);
}

void InternetPage::SwitchClicked() {
  ApplySwitchRule();
  Edited();
}

void InternetPage::ApplySwitchRule() {
  ProxyEnabling enabling = ProxyEnablingRule(use_.Checked(), detailed_.Checked(), server_.Text());
  group_.SetEnabled(enabling.groupBox);
  for (win::Window* control : std::initializer_list<win::Window*>{&serverLabel_, &server_, &portLabel_, &port_}) {
    control->SetEnabled(enabling.serverAndPort);
  }
  bypassLocal_.SetEnabled(enabling.localBypass);
  bypassList_.SetEnabled(enabling.localBypass);
  autoConfigUrl_.SetEnabled(enabling.autoConfigUrl);
  takeOver_.SetEnabled(enabling.getProxy);
  detailed_.SetEnabled(enabling.proxyMore);
}

void InternetPage::ApplyLoadRule() {
  ProxyLoadEnabling enabling = ProxyEnablingAfterLoad(use_.Checked(), detailed_.Checked());
  server_.SetEnabled(enabling.serverPortAndLocalAddress);
  port_.SetEnabled(enabling.serverPortAndLocalAddress);
  bypassLocal_.SetEnabled(enabling.serverPortAndLocalAddress);
  takeOver_.SetEnabled(enabling.getProxy);
}

}  // namespace kip
