// The page "IP 設定": DHCP or the card's fixed addresses, and its gateways.
#pragma once

#include <functional>
#include <vector>

#include "app/pages/AddressListBox.h"
#include "app/pages/Page.h"
#include "ui/win/Controls.h"
#include "store/TcpipValueSet.h"

namespace kip {

// The data rows of an address grid, column by column: the columns are
// equally long, with at least one (blank) row.
using AddressColumns = std::vector<StringList>;
// The lists as a grid shows them: padded with blank cells to the longest.
AddressColumns ShownColumns(std::vector<StringList> lists);
// A column as stored: blank cells left out, or given `placeholder`.
StringList NonBlank(const StringList& column);
StringList WithPlaceholders(const StringList& column, const std::wstring& placeholder);

struct IpPageValues {
  bool dhcp = false;
  AddressColumns addresses = ShownColumns({{}, {}});  // address, mask
  AddressColumns gateways = ShownColumns({{}, {}});   // gateway, metric
  bool operator==(const IpPageValues&) const = default;
};

// The card's values as the page shows them (a card on DHCP shows no
// addresses), and back.
IpPageValues IpShown(const TcpipValues& values);
void IpCollected(const IpPageValues& shown, TcpipValues& values);

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
