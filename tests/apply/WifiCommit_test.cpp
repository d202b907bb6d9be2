// Wi-Fi per setting: the line that connects a card to its profile, and its
// place in the script (before that card's own lines, nowhere else).
#include "apply/WifiCommit.h"

#include <gtest/gtest.h>

namespace kip {
namespace {

bool AllFit(std::wstring_view) { return true; }
bool NoneFits(std::wstring_view) { return false; }

TEST(WifiCommit, TheConnectLineOnlyWhereNetshHasWlanAndTheProfileIsSafe) {
  const std::wstring name = L"\"ワイヤレス ネットワーク接続\"";
  const struct {
    const char* what;
    WindowsClass windows;
    std::wstring profile;
    ScriptTextFits fits;
    std::wstring expected;
  } cases[] = {
      {"version 6", WindowsClass::Version6, L" Office Wi-Fi ", AllFit,
       L"wlan connect name=\"Office Wi-Fi\" interface=" + name + L"\r\n"},
      {"no profile", WindowsClass::Version6, L"  ", AllFit, L""},
      {"XP has no wlan context", WindowsClass::XPClass, L"Office", AllFit, L""},
      {"a quote would end the value", WindowsClass::Version6, L"a\" interface=x", AllFit, L""},
      {"a line break would start a line", WindowsClass::Version6, L"a\r\ndelete address", AllFit, L""},
      {"the code page cannot carry it", WindowsClass::Version6, L"会社", NoneFits, L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(NetshWlanConnectLine(c.windows, c.profile, name, c.fits), c.expected);
  }
}

TEST(WifiCommit, TheCardConnectsBeforeItsAddressesAreSet) {
  CommitSetting setting;
  setting.scriptTextFits = AllFit;
  TcpipValues fixed;
  fixed.enableDhcp = false;
  fixed.ipAddresses = {L"192.168.10.20"};
  fixed.subnetMasks = {L"255.255.255.0"};
  setting.cards = {{L"{lan}", L"LAN", L"", CardPart{fixed, {}}}, {L"{wifi}", L"Wi-Fi", L"", CardPart{fixed, {}}}};
  const std::wstring without = PlanCommit(setting).script;
  setting.cards[1].wifiProfile = L"Office";
  const std::wstring with = PlanCommit(setting).script;

  const std::wstring line = L"wlan connect name=\"Office\" interface=\"Wi-Fi\"\r\n";
  const size_t at = with.find(line);
  ASSERT_NE(at, std::wstring::npos) << ToUtf8(with);
  EXPECT_EQ(with.substr(0, at) + with.substr(at + line.size()), without) << "the line is the only change";
  const size_t firstLine = without.rfind(L"\r\n", without.find(L"\"Wi-Fi\"")) + 2;
  EXPECT_EQ(at, firstLine) << "right before the Wi-Fi card's first line";
}

}  // namespace
}  // namespace kip
