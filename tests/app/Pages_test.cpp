// Every page collects what it was shown, whether it was built before, after
// or not at all, tidied the same way (typed names lose their blanks); the
// default printer is chosen by its exact name.
#include <windows.h>

#include <gtest/gtest.h>
#include <winspool.h>

#include <tuple>

#include "MainIds.h"
#include "machine/QpPrinters.h"
#include "support/FormFixture.h"

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
