// A card's TCP/IP values: read from and written to a registry key, shown on
// the IP and DNS pages and collected back, and the pages' switches.
#include <gtest/gtest.h>

#include "MainIds.h"
#include "support/FormFixture.h"
#include "util/Errors.h"
#include "util/kRegistry.h"

namespace kip {
namespace {

const std::wstring kCard = L"{00000003-0000-0000-0000-4E6574446576}";
const std::wstring kKey = L"SOFTWARE\\kipTest\\Card";
const std::wstring kLive = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\" + kCard;
const std::wstring kNetBT = L"SYSTEM\\CurrentControlSet\\Services\\NetBT\\Parameters\\Interfaces\\Tcpip_" + kCard;

class TcpipValuesTest : public FormTest {
 protected:
  void SetUp() override { CreateKey(HKEY_LOCAL_MACHINE, kKey); }
  TcpipValues Read(DWORD os = 6) {
    TkRegistry key(HKEY_LOCAL_MACHINE);
    EXPECT_TRUE(key.OpenKeyReadOnly(L"\\" + kKey));
    return ReadTcpipValues(key, os);
  }
  void Write(const TcpipValues& values, DWORD os = 6) {
    TkRegistry key(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(key.OpenKey(L"\\" + kKey, true));
    WriteTcpipValues(key, values, os);
  }
};

TEST_F(TcpipValuesTest, ReadingTakesEachValueByItsRule) {
  const struct {
    const char* title;
    std::function<void()> seed;
    DWORD os;
    std::function<void(const TcpipValues&)> check;
  } cases[] = {
      {"DHCP: no addresses read, no servers", [] {
         SetDword(HKEY_LOCAL_MACHINE, kKey, L"EnableDHCP", 1);
         SetMultiString(HKEY_LOCAL_MACHINE, kKey, L"IPAddress", {L"10.0.0.1"});
         SetString(HKEY_LOCAL_MACHINE, kKey, L"NameServer", L"");
       }, 6, [](const TcpipValues& v) {
         EXPECT_TRUE(v.enableDhcp && v.ipAddresses.empty());
         EXPECT_EQ(v.nameServers, StringList{});
       }},
      {"only the low byte of EnableDHCP", [] { SetDword(HKEY_LOCAL_MACHINE, kKey, L"EnableDHCP", 0x100); }, 6,
       [](const TcpipValues& v) { EXPECT_FALSE(v.enableDhcp); }},
      {"EnableDHCP as text is no DHCP", [] { SetString(HKEY_LOCAL_MACHINE, kKey, L"EnableDHCP", L"1"); }, 6,
       [](const TcpipValues& v) { EXPECT_FALSE(v.enableDhcp); }},
      {"space-separated servers", [] { SetString(HKEY_LOCAL_MACHINE, kKey, L"NameServer", L"10.0.0.1 10.0.0.2"); }, 6,
       [](const TcpipValues& v) { EXPECT_EQ(v.nameServers, (StringList{L"10.0.0.1", L"10.0.0.2"})); }},
      {"a bad list leaves only itself empty", [] {
         SetString(HKEY_LOCAL_MACHINE, kKey, L"DefaultGateway", L"10.0.0.1");
         SetMultiString(HKEY_LOCAL_MACHINE, kKey, L"DefaultGatewayMetric", {L"5"});
       }, 6, [](const TcpipValues& v) {
         EXPECT_TRUE(v.gateways.empty());
         EXPECT_EQ(v.gatewayMetrics, StringList{L"5"});
       }},
      {"registration block", [] {
         SetString(HKEY_LOCAL_MACHINE, kKey, L"Domain", L"corp.example");
         SetDword(HKEY_LOCAL_MACHINE, kKey, L"RegistrationEnabled", 0);
         SetDword(HKEY_LOCAL_MACHINE, kKey, L"RegisterAdapterName", 1);
       }, 6, [](const TcpipValues& v) {
         EXPECT_EQ(v.domain, L"corp.example");
         EXPECT_TRUE(!v.registrationEnabled && v.registerAdapterName);
       }},
      {"a missing registration value: defaults for the block", [] {
         SetString(HKEY_LOCAL_MACHINE, kKey, L"Domain", L"corp.example");
         SetDword(HKEY_LOCAL_MACHINE, kKey, L"RegisterAdapterName", 1);
       }, 5, [](const TcpipValues& v) {
         EXPECT_EQ(v.domain, L"");
         EXPECT_TRUE(v.registrationEnabled && !v.registerAdapterName);
       }},
      {"before version 5: the inverted older values", [] {
         SetString(HKEY_LOCAL_MACHINE, kKey, L"Domain", L"nt4.example");
         SetDword(HKEY_LOCAL_MACHINE, kKey, L"DisableDynamicUpdate", 1);
         SetDword(HKEY_LOCAL_MACHINE, kKey, L"EnableAdapterDomainNameRegistration", 1);
       }, 4, [](const TcpipValues& v) { EXPECT_TRUE(!v.registrationEnabled && v.registerAdapterName); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    DeleteKey(HKEY_LOCAL_MACHINE, kKey);
    CreateKey(HKEY_LOCAL_MACHINE, kKey);
    c.seed();
    c.check(Read(c.os));
  }
  Write({false, {}, {}, {}, {}, StringList{L"10.0.0.1", L"10.0.0.2"}, L"nt4.example", true, true}, 4);
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, kKey, L"NameServer"), L"10.0.0.1,10.0.0.2");
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kKey, L"DisableDynamicUpdate"), 0u);
  EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kKey, L"RegistrationEnabled"));
}

// What the pages show for a card's values and what they collect back.
TEST_F(TcpipValuesTest, PagesShowAndCollectACardsValues) {
  TFormIpconfig& f = MakeForm();
  const struct {
    const char* title;
    TcpipValues shown;
    IpPageValues ip;
    bool automaticDns;
    TcpipValues collected;
  } cases[] = {
      {"DHCP without servers: no addresses, automatic DNS",
       {true, {L"10.0.0.9"}, {}, {}, {}, StringList{}},
       {true, {{L""}, {L""}}, {{L""}, {L""}}}, true,
       {true, {L"0.0.0.0"}, {L"0.0.0.0"}, {}, {}, StringList{}}},
      {"fixed addresses: rows padded, blanks stored as placeholders; no servers is not automatic",
       {false, {L"10.0.0.5", L"10.0.1.5"}, {L"255.0.0.0"}, {L"10.0.0.1", L" "}, {L"", L"20"}, StringList{}, L" corp "},
       {false, {{L"10.0.0.5", L"10.0.1.5"}, {L"255.0.0.0", L""}}, {{L"10.0.0.1", L" "}, {L"", L"20"}}}, false,
       {false, {L"10.0.0.5", L"10.0.1.5"}, {L"255.0.0.0", L"0.0.0.0"}, {L"10.0.0.1"}, {L"20"}, StringList{},
        L"corp"}},
  };
  for (bool built : {false, true}) {
    if (built) {
      PageItem(f, 1, IDX_CheckDNS);
      PageItem(f, 0, IDX_CheckBoxIP);
    }
    for (const auto& c : cases) {
      SCOPED_TRACE(testing::Message() << c.title << (built ? " (built)" : ""));
      f.ShowTcpipValues(c.shown);
      EXPECT_EQ(f.Ip().Collect(), c.ip);
      EXPECT_EQ(f.Dns().Collect().automatic, c.automaticDns);
      const TcpipValues collected = f.CurrentTcpipValues();
      EXPECT_EQ(collected.ipAddresses, c.collected.ipAddresses);
      EXPECT_EQ(collected.subnetMasks, c.collected.subnetMasks);
      EXPECT_EQ(collected.gateways, c.collected.gateways);
      EXPECT_EQ(collected.gatewayMetrics, c.collected.gatewayMetrics);
      EXPECT_EQ(collected.nameServers, c.collected.nameServers);
      EXPECT_EQ(collected.domain, c.collected.domain);
    }
  }
}

// DHCP greys the addresses but keeps them; leaving it turns automatic DNS
// off on the other page; automatic DNS stores no servers but keeps them.
TEST_F(TcpipValuesTest, TheSwitchesOfTheAddressPagesKeepWhatWasTyped) {
  TFormIpconfig& f = MakeForm();
  f.ShowTcpipValues({false, {L"10.0.0.1"}, {L"255.0.0.0"}, {}, {}, StringList{L"10.0.0.53"}});
  f.Modified = false;
  ClickPageItem(f, 0, IDX_CheckBoxIP);
  EXPECT_TRUE(f.Modified);
  EXPECT_FALSE(IsWindowEnabled(PageItem(f, 0, IDB_ButtonIPAdd)));
  EXPECT_EQ(f.Ip().Collect().addresses.at(0), StringList{L"10.0.0.1"});
  ClickPageItem(f, 1, IDX_CheckDNS);
  EXPECT_EQ(f.CurrentTcpipValues().nameServers, StringList{});
  EXPECT_FALSE(IsWindowEnabled(PageItem(f, 1, IDB_ButtonDNSAdd)));
  ClickPageItem(f, 0, IDX_CheckBoxIP);
  EXPECT_TRUE(IsWindowEnabled(PageItem(f, 0, IDB_ButtonIPAdd)));
  EXPECT_FALSE(f.Dns().Collect().automatic || IsWindowEnabled(PageItem(f, 1, IDX_CheckDNS)));
  EXPECT_TRUE(IsWindowEnabled(PageItem(f, 1, IDB_ButtonDNSAdd)));
  EXPECT_EQ(f.CurrentTcpipValues().nameServers, StringList{L"10.0.0.53"});
  // Registering the adapter's name needs registration.
  for (bool registration : {false, true}) {
    if (f.Dns().Collect().registrationEnabled != registration) ClickPageItem(f, 1, IDX_RegistrationEnabled);
    EXPECT_EQ(IsWindowEnabled(PageItem(f, 1, IDX_RegisterAdapterName)) != 0, registration);
  }
}

// The machine's values of a card never saved; its WINS list only when its
// NetBT key opens.
TEST_F(TcpipValuesTest, LiveInterfaceLoadsValuesAndWinsOrReportsAMissingKey) {
  TFormIpconfig& f = MakeForm();
  f.OSMajorVersion = 6;
  f.Other().Show({{L"old"}});
  EXPECT_FALSE(f.ReadLiveInterface(kCard));
  f.ReadNetBTWins(kCard);
  EXPECT_EQ(f.Other().Collect().winsServers, StringList{L"old"});
  SetDword(HKEY_LOCAL_MACHINE, kLive, L"EnableDHCP", 0);
  SetMultiString(HKEY_LOCAL_MACHINE, kLive, L"IPAddress", {L"172.16.0.9"});
  SetMultiString(HKEY_LOCAL_MACHINE, kNetBT, L"NameServerList", {L"172.16.0.1", L"  ", L"172.16.0.2"});
  EXPECT_TRUE(f.ReadLiveInterface(kCard));
  EXPECT_EQ(f.CurrentTcpipValues().ipAddresses, StringList{L"172.16.0.9"});
  EXPECT_EQ(f.Other().Collect().winsServers, (StringList{L"172.16.0.1", L"172.16.0.2"}));
}

TEST_F(TcpipValuesTest, ExceptionsFromHandlersEndInTheStatusBar) {
  TFormIpconfig& f = MakeForm();
  win::ReportException(f.Handle(), std::make_exception_ptr(KipError(L"'IPAddress' のデータ型が不正です")));
  EXPECT_EQ(f.StatusBar1.Status(), L"'IPAddress' のデータ型が不正です");
}

}  // namespace
}  // namespace kip
