// The page "自動切替": the shown setting's rule for recognising its network
// (all conditions must hold), whether a match commits it without asking,
// the Wi-Fi profile its commit connects to first, and the program's two
// options for living in the notification area. The rule is the setting's
// and is saved with it; the two options are the program's and take effect
// when clicked.
#pragma once

#include <functional>

#include "app/pages/Page.h"
#include "store/SwitchRules.h"
#include "ui/win/Controls.h"

namespace kip {

// The page's control ids (the IPv6 page uses 1801 to 1899).
enum AutoSwitchPageId {
  IDG_SwitchConditions = 1901,
  IDE_SwitchGateway,
  IDE_SwitchGatewayMac,
  IDE_SwitchDnsSuffix,
  IDE_SwitchSubnet,
  IDE_SwitchLinkCard,
  IDE_SwitchSsid,
  IDX_SwitchWithoutAsking,
  IDB_SwitchFromPresent,
  IDG_SwitchWifi,
  IDE_SwitchWifiProfile,
  IDE_SwitchWifiCard,
  IDG_SwitchResident,
  IDX_SwitchResident,
  IDX_SwitchAtLogon,
  IDT_SwitchFirstLabel,  // then one label per field
};

struct ResidentOptions {
  bool resident = false;  // "通知領域に常駐"
  bool atLogon = false;   // "ログオン時に起動"
  bool operator==(const ResidentOptions&) const = default;
};

class AutoSwitchPage final : public ValuesPage<SwitchRule> {
 public:
  // What the PC sees now as a rule ("現在のネットワークから作成").
  std::function<SwitchRule()> PresentRule;
  // The user ticked or cleared one of the two options.
  std::function<void(const ResidentOptions&)> OnOptionsClick;

  // The options as they are in effect; no click.
  void ShowOptions(const ResidentOptions& options);

 private:
  void CreateControls(win::Panel& panel, const win::DialogUnits& du) override;
  void FillControls() override;
  SwitchRule ReadControls() const override;
  SwitchRule Tidied(SwitchRule rule) const override;
  void FillFromPresent();
  void OptionClicked();

  win::GroupBox conditions_, wifi_, residentGroup_;
  win::Label labels_[8];
  win::Edit gateway_, gatewayMac_, dnsSuffix_, subnet_, linkCard_, ssid_, wifiProfile_, wifiCard_;
  win::CheckBox withoutAsking_, resident_, atLogon_;
  win::Button fromPresent_;
  ResidentOptions options_;
};

}  // namespace kip
