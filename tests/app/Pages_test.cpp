// Every page collects what it was shown, whether it was built before, after
// or not at all, tidied the same way (typed names lose their blanks); the
// switches of the address pages keep what was typed; the default printer is
// chosen by its exact name.
#include <windows.h>

#include <gtest/gtest.h>
#include <winspool.h>

#include <tuple>

#include "MainIds.h"
#include "machine/QpPrinters.h"
#include "support/FormFixture.h"
#include "util/Errors.h"

namespace kip {
namespace {

auto Fields(const ProxyValues& p) {
  return std::tie(p.enable, p.server, p.port, p.startPage, p.bypassLocal, p.bypassList, p.detailed, p.autoConfigUrl);
}
auto Fields(const DomainPageValues& d) {
  return std::tie(d.machineName, d.domain.change, d.domain.domain, d.domain.joinDomain, d.domain.workGroup,
                  d.domain.joinWorkGroup, d.ipEnableRouter);
}

using PagesTest = FormTest;

TEST_F(PagesTest, EachPageCollectsWhatItWasShownBuiltOrNot) {
  TFormIpconfig& f = MakeForm();
  f.Other().ListPrinters({L"Laser", L"Fax"});
  const OtherPageValues other{{L"10.0.0.1", L" ", L"10.0.0.2"}, L" C:\\hosts ", L"Fax"};
  const ProxyValues proxy{true, L" px ", L"8080", L"http://home", true, L"*.lan", false, L" http://pac"};
  const DomainPageValues domain{L" PC ", {true, L"corp", false, L" WG", true}, true};
  const BatchTexts batch{{L"echo a"}, {L"echo b", L"pause"}};
  DnsPageValues dns;
  ShowCardPart(dns, {true, {}, {}, {}, {}, StringList{}, L" corp.lan", false, true});
  ShowSearchOrder(dns, true, {L"a.lan", L"b.lan"});
  auto showAll = [&] {
    f.Other().Show(other), f.Internet().Show(proxy), f.Domain().Show(domain), f.Batch().Show(batch), f.Dns().Show(dns);
  };
  auto check = [&](const char* when) {
    SCOPED_TRACE(when);
    EXPECT_EQ(f.Other().Collect(), (OtherPageValues{{L"10.0.0.1", L"10.0.0.2"}, L"C:\\hosts", L"Fax"}));
    EXPECT_EQ(Fields(f.Internet().Collect()), Fields(ProxyValues{true, L"px", L"8080", L"http://home", true,
                                                                 L"*.lan", false, L"http://pac"}));
    EXPECT_EQ(Fields(f.Domain().Collect()), Fields(DomainPageValues{L"PC", {true, L"corp", false, L"WG", true}, true}));
    EXPECT_EQ(f.Batch().Collect(), batch);
    DnsPageValues tidied = dns;
    tidied.domain = L"corp.lan";
    EXPECT_EQ(f.Dns().Collect(), tidied);
  };
  showAll();
  check("not built");
  for (int page = 0; page < f.PageCount(); ++page) f.ShowPage(page);
  check("built after the values were shown");
  showAll();
  check("shown to the built pages");
}

// DHCP greys the addresses but keeps them; leaving it turns automatic DNS
// off on the other page; automatic DNS stores no servers but keeps them.
TEST_F(PagesTest, TheSwitchesOfTheAddressPagesKeepWhatWasTyped) {
  TFormIpconfig& f = MakeForm();
  const TcpipValues values{false, {L"10.0.0.1"}, {L"255.0.0.0"}, {}, {}, StringList{L"10.0.0.53"}, L""};
  f.Ip().Show(IpShown(values));
  f.Dns().Update([&](DnsPageValues& shown) { ShowCardPart(shown, values); });
  auto nameServers = [&] {
    TcpipValues collected;
    CollectCardPart(f.Dns().Collect(), collected);
    return collected.nameServers;
  };
  auto enabled = [&](int page, int id) { return IsWindowEnabled(PageItem(f, page, id)) != FALSE; };
  ClickPageItem(f, 0, IDX_CheckBoxIP);
  EXPECT_TRUE(f.Editor().Modified());
  EXPECT_FALSE(enabled(0, IDB_ButtonIPAdd));
  EXPECT_EQ(f.Ip().Collect().addresses.at(0), StringList{L"10.0.0.1"});
  ClickPageItem(f, 1, IDX_CheckDNS);
  EXPECT_EQ(nameServers(), StringList{});
  EXPECT_FALSE(enabled(1, IDB_ButtonDNSAdd));
  ClickPageItem(f, 0, IDX_CheckBoxIP);
  EXPECT_TRUE(enabled(0, IDB_ButtonIPAdd) && enabled(1, IDB_ButtonDNSAdd));
  EXPECT_FALSE(f.Dns().Collect().automatic || enabled(1, IDX_CheckDNS));
  EXPECT_EQ(nameServers(), StringList{L"10.0.0.53"});
  // Registering the adapter's name needs registration.
  for (bool registration : {false, true}) {
    if (f.Dns().Collect().registrationEnabled != registration) ClickPageItem(f, 1, IDX_RegistrationEnabled);
    EXPECT_EQ(enabled(1, IDX_RegisterAdapterName), registration);
  }
  // An error escaping a handler ends in the status bar.
  win::ReportException(f.Handle(), std::make_exception_ptr(KipError(L"'IPAddress' のデータ型が不正です")));
  EXPECT_EQ(f.StatusText(), L"'IPAddress' のデータ型が不正です");
}

// Printers are told apart by their exact names: two that differ in case are
// two, a name that matches one only without case is no choice, and hidden
// printers are never offered.
TEST_F(PagesTest, PrintersAreChosenByTheirExactName) {
  TQpPrinter hiddenOnly(TQpAllPrintersInfo({{L"Fax", PRINTER_ATTRIBUTE_HIDDEN}}));
  EXPECT_THROW(hiddenOnly.Printers(), EQpPrinterNoPrinter);
  SetString(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Devices", L"Fax", L"winspool,Ne00:");
  EXPECT_TRUE(ReadPrinterList(hiddenOnly).names.empty());
  TQpPrinter two(TQpAllPrintersInfo({{L"Laser", 0}, {L"LASER", 0}}));
  EXPECT_EQ(ReadPrinterList(two).devices, (StringList{L"Laser,", L"LASER,"}));

  TFormIpconfig& form = MakeForm();
  OtherPage& other = form.Other();
  other.ListPrinters({L"Laser", L"LASER"});
  for (bool built : {false, true}) {
    SCOPED_TRACE(built ? "built" : "not built");
    if (built) PageItem(form, 2, IDC_ComboPrinter);
    other.Show({{}, L"", L"LASER"});
    EXPECT_EQ(other.Collect().printer, L"LASER");
    other.Show({{}, L"", L"laser"});
    EXPECT_EQ(other.Collect().printer, std::nullopt);
  }
}

}  // namespace
}  // namespace kip
