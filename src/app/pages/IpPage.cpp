#include "app/pages/IpPage.h"

#include <algorithm>

#include "MainIds.h"
#include "ui/GridValues.h"

namespace kip {

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

void FillColumns(win::Grid& grid, const AddressColumns& columns) {
  ResetGrid(grid);
  for (size_t col = 0; col < columns.size(); ++col) FillGridColumn(grid, static_cast<int>(col), columns[col]);
}

AddressColumns ReadColumns(const win::Grid& grid) {
  AddressColumns columns;
  for (int col = 0; col < grid.ColCount(); ++col) columns.push_back(ColumnCells(grid, col));
  return columns;
}

}  // namespace

AddressColumns ShownColumns(std::vector<StringList> lists) {
  size_t rows = 1;
  for (const StringList& list : lists) rows = std::max(rows, list.size());
  for (StringList& list : lists) list.resize(rows);
  return lists;
}

StringList NonBlank(const StringList& column) {
  StringList cells;
  std::copy_if(column.begin(), column.end(), std::back_inserter(cells), [](const auto& c) { return !IsBlank(c); });
  return cells;
}

StringList WithPlaceholders(const StringList& column, const std::wstring& placeholder) {
  StringList cells;
  for (const std::wstring& cell : column) cells.push_back(IsBlank(cell) ? placeholder : cell);
  return cells;
}

IpPageValues IpShown(const TcpipValues& values) {
  IpPageValues shown;
  shown.dhcp = values.enableDhcp;
  if (!values.enableDhcp) shown.addresses = ShownColumns({values.ipAddresses, values.subnetMasks});
  shown.gateways = ShownColumns({values.gateways, values.gatewayMetrics});
  return shown;
}

void IpCollected(const IpPageValues& shown, TcpipValues& values) {
  values.enableDhcp = shown.dhcp;
  values.ipAddresses = WithPlaceholders(shown.addresses.at(0), kBlankAddress);
  values.subnetMasks = WithPlaceholders(shown.addresses.at(1), kBlankAddress);
  values.gateways = NonBlank(shown.gateways.at(0));
  values.gatewayMetrics = NonBlank(shown.gateways.at(1));
}

void IpPage::CreateControls(win::Panel& panel, const win::DialogUnits& du) {
  dhcp_.Create(panel, IDX_CheckBoxIP, L"IP アドレスを自動で取得する", du.R(8, 6, 200, 10));
  addresses_.Create(panel, du, {IDG_GroupBoxIP, IDL_StringIP, IDB_ButtonIPAdd, IDB_ButtonIPEdit, IDB_ButtonIPDel},
                    L"IP アドレス", {L"IP アドレス", L"サブネット マスク"}, 20, 86);
  gateways_.Create(panel, du, {IDG_GroupBoxGW, IDL_StringGateway, IDB_ButtonGWAdd, IDB_ButtonGWEdit, IDB_ButtonGWDel},
                   L"デフォルト ゲートウェイ", {L"ゲートウェイ", L"メトリック"}, 110, 86);
  auto edited = [this] { Edited(); };
  addresses_.Wire(kIPList, [this] { return AddressDialog ? AddressDialog() : nullptr; }, edited);
  gateways_.Wire(kGatewayList, [this] { return GatewayDialog ? GatewayDialog() : nullptr; }, edited);
  addresses_.grid.OnClick = edited;
  dhcp_.OnClick = [this] { DhcpClicked(); };
}

void IpPage::FillControls() {
  const IpPageValues& values = Kept();
  dhcp_.SetChecked(values.dhcp);
  addresses_.group.SetEnabled(!values.dhcp);
  addresses_.EnableButtons(!values.dhcp);
  addresses_.grid.SetColor(values.dhcp ? GetSysColor(COLOR_BTNFACE) : GetSysColor(COLOR_WINDOW));
  FillColumns(addresses_.grid, values.addresses);
  FillColumns(gateways_.grid, values.gateways);
}

IpPageValues IpPage::ReadControls() const {
  return {dhcp_.Checked(), ReadColumns(addresses_.grid), ReadColumns(gateways_.grid)};
}

void IpPage::DhcpClicked() {
  const bool dhcp = dhcp_.Checked();
  addresses_.group.SetEnabled(!dhcp);
  // The typed addresses stay in the grid, greyed, for when DHCP goes off.
  addresses_.grid.SetColor(dhcp ? GetSysColor(COLOR_BTNFACE) : kWhite);
  addresses_.EnableButtons(!dhcp);
  if (!dhcp) {
    gateways_.grid.SetColor(kWhite);
    gateways_.EnableButtons(true);
  }
  Edited();
  if (!ShowingValues() && OnDhcpClick) OnDhcpClick(dhcp);
}

}  // namespace kip
