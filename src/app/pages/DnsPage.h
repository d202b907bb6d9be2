// The page "DNS": the card's DNS servers (or automatic DNS with DHCP), its
// suffix and registration, and the machine's suffix search order.
#pragma once

#include <functional>
#include <string>

#include "app/pages/AddressListBox.h"
#include "app/pages/IpPage.h"
#include "app/pages/Page.h"
#include "app/pages/PageValues.h"
#include "store/SettingRecord.h"
#include "ui/win/Controls.h"
#include "store/TcpipValueSet.h"

namespace kip {


class DnsPage final : public ValuesPage<DnsPageValues> {
 public:
  std::function<AddressEntry*()> ServerDialog;
  // DHCP went on or off on the IP page: automatic DNS is offered with it,
  // and goes off without it.
  void OfferAutomatic(bool dhcp);

 private:
  void CreateControls(win::Panel& panel, const win::DialogUnits& du) override;
  void FillControls() override;
  DnsPageValues ReadControls() const override;
  DnsPageValues Tidied(DnsPageValues values) const override;
  void AutomaticClicked();
  void ApplyAutomatic();
  void ApplySuffixChoice();

  win::CheckBox automatic_;
  AddressListBox servers_;
  win::RadioButton primarySuffixes_;
  win::CheckBox devolution_;
  win::RadioButton listedSuffixes_;
  win::RadioGroup suffixChoice_;
  win::Memo searchList_;
  win::Label domainLabel_;
  win::Edit domain_;
  win::CheckBox registration_;
  win::CheckBox adapterName_;
};

}  // namespace kip
