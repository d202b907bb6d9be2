// The IPv6 page driven as a user would: the values it was shown come back
// until and after it is built, entries go through the box that refuses what
// is no IPv6 address, the choice greys the lists but keeps what they hold.
#include <gtest/gtest.h>

#include "app/pages/Ipv6Page.h"
#include "support/ScriptedPrompts.h"
#include "ui/win/Form.h"

namespace kip {
namespace {

class PageHost : public win::Form {
 public:
  PageHost() { CreateForm(L"KipIpv6PageTest", L"IPv6 page test", 640, 480, WS_OVERLAPPEDWINDOW); }
};

TEST(Ipv6Page, ShowsCollectsAndEditsLikeTheIpv4Lists) {
  PageHost host;
  win::PageControl pages;
  pages.Create(host, 1, {0, 0, 620, 460});
  win::Panel& panel = pages.AddPage(L"IPv6");
  ScriptedPrompts prompts;
  int edits = 0;
  Ipv6Page page([&]() -> Prompts& { return prompts; });
  page.OnEdit = [&] { ++edits; };
  const Ipv6Setting fixed{Ipv6Choice::Fixed, {L"2001:db8::10/64"}, {L"fe80::1%12"}, {L"2001:db8::53"}};
  page.Show(fixed);
  EXPECT_EQ(page.Collect(), fixed) << "kept until the page is built";

  page.Build(panel, win::DialogUnits(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))));
  EXPECT_EQ(page.Collect(), fixed);
  EXPECT_EQ(edits, 0) << "showing values is no edit";

  auto click = [&](int id) { SendMessageW(GetDlgItem(panel.Handle(), id), BM_CLICK, 0, 0); };
  prompts.inputAnswers = {L"2001:db8::20/129", L"2001:DB8::20"};
  click(IDG_Ipv6Addresses + kIpv6ListAdd);
  Ipv6Setting expected = fixed;
  expected.addresses.push_back(L"2001:db8::20/64");
  EXPECT_EQ(page.Collect(), expected);
  EXPECT_EQ(prompts.messages, StringList{kIpv6AddressRefused});
  EXPECT_EQ(edits, 1);

  prompts.inputAnswers = {std::nullopt};
  click(IDG_Ipv6Dns + kIpv6ListAdd);
  EXPECT_EQ(page.Collect(), expected) << "a cancelled entry adds nothing";
  EXPECT_EQ(edits, 1);

  click(IDR_Ipv6Automatic);
  expected.choice = Ipv6Choice::Automatic;
  EXPECT_EQ(page.Collect(), expected) << "the lists keep what they hold";
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(panel.Handle(), IDG_Ipv6Addresses + kIpv6ListAdd)));
  EXPECT_EQ(edits, 2);

  page.Show(Ipv6Setting{});
  EXPECT_EQ(page.Collect(), Ipv6Setting{});
  EXPECT_EQ(edits, 2);

  // A way back's state typed into a setting by hand: shown as the choice
  // nearest to what its commit does, given back whole until changed.
  auto checked = [&](int id) { return SendMessageW(GetDlgItem(panel.Handle(), id), BM_GETCHECK, 0, 0) == BST_CHECKED; };
  const Ipv6Setting keptWithDns{Ipv6Choice::AsItWas, {}, {}, {L"2001:db8::53"},
                                Ipv6Autoconfig{Ipv6Autoconfig::RouterDiscovery::Enabled, false, true}};
  const Ipv6Setting keptBare{Ipv6Choice::AsItWas, {L" "}, {}, {}};
  page.Show(keptBare);
  EXPECT_TRUE(checked(IDR_Ipv6Automatic));
  EXPECT_EQ(page.Collect(), keptBare);
  page.Show(keptWithDns);
  EXPECT_TRUE(checked(IDR_Ipv6Fixed));
  EXPECT_EQ(page.Collect(), keptWithDns);
  click(IDR_Ipv6Unchanged);
  EXPECT_EQ(page.Collect(), (Ipv6Setting{Ipv6Choice::Unchanged, {}, {}, keptWithDns.dnsServers}));
}

}  // namespace
}  // namespace kip
