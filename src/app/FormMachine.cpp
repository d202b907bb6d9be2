// The machine-wide part of a setting in the window: moved between the
// pages and the stored values, and read from the live machine for a new
// setting (computer name, browser settings, domain, TCP/IP parameters).
#include "app/UkIpConfig.h"
#include "machine/InternetSettings.h"
#include "machine/MachineSettings.h"

namespace kip {

// `values` were read over what the pages show (LoadSetting).
void TFormIpconfig::ShowMachineWide(const MachineWideValues& values) {
  pages_.other.Update([&](OtherPageValues& shown) { shown.hostsFile = values.hostsFile; });
  pages_.internet.Show(values.proxy);
  if (values.defaultPrinter) SelectPrinter(*values.defaultPrinter);

  DomainPageValues domain = pages_.domain.Current();
  domain.domain = values.domain;
  domain.machineName = values.machineName;
  domain.ipEnableRouter = values.ipEnableRouter;
  pages_.domain.Show(std::move(domain));

  pages_.dns.Update([&](DnsPageValues& shown) {
    ShowSearchOrder(shown, values.useDomainNameDevolution, values.searchList);
  });
}

MachineWideValues TFormIpconfig::CurrentMachineWide() const {
  MachineWideValues values;
  OtherPageValues other = pages_.other.Collect();
  values.hostsFile = other.hostsFile;
  values.defaultPrinter = other.printer;
  values.proxy = pages_.internet.Collect();
  DomainPageValues domain = pages_.domain.Collect();
  values.domain = domain.domain;
  values.machineName = domain.machineName;
  values.ipEnableRouter = domain.ipEnableRouter;
  DnsPageValues dns = pages_.dns.Collect();
  values.useDomainNameDevolution = dns.useDomainNameDevolution;
  // The primary and connection suffixes are stored as an empty list.
  if (!dns.primarySuffixes) values.searchList = dns.searchList;
  return values;
}

std::wstring TFormIpconfig::ReadTcpipParameters() {
  std::optional<TcpipParameters> parameters = kip::ReadTcpipParameters();
  if (!parameters) return {};
  DomainPageValues domain = pages_.domain.Current();
  domain.ipEnableRouter = parameters->ipEnableRouter;
  pages_.domain.Show(std::move(domain));
  pages_.dns.Update([&](DnsPageValues& shown) {
    ShowSearchOrder(shown, parameters->useDomainNameDevolution, parameters->searchList);
  });
  return parameters->hostsDirectory;
}

// The browser's settings as the machine has them, the proxy switch off.
void TFormIpconfig::ReadInternetSettings() {
  ProxyValues proxy = pages_.internet.Current();
  if (std::optional<InternetSettingsValues> machine = ReadInternetSettingsValues()) {
    TakeOverFields(proxy, ProxyFieldsFromMachine(*machine));
  }
  proxy.enable = false;
  if (std::optional<std::wstring> page = ReadStartPage()) proxy.startPage = *page;
  pages_.internet.Show(std::move(proxy));
}

// The computer's name and membership as it has them now; the switch off.
void TFormIpconfig::ReadNetworkId() {
  DomainPageValues domain = pages_.domain.Current();
  domain.machineName = kip::ReadHostName();
  DomainMembership membership = kip::ReadDomainMembership();
  domain.domain.domain = membership.domain;
  domain.domain.workGroup = membership.workGroup;
  domain.domain.change = false;
  pages_.domain.Show(std::move(domain));
}

}  // namespace kip
