// The machine-wide part of a setting in the window: moved between the
// pages and the stored values, and read from the live machine for a new
// setting (computer name, browser settings, domain, TCP/IP parameters).
#include "app/UkIpConfig.h"
#include "machine/InternetSettings.h"
#include "machine/MachineSettings.h"

namespace kip {

namespace {

// Applies the first `count` steps in order: a stored group that stopped at a
// bad value leaves the fields after it as they were.
void ApplyFirst(int count, std::initializer_list<std::function<void()>> steps) {
  for (const auto& step : steps) {
    if (count-- <= 0) return;
    step();
  }
}

// The stored fields over the shown ones, up to the first that could not be
// read.
ProxyValues StoredOver(ProxyValues shown, const ProxyValues& stored, int fieldsRead) {
  ApplyFirst(fieldsRead, {[&] { shown.enable = stored.enable; }, [&] { shown.server = stored.server; },
                          [&] { shown.port = stored.port; }, [&] { shown.startPage = stored.startPage; },
                          [&] { shown.bypassLocal = stored.bypassLocal; },
                          [&] { shown.bypassList = stored.bypassList; }, [&] { shown.detailed = stored.detailed; },
                          [&] { shown.autoConfigUrl = stored.autoConfigUrl; }});
  return shown;
}

// The same; a group that stopped early leaves the switch off.
DomainValues StoredOver(DomainValues shown, const DomainValues& stored, int fieldsRead) {
  ApplyFirst(fieldsRead, {[&] { shown.change = stored.change; }, [&] { shown.domain = stored.domain; },
                          [&] { ChooseRadio(shown.joinDomain, shown.joinWorkGroup, stored.joinDomain); },
                          [&] { shown.workGroup = stored.workGroup; },
                          [&] { ChooseRadio(shown.joinWorkGroup, shown.joinDomain, stored.joinWorkGroup); }});
  if (fieldsRead < DomainValues::kFieldCount) shown.change = false;
  return shown;
}

}  // namespace

void TFormIpconfig::ShowMachineWide(const MachineWideReading& reading) {
  const MachineWideValues& values = reading.values;
  pages_.other.Update([&](OtherPageValues& shown) { shown.hostsFile = values.hostsFile; });
  pages_.internet.Show(StoredOver(pages_.internet.Current(), values.proxy, reading.proxyFieldsRead));
  if (reading.printerRead) SelectPrinter(values.defaultPrinter.value_or(L""));

  DomainPageValues domain = pages_.domain.Current();
  domain.domain = StoredOver(domain.domain, values.domain, reading.domainFieldsRead);
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
