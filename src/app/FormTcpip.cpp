// The per-card TCP/IP values moved between the window's controls and the
// plain values that the store and the machine's interface keys hold.
#include "app/UkIpConfig.h"
#include "machine/TcpipValues.h"
#include "util/kRegistry.h"
#include "ui/GridValues.h"

namespace kip {

namespace {

COLORREF GreyedColor() { return GetSysColor(COLOR_BTNFACE); }
COLORREF NormalColor() { return GetSysColor(COLOR_WINDOW); }

}  // namespace

void TFormIpconfig::ShowTcpipValues(const TcpipValues& values) {
  ResetGrid(StringIP);
  ResetGrid(StringGateway);
  ResetGrid(StringDNS);

  CheckBoxIP.SetChecked(values.enableDhcp);
  GroupBoxIP.SetEnabled(!CheckBoxIP.Checked());
  CheckDNS.SetEnabled(CheckBoxIP.Checked());
  if (CheckBoxIP.Checked()) {
    StringIP.SetColor(GreyedColor());
  } else {
    StringIP.SetColor(NormalColor());
    FillGridColumn(StringIP, 0, values.ipAddresses);
    FillGridColumn(StringIP, 1, values.subnetMasks);
  }
  FillGridColumn(StringGateway, 0, values.gateways);
  FillGridColumn(StringGateway, 1, values.gatewayMetrics);

  StringDNS.SetColor(NormalColor());
  GroupDNS.SetEnabled(true);
  CheckDNS.SetChecked(false);
  if (values.nameServers && !values.nameServers->empty()) {
    FillGridColumn(StringDNS, 0, *values.nameServers);
  } else if (values.nameServers) {
    // No servers: automatic DNS, which needs DHCP.
    CheckDNS.SetChecked(CheckBoxIP.Checked());
    if (CheckDNS.Checked()) {
      StringDNS.SetColor(GreyedColor());
      GroupDNS.SetEnabled(false);
    }
  }

  EditDomain.SetText(values.domain);
  RegistrationEnabled.SetChecked(values.registrationEnabled);
  RegisterAdapterName.SetChecked(values.registerAdapterName);
  RegisterAdapterName.SetEnabled(RegistrationEnabled.Checked());
}

TcpipValues TFormIpconfig::CurrentTcpipValues() const {
  TcpipValues values;
  values.enableDhcp = CheckBoxIP.Checked();
  values.ipAddresses = CellsOrPlaceholder(StringIP, 0, kBlankAddress);
  values.subnetMasks = CellsOrPlaceholder(StringIP, 1, kBlankAddress);
  values.gateways = NonBlankCells(StringGateway, 0);
  values.gatewayMetrics = NonBlankCells(StringGateway, 1);
  values.nameServers = CheckDNS.Checked() ? StringList{} : NonBlankCells(StringDNS, 0);
  values.domain = Trim(EditDomain.Text());
  values.registrationEnabled = RegistrationEnabled.Checked();
  values.registerAdapterName = RegisterAdapterName.Checked();
  return values;
}

void TFormIpconfig::ReadTcpipValues(TkRegistry& key) { ShowTcpipValues(kip::ReadTcpipValues(key, OSMajorVersion)); }

void TFormIpconfig::WriteTcpipValues(TkRegistry& key) {
  kip::WriteTcpipValues(key, CurrentTcpipValues(), OSMajorVersion);
}

bool TFormIpconfig::ReadLiveInterface(const std::wstring& cardId) {
  std::optional<TcpipValues> values = ReadLiveTcpipValues(cardId, OSMajorVersion);
  if (!values) return false;
  ShowTcpipValues(*values);
  ReadNetBTWins(cardId);
  return true;
}

void TFormIpconfig::ReadNetBTWins(const std::wstring& cardId) {
  std::optional<StringList> servers = ReadLiveWinsServers(cardId);
  if (!servers) return;
  other_.Update([&](OtherPageValues& shown) { shown.winsServers = std::move(*servers); });
}

}  // namespace kip
