// The page "IP 設定": DHCP or the card's fixed addresses, and its gateways.
#pragma once

#include <functional>
#include <vector>

#include "app/pages/AddressListBox.h"
#include "app/pages/Page.h"
#include "app/pages/PageValues.h"
#include "ui/win/Controls.h"
#include "store/TcpipValueSet.h"

namespace kip {


class IpPage final : public ValuesPage<IpPageValues> {
 public:
  std::function<AddressEntry*()> AddressDialog;
  std::function<AddressEntry*()> GatewayDialog;
  // The user turned DHCP on or off (automatic DNS depends on it).
  std::function<void(bool dhcp)> OnDhcpClick;

 private:
  void CreateControls(win::Panel& panel, const win::DialogUnits& du) override;
  void FillControls() override;
  IpPageValues ReadControls() const override;
  void DhcpClicked();

  win::CheckBox dhcp_;
  AddressListBox addresses_;
  AddressListBox gateways_;
};

}  // namespace kip
