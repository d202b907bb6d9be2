// A card's TCP/IP values read from and written to a registry key, and the
// switches of the IP and DNS pages.
#include <gtest/gtest.h>

#include "MainIds.h"
#include "support/FormFixture.h"
#include "util/Errors.h"
#include "util/kRegistry.h"

namespace kip {
namespace {

const std::wstring kCard = L"{00000003-0000-0000-0000-4E6574446576}";
const std::wstring kKey = L"SOFTWARE\\kipTest\\Card";

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

// DHCP greys the addresses but keeps them; leaving it turns automatic DNS
// off on the other page; automatic DNS stores no servers but keeps them.
TEST_F(TcpipValuesTest, TheSwitchesOfTheAddressPagesKeepWhatWasTyped) {
  TFormIpconfig& f = MakeForm();
  const TcpipValues values{false, {L"10.0.0.1"}, {L"255.0.0.0"}, {}, {}, StringList{L"10.0.0.53"}};
  f.Ip().Show(IpShown(values));
  f.Dns().Update([&](DnsPageValues& shown) { ShowCardPart(shown, values); });
  auto nameServers = [&] {
    TcpipValues collected;
    CollectCardPart(f.Dns().Collect(), collected);
    return collected.nameServers;
  };
  ClickPageItem(f, 0, IDX_CheckBoxIP);
  EXPECT_TRUE(f.Editor().Modified());
  EXPECT_FALSE(IsWindowEnabled(PageItem(f, 0, IDB_ButtonIPAdd)));
  EXPECT_EQ(f.Ip().Collect().addresses.at(0), StringList{L"10.0.0.1"});
  ClickPageItem(f, 1, IDX_CheckDNS);
  EXPECT_EQ(nameServers(), StringList{});
  EXPECT_FALSE(IsWindowEnabled(PageItem(f, 1, IDB_ButtonDNSAdd)));
  ClickPageItem(f, 0, IDX_CheckBoxIP);
  EXPECT_TRUE(IsWindowEnabled(PageItem(f, 0, IDB_ButtonIPAdd)));
  EXPECT_FALSE(f.Dns().Collect().automatic || IsWindowEnabled(PageItem(f, 1, IDX_CheckDNS)));
  EXPECT_TRUE(IsWindowEnabled(PageItem(f, 1, IDB_ButtonDNSAdd)));
  EXPECT_EQ(nameServers(), StringList{L"10.0.0.53"});
  // Registering the adapter's name needs registration.
  for (bool registration : {false, true}) {
    if (f.Dns().Collect().registrationEnabled != registration) ClickPageItem(f, 1, IDX_RegistrationEnabled);
    EXPECT_EQ(IsWindowEnabled(PageItem(f, 1, IDX_RegisterAdapterName)) != 0, registration);
  }
}

TEST_F(TcpipValuesTest, ExceptionsFromHandlersEndInTheStatusBar) {
  TFormIpconfig& f = MakeForm();
  win::ReportException(f.Handle(), std::make_exception_ptr(KipError(L"'IPAddress' のデータ型が不正です")));
  EXPECT_EQ(f.StatusText(), L"'IPAddress' のデータ型が不正です");
}

}  // namespace
}  // namespace kip
