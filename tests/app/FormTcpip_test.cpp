// Per-card TCP/IP values between the window's controls and a registry key.
#include <gtest/gtest.h>

#include "util/kRegistry.h"
#include "support/FormFixture.h"

namespace kip {
namespace {

const std::wstring kCard = L"{00000003-0000-0000-0000-4E6574446576}";
const std::wstring kKey = L"SOFTWARE\\kipTest\\Card";
const std::wstring kLive = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\" + kCard;
const std::wstring kNetBT = L"SYSTEM\\CurrentControlSet\\Services\\NetBT\\Parameters\\Interfaces\\Tcpip_" + kCard;

StringList Column(const win::Grid& grid, int col) {
  StringList cells;
  for (int row = 1; row < grid.RowCount(); ++row) cells.push_back(grid.Cell(col, row));
  return cells;
}

class TcpipValuesTest : public FormTest {
 protected:
  void SetUp() override {
    MakeForm();
    Form().OSMajorVersion = 6;
    Form().OSMinorVersion = 1;
    CreateKey(HKEY_LOCAL_MACHINE, kKey);
  }
  void Read() {
    TkRegistry key(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(key.OpenKeyReadOnly(L"\\" + kKey));
    Form().ReadTcpipValues(key);
  }
  void Write() {
    TkRegistry key(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(key.OpenKey(L"\\" + kKey, true));
    Form().WriteTcpipValues(key);
  }
  void Registration(DWORD enabled, DWORD adapterName) {
    SetString(HKEY_LOCAL_MACHINE, kKey, L"Domain", L"corp.example");
    SetDword(HKEY_LOCAL_MACHINE, kKey, L"RegistrationEnabled", enabled);
    SetDword(HKEY_LOCAL_MACHINE, kKey, L"RegisterAdapterName", adapterName);
  }
};

TEST_F(TcpipValuesTest, DhcpWithoutServersGreysTheIpListAndSelectsAutomaticDns) {
  SetDword(HKEY_LOCAL_MACHINE, kKey, L"EnableDHCP", 1);
  SetMultiString(HKEY_LOCAL_MACHINE, kKey, L"IPAddress", {L"0.0.0.0"});
  SetString(HKEY_LOCAL_MACHINE, kKey, L"NameServer", L"");
  Read();
  TFormIpconfig& f = Form();
  EXPECT_TRUE(f.CheckBoxIP.Checked());
  EXPECT_FALSE(f.GroupBoxIP.Enabled());
  EXPECT_EQ(f.StringIP.Color(), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(Column(f.StringIP, 0), StringList{L""});
  EXPECT_TRUE(f.CheckDNS.Checked());
  EXPECT_TRUE(f.CheckDNS.Enabled());
  EXPECT_FALSE(f.GroupDNS.Enabled());
  EXPECT_EQ(f.StringDNS.Color(), GetSysColor(COLOR_BTNFACE));
}

TEST_F(TcpipValuesTest, FixedAddressesWithoutServersKeepManualDns) {
  SetDword(HKEY_LOCAL_MACHINE, kKey, L"EnableDHCP", 0);
  SetMultiString(HKEY_LOCAL_MACHINE, kKey, L"IPAddress", {L"10.0.0.5", L"10.0.1.5", L"10.0.2.5"});
  SetMultiString(HKEY_LOCAL_MACHINE, kKey, L"SubnetMask", {L"255.0.0.0"});
  SetString(HKEY_LOCAL_MACHINE, kKey, L"NameServer", L"");
  Read();
  TFormIpconfig& f = Form();
  EXPECT_FALSE(f.CheckBoxIP.Checked());
  EXPECT_TRUE(f.GroupBoxIP.Enabled());
  EXPECT_EQ(f.StringIP.RowCount(), 4);
  EXPECT_EQ(Column(f.StringIP, 0), (StringList{L"10.0.0.5", L"10.0.1.5", L"10.0.2.5"}));
  EXPECT_EQ(Column(f.StringIP, 1), (StringList{L"255.0.0.0", L"", L""}));
  EXPECT_FALSE(f.CheckDNS.Checked());
  EXPECT_FALSE(f.CheckDNS.Enabled());
  EXPECT_EQ(Column(f.StringDNS, 0), StringList{L""});
}

TEST_F(TcpipValuesTest, OnlyTheLowByteOfEnableDhcpCounts) {
  SetDword(HKEY_LOCAL_MACHINE, kKey, L"EnableDHCP", 256);
  Read();
  EXPECT_FALSE(Form().CheckBoxIP.Checked());
  SetDword(HKEY_LOCAL_MACHINE, kKey, L"EnableDHCP", 0x101);
  Read();
  EXPECT_TRUE(Form().CheckBoxIP.Checked());
  SetString(HKEY_LOCAL_MACHINE, kKey, L"EnableDHCP", L"1");
  Read();
  EXPECT_FALSE(Form().CheckBoxIP.Checked());
}

TEST_F(TcpipValuesTest, SpaceSeparatedNameServerReadsAsRowsAndWritesBackWithCommas) {
  SetString(HKEY_LOCAL_MACHINE, kKey, L"NameServer", L"192.168.0.1 192.168.0.2");
  Read();
  EXPECT_EQ(Column(Form().StringDNS, 0), (StringList{L"192.168.0.1", L"192.168.0.2"}));
  Write();
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, kKey, L"NameServer"), L"192.168.0.1,192.168.0.2");
}

TEST_F(TcpipValuesTest, OneOrNoAddressesLeaveTwoRowsAndListsAreReset) {
  SetMultiString(HKEY_LOCAL_MACHINE, kKey, L"IPAddress", {L"10.1.1.1", L"10.1.1.2", L"10.1.1.3"});
  Read();
  EXPECT_EQ(Form().StringIP.RowCount(), 4);
  SetMultiString(HKEY_LOCAL_MACHINE, kKey, L"IPAddress", {L"10.1.1.9"});
  Read();
  EXPECT_EQ(Form().StringIP.RowCount(), 2);
  EXPECT_EQ(Column(Form().StringIP, 0), StringList{L"10.1.1.9"});
  DeleteValue(HKEY_LOCAL_MACHINE, kKey, L"IPAddress");
  Read();
  EXPECT_EQ(Form().StringIP.RowCount(), 2);
  EXPECT_EQ(Column(Form().StringIP, 0), StringList{L""});
}

TEST_F(TcpipValuesTest, BadListValueLeavesOnlyThatColumnEmpty) {
  SetString(HKEY_LOCAL_MACHINE, kKey, L"DefaultGateway", L"10.0.0.1");
  SetMultiString(HKEY_LOCAL_MACHINE, kKey, L"DefaultGatewayMetric", {L"5"});
  Read();
  EXPECT_EQ(Column(Form().StringGateway, 0), StringList{L""});
  EXPECT_EQ(Column(Form().StringGateway, 1), StringList{L"5"});
}

TEST_F(TcpipValuesTest, RegistrationValuesOnVersionFiveAndAbove) {
  Registration(0, 1);
  Read();
  TFormIpconfig& f = Form();
  EXPECT_EQ(f.EditDomain.Text(), L"corp.example");
  EXPECT_FALSE(f.RegistrationEnabled.Checked());
  EXPECT_TRUE(f.RegisterAdapterName.Checked());
  EXPECT_FALSE(f.RegisterAdapterName.Enabled());
}

TEST_F(TcpipValuesTest, MissingRegistrationValueGivesDefaultsForTheWholeBlock) {
  Form().OSMajorVersion = 5;
  Form().OSMinorVersion = 0;
  SetString(HKEY_LOCAL_MACHINE, kKey, L"Domain", L"corp.example");
  SetDword(HKEY_LOCAL_MACHINE, kKey, L"RegisterAdapterName", 1);
  Read();
  TFormIpconfig& f = Form();
  EXPECT_EQ(f.EditDomain.Text(), L"");
  EXPECT_TRUE(f.RegistrationEnabled.Checked());
  EXPECT_FALSE(f.RegisterAdapterName.Checked());
  EXPECT_TRUE(f.RegisterAdapterName.Enabled());
}

TEST_F(TcpipValuesTest, OlderWindowsUsesTheInvertedDynamicUpdateValues) {
  Form().OSMajorVersion = 4;
  SetString(HKEY_LOCAL_MACHINE, kKey, L"Domain", L"nt4.example");
  SetDword(HKEY_LOCAL_MACHINE, kKey, L"DisableDynamicUpdate", 1);
  SetDword(HKEY_LOCAL_MACHINE, kKey, L"EnableAdapterDomainNameRegistration", 1);
  Read();
  EXPECT_FALSE(Form().RegistrationEnabled.Checked());
  EXPECT_TRUE(Form().RegisterAdapterName.Checked());
  Form().RegistrationEnabled.SetChecked(true);
  Write();
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kKey, L"DisableDynamicUpdate"), 0u);
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kKey, L"EnableAdapterDomainNameRegistration"), 1u);
  EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kKey, L"RegistrationEnabled"));
}

TEST_F(TcpipValuesTest, WritingPutsPlaceholdersForBlankIpRowsAndFiltersGatewaysIndependently) {
  TFormIpconfig& f = Form();
  f.CheckBoxIP.SetChecked(true);
  f.StringGateway.SetRowCount(3);
  f.StringGateway.SetCell(0, 1, L"10.0.0.1");
  f.StringGateway.SetCell(1, 1, L" ");
  f.StringGateway.SetCell(0, 2, L"10.0.0.2");
  f.StringGateway.SetCell(1, 2, L"20");
  f.EditDomain.SetText(L"  corp.example ");
  f.RegistrationEnabled.SetChecked(true);
  Write();
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kKey, L"EnableDHCP"), 1u);
  EXPECT_EQ(GetMultiString(HKEY_LOCAL_MACHINE, kKey, L"IPAddress"), StringList{L"0.0.0.0"});
  EXPECT_EQ(GetMultiString(HKEY_LOCAL_MACHINE, kKey, L"SubnetMask"), StringList{L"0.0.0.0"});
  EXPECT_EQ(GetMultiString(HKEY_LOCAL_MACHINE, kKey, L"DefaultGateway"), (StringList{L"10.0.0.1", L"10.0.0.2"}));
  EXPECT_EQ(GetMultiString(HKEY_LOCAL_MACHINE, kKey, L"DefaultGatewayMetric"), StringList{L"20"});
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, kKey, L"Domain"), L"corp.example");
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kKey, L"RegistrationEnabled"), 1u);
}

TEST_F(TcpipValuesTest, AutomaticDnsStoresNoServersButKeepsThemInTheGrid) {
  TFormIpconfig& f = Form();
  f.CheckBoxIP.SetChecked(true);
  f.StringDNS.SetCell(0, 1, L"10.0.0.53");
  f.CheckDNS.SetChecked(true);
  Write();
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, kKey, L"NameServer"), L"");
  EXPECT_EQ(f.StringDNS.Cell(0, 1), L"10.0.0.53");
}

TEST_F(TcpipValuesTest, LiveInterfaceLoadsValuesAndWinsOrReportsAMissingKey) {
  TFormIpconfig& f = Form();
  EXPECT_FALSE(f.ReadLiveInterface(kCard));
  SetDword(HKEY_LOCAL_MACHINE, kLive, L"EnableDHCP", 0);
  SetMultiString(HKEY_LOCAL_MACHINE, kLive, L"IPAddress", {L"172.16.0.9"});
  SetMultiString(HKEY_LOCAL_MACHINE, kNetBT, L"NameServerList", {L"172.16.0.1", L"  ", L"172.16.0.2"});
  EXPECT_TRUE(f.ReadLiveInterface(kCard));
  EXPECT_EQ(Column(f.StringIP, 0), StringList{L"172.16.0.9"});
  EXPECT_EQ(f.Other().Collect().winsServers, (StringList{L"172.16.0.1", L"172.16.0.2"}));
}

TEST_F(TcpipValuesTest, NetBTWinsReplacesTheListAndAMissingKeyKeepsIt) {
  TFormIpconfig& f = Form();
  f.Other().Show({{L"old"}});
  f.ReadNetBTWins(kCard);
  EXPECT_EQ(f.Other().Collect().winsServers, StringList{L"old"});
  SetMultiString(HKEY_LOCAL_MACHINE, kNetBT, L"NameServerList", {L"10.9.9.9"});
  f.ReadNetBTWins(kCard);
  EXPECT_EQ(f.Other().Collect().winsServers, StringList{L"10.9.9.9"});
}

}  // namespace
}  // namespace kip
