// The DHCP and automatic-DNS switches of the main window.
#include <gtest/gtest.h>

#include "support/FormFixture.h"
#include "util/Errors.h"

namespace kip {
namespace {

class AddressSwitchesTest : public FormTest {
 protected:
  void SetUp() override { MakeForm(); }
};

TEST_F(AddressSwitchesTest, DhcpGreysTheIpListButKeepsItsEntries) {
  TFormIpconfig& f = Form();
  f.StringIP.SetCell(0, 1, L"10.0.0.1");
  f.Modified = false;
  f.CheckBoxIP.SetChecked(true);
  EXPECT_TRUE(f.Modified);
  EXPECT_FALSE(f.GroupBoxIP.Enabled());
  EXPECT_FALSE(f.ButtonIPAdd.Enabled());
  EXPECT_TRUE(f.CheckDNS.Enabled());
  EXPECT_EQ(f.StringIP.Color(), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(f.StringIP.Cell(0, 1), L"10.0.0.1");
  f.CheckBoxIP.SetChecked(false);
  EXPECT_TRUE(f.ButtonIPAdd.Enabled());
  EXPECT_EQ(f.StringIP.Color(), RGB(255, 255, 255));
  EXPECT_EQ(f.StringIP.Cell(0, 1), L"10.0.0.1");
}

TEST_F(AddressSwitchesTest, LeavingDhcpSwitchesAutomaticDnsOff) {
  TFormIpconfig& f = Form();
  f.CheckBoxIP.SetChecked(true);
  f.CheckDNS.SetChecked(true);
  EXPECT_FALSE(f.GroupDNS.Enabled());
  EXPECT_FALSE(f.ButtonDNSAdd.Enabled());
  f.CheckBoxIP.SetChecked(false);
  EXPECT_FALSE(f.CheckDNS.Checked());
  EXPECT_FALSE(f.CheckDNS.Enabled());
  EXPECT_TRUE(f.GroupDNS.Enabled());
  EXPECT_TRUE(f.ButtonDNSAdd.Enabled());
  EXPECT_EQ(f.StringDNS.Color(), RGB(255, 255, 255));
}

TEST_F(AddressSwitchesTest, AdapterNameRegistrationNeedsRegistration) {
  TFormIpconfig& f = Form();
  f.RegistrationEnabled.SetChecked(true);
  f.RegistrationEnabled.SetChecked(false);
  EXPECT_FALSE(f.RegisterAdapterName.Enabled());
  f.RegistrationEnabled.SetChecked(true);
  EXPECT_TRUE(f.RegisterAdapterName.Enabled());
}

TEST_F(AddressSwitchesTest, ExceptionsFromHandlersEndInTheStatusBar) {
  TFormIpconfig& f = Form();
  win::ReportException(f.Handle(), std::make_exception_ptr(KipError(L"'IPAddress' のデータ型が不正です")));
  EXPECT_EQ(f.StatusBar1.Status(), L"'IPAddress' のデータ型が不正です");
}

}  // namespace
}  // namespace kip
