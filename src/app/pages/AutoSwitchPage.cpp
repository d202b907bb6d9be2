#include "app/pages/AutoSwitchPage.h"

#include "app/pages/PageMetrics.h"

namespace kip {

namespace {

constexpr int kLabelLeft = 14;
constexpr int kEditLeft = 110;
constexpr int kEditWidth = 150;

}  // namespace

void AutoSwitchPage::CreateControls(win::Panel& panel, const win::DialogUnits& du) {
  conditions_.Create(panel, IDG_SwitchConditions, L"このネットワークのとき (すべて一致)", du.R(6, 4, kPageWidth, 120));
  const struct {
    const wchar_t* caption;
    win::Edit* edit;
    int id;
  } rows[] = {
      {L"ゲートウェイ", &gateway_, IDE_SwitchGateway},
      {L"ゲートウェイの MAC", &gatewayMac_, IDE_SwitchGatewayMac},
      {L"DNS サフィックス", &dnsSuffix_, IDE_SwitchDnsSuffix},
      {L"サブネット", &subnet_, IDE_SwitchSubnet},
      {L"リンクのあるカード", &linkCard_, IDE_SwitchLinkCard},
      {L"SSID", &ssid_, IDE_SwitchSsid},
  };
  int top = 16;
  int label = 0;
  for (const auto& row : rows) {
    labels_[label].Create(panel, IDT_SwitchFirstLabel + label, row.caption, du.R(kLabelLeft, top + 2, 94, 8));
    ++label;
    row.edit->Create(panel, row.id, L"", du.R(kEditLeft, top, kEditWidth, 12));
    top += 15;
  }
  for (win::Edit* edit : {&gateway_, &gatewayMac_, &subnet_}) edit->DisableImeInput();
  withoutAsking_.Create(panel, IDX_SwitchWithoutAsking, L"確認せずに反映する", du.R(kLabelLeft, top + 1, 120, 10));
  fromPresent_.Create(panel, IDB_SwitchFromPresent, L"現在のネットワークから作成", du.R(180, top, 120, 14));

  wifi_.Create(panel, IDG_SwitchWifi, L"Wi-Fi (反映の前に接続)", du.R(6, 128, kPageWidth, 44));
  labels_[label].Create(panel, IDT_SwitchFirstLabel + label, L"プロファイル", du.R(kLabelLeft, 142, 94, 8));
  ++label;
  wifiProfile_.Create(panel, IDE_SwitchWifiProfile, L"", du.R(kEditLeft, 140, kEditWidth, 12));
  labels_[label].Create(panel, IDT_SwitchFirstLabel + label, L"Wi-Fi カード", du.R(kLabelLeft, 157, 94, 8));
  wifiCard_.Create(panel, IDE_SwitchWifiCard, L"", du.R(kEditLeft, 155, kEditWidth, 12));

  residentGroup_.Create(panel, IDG_SwitchResident, L"常駐", du.R(6, 176, kPageWidth, 30));
  resident_.Create(panel, IDX_SwitchResident, L"通知領域に常駐", du.R(kLabelLeft, 189, 120, 10));
  atLogon_.Create(panel, IDX_SwitchAtLogon, L"ログオン時に起動", du.R(150, 189, 120, 10));

  for (win::Edit* edit : {&gateway_, &gatewayMac_, &dnsSuffix_, &subnet_, &linkCard_, &ssid_, &wifiProfile_, &wifiCard_}) {
    edit->OnChange = [this] { Edited(); };
  }
  withoutAsking_.OnClick = [this] { Edited(); };
  fromPresent_.OnClick = [this] { FillFromPresent(); };
  resident_.OnClick = [this] { OptionClicked(); };
  atLogon_.OnClick = [this] { OptionClicked(); };
}

void AutoSwitchPage::FillControls() {
  const SwitchRule& rule = Kept();
  gateway_.SetText(rule.gateway);
  gatewayMac_.SetText(rule.gatewayMac);
  dnsSuffix_.SetText(rule.dnsSuffix);
  subnet_.SetText(rule.subnet);
  linkCard_.SetText(rule.linkCard);
  ssid_.SetText(rule.ssid);
  withoutAsking_.SetChecked(rule.commitWithoutAsking);
  wifiProfile_.SetText(rule.wifiProfile);
  wifiCard_.SetText(rule.wifiCard);
  resident_.SetChecked(options_.resident);
  atLogon_.SetChecked(options_.atLogon);
}

SwitchRule AutoSwitchPage::ReadControls() const {
  SwitchRule rule;
  rule.gateway = gateway_.Text();
  rule.gatewayMac = gatewayMac_.Text();
  rule.dnsSuffix = dnsSuffix_.Text();
  rule.subnet = subnet_.Text();
  rule.linkCard = linkCard_.Text();
  rule.ssid = ssid_.Text();
  rule.commitWithoutAsking = withoutAsking_.Checked();
  rule.wifiProfile = wifiProfile_.Text();
  rule.wifiCard = wifiCard_.Text();
  return rule;
}

SwitchRule AutoSwitchPage::Tidied(SwitchRule rule) const {
  for (std::wstring* field : {&rule.gateway, &rule.gatewayMac, &rule.dnsSuffix, &rule.subnet, &rule.linkCard,
                              &rule.wifiProfile, &rule.wifiCard}) {
    *field = Trim(*field);
  }
  return rule;
}

// Keeps what the user set beyond the network: the commit choice and Wi-Fi.
void AutoSwitchPage::FillFromPresent() {
  if (!PresentRule) return;
  SwitchRule present = PresentRule();
  Update([&](SwitchRule& rule) {
    present.commitWithoutAsking = rule.commitWithoutAsking;
    if (present.wifiProfile.empty()) present.wifiProfile = rule.wifiProfile;
    if (present.wifiCard.empty()) present.wifiCard = rule.wifiCard;
    rule = present;
  });
  Edited();
}

void AutoSwitchPage::ShowOptions(const ResidentOptions& options) {
  options_ = options;
  if (Built()) Filling([this] {
      resident_.SetChecked(options_.resident);
      atLogon_.SetChecked(options_.atLogon);
    });
}

void AutoSwitchPage::OptionClicked() {
  if (ShowingValues()) return;
  options_ = {resident_.Checked(), atLogon_.Checked()};
  if (OnOptionsClick) OnOptionsClick(options_);
}

}  // namespace kip
