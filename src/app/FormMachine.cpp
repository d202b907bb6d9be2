// The machine-wide part of a setting in the window: moved between the
// controls and the stored values, and read from the live machine for a new
// setting (computer name, browser settings, domain, TCP/IP parameters).
#include "app/UkIpConfig.h"
#include "machine/InternetSettings.h"
#include "machine/MachineSettings.h"
#include "ui/DnsOptionRules.h"
#include "ui/ProxyRules.h"

namespace kip {

namespace {

// Applies the first `count` steps in order: a stored group that stopped at a
// bad value leaves the controls after it as they were.
void ApplyFirst(int count, std::initializer_list<std::function<void()>> steps) {
  for (const auto& step : steps) {
    if (count-- <= 0) return;
    step();
  }
}

}  // namespace

void TFormIpconfig::ShowMachineWide(const MachineWideReading& reading) {
  const MachineWideValues& values = reading.values;
  EditHosts.SetText(values.hostsFile);

  const ProxyValues& proxy = values.proxy;
  ApplyFirst(reading.proxyFieldsRead, {[&] { CheckUseProxy.SetChecked(proxy.enable); },
                                       [&] { EditProxyServer.SetText(proxy.server); },
                                       [&] { EditProxyPort.SetText(proxy.port); },
                                       [&] { EditHomePage.SetText(proxy.startPage); },
                                       [&] { ProxyLocalAddress.SetChecked(proxy.bypassLocal); },
                                       [&] { ProxyLocalURL.SetText(proxy.bypassList); },
                                       [&] { ProxyMore.SetChecked(proxy.detailed); },
                                       [&] { ProxyAutoConfigURL.SetText(proxy.autoConfigUrl); }});
  ApplyProxyEnabling();

  if (reading.printerRead) SelectPrinter(values.defaultPrinter.value_or(L""));

  const DomainValues& stored = values.domain;
  DomainPageValues domain = domain_.Collect();
  DomainValues& shown = domain.domain;
  ApplyFirst(reading.domainFieldsRead,
             {[&] { shown.change = stored.change; }, [&] { shown.domain = stored.domain; },
              [&] { ChooseRadio(shown.joinDomain, shown.joinWorkGroup, stored.joinDomain); },
              [&] { shown.workGroup = stored.workGroup; },
              [&] { ChooseRadio(shown.joinWorkGroup, shown.joinDomain, stored.joinWorkGroup); }});
  if (reading.domainFieldsRead < DomainValues::kFieldCount) shown.change = false;
  domain.machineName = values.machineName;
  domain.ipEnableRouter = values.ipEnableRouter;
  domain_.Show(std::move(domain));
  UseDomainNameDevolution.SetChecked(values.useDomainNameDevolution);
  SearchList.SetLines(values.searchList);
  (UseDnsSuffixFor(SearchList.Lines()) ? UseDNSSuffix : UseDNSSuffix2).SetChecked(true);
}

MachineWideValues TFormIpconfig::CurrentMachineWide() const {
  MachineWideValues values;
  values.hostsFile = Trim(EditHosts.Text());
  values.proxy.startPage = Trim(EditHomePage.Text());
  values.proxy.enable = CheckUseProxy.Checked();
  values.proxy.server = Trim(EditProxyServer.Text());
  values.proxy.port = Trim(EditProxyPort.Text());
  values.proxy.bypassLocal = ProxyLocalAddress.Checked();
  values.proxy.bypassList = Trim(ProxyLocalURL.Text());
  values.proxy.autoConfigUrl = Trim(ProxyAutoConfigURL.Text());
  values.proxy.detailed = ProxyMore.Checked();
  DomainPageValues domain = domain_.Collect();
  values.domain = domain.domain;
  values.machineName = domain.machineName;
  values.ipEnableRouter = domain.ipEnableRouter;
  values.useDomainNameDevolution = UseDomainNameDevolution.Checked();
  // The primary and connection suffixes are stored as an empty list.
  if (!UseDNSSuffix.Checked()) values.searchList = SearchList.Lines();
  int printer = ComboPrinter.ItemIndex();
  if (printer >= 0) values.defaultPrinter = ComboPrinter.Item(printer);
  return values;
}

void TFormIpconfig::ApplyProxyEnabling() {
  ProxyLoadEnabling enabling = ProxyEnablingAfterLoad(CheckUseProxy.Checked(), ProxyMore.Checked());
  EditProxyServer.SetEnabled(enabling.serverPortAndLocalAddress);
  EditProxyPort.SetEnabled(enabling.serverPortAndLocalAddress);
  ProxyLocalAddress.SetEnabled(enabling.serverPortAndLocalAddress);
  ButtonGetProxy.SetEnabled(enabling.getProxy);
}

std::wstring TFormIpconfig::ReadTcpipParameters() {
  std::optional<TcpipParameters> parameters = kip::ReadTcpipParameters();
  if (!parameters) return {};
  DomainPageValues domain = domain_.Collect();
  domain.ipEnableRouter = parameters->ipEnableRouter;
  domain_.Show(std::move(domain));
  UseDomainNameDevolution.SetChecked(parameters->useDomainNameDevolution);
  SearchList.SetLines(parameters->searchList);
  (UseDnsSuffixFor(SearchList.Lines()) ? UseDNSSuffix : UseDNSSuffix2).SetChecked(true);
  return parameters->hostsDirectory;
}

void TFormIpconfig::ReadInternetSettings(bool forNewSetting) {
  if (std::optional<InternetSettingsValues> machine = ReadInternetSettingsValues()) {
    ProxyFields fields = ProxyFieldsFromMachine(*machine);
    ProxyLocalAddress.SetChecked(fields.localAddress);
    ProxyLocalURL.SetText(fields.localUrl);
    ProxyAutoConfigURL.SetText(fields.autoConfigUrl);
    // Disabled first: a change of the detailed switch runs the enabling rule,
    // which decides again.
    EditProxyServer.SetEnabled(false);
    EditProxyPort.SetEnabled(false);
    ProxyMore.SetChecked(fields.more);
    EditProxyServer.SetText(fields.server);
    EditProxyPort.SetText(fields.port);
  }
  if (!forNewSetting) return;
  CheckUseProxy.SetChecked(false);
  ApplyProxyEnabling();
  if (std::optional<std::wstring> page = ReadStartPage()) EditHomePage.SetText(*page);
}

// The computer's name and membership as it has them now; the switch off.
void TFormIpconfig::ReadNetworkId() {
  DomainPageValues domain = domain_.Collect();
  domain.machineName = kip::ReadHostName();
  DomainMembership membership = kip::ReadDomainMembership();
  domain.domain.domain = membership.domain;
  domain.domain.workGroup = membership.workGroup;
  domain.domain.change = false;
  domain_.Show(std::move(domain));
}

}  // namespace kip
