// The netsh script's card block: the version branches and list edge cases,
// and entries that must never smuggle their own lines in. Whole scripts,
// byte for byte, are the golden corpus's (the worked examples are its first
// cases).
#include <gtest/gtest.h>

#include <algorithm>

#include "apply/NetshScript.h"

namespace kip {
namespace {

constexpr wchar_t kCardId[] = L"{00000002-0000-0000-0000-4E6574446576}";

// The code page of these tests: it carries everything but the full-width
// quote, which a best fit would turn into '"'.
bool LacksFullWidthQuote(std::wstring_view text) { return text.find(L'＂') == std::wstring_view::npos; }
constexpr ScriptTextFits kFits = LacksFullWidthQuote;

std::wstring Lines(std::initializer_list<const wchar_t*> lines) {
  std::wstring text;
  for (const wchar_t* line : lines) text += std::wstring(line) + L"\r\n";
  return text;
}

NetshCardInput ExampleCard() {
  NetshCardInput card;
  card.cardId = kCardId;
  card.connectionName = L"LAN";
  card.currentAddress = L"192.168.1.10";
  card.addresses = {{L"192.168.1.10", L"255.255.255.0"}, {L"192.168.1.11", L"255.255.255.0"}};
  card.gateways = {{L"192.168.1.1", L""}};
  card.dnsServers = {L"192.168.1.2", L"192.168.1.3"};
  card.registerAddresses = true;
  return card;
}

// A block for a card that starts from DHCP with automatic DNS and no lists;
// each case changes what it is about and compares the lines holding its
// keyword ("" for the whole block).
struct BlockCase {
  const char* name;
  WindowsClass windows;
  void (*change)(NetshCardInput&);
  const wchar_t* keyword;
  std::wstring expected;
};

NetshCardInput PlainCard() {
  NetshCardInput card;
  card.cardId = kCardId;
  card.connectionName = L"LAN";
  card.dhcp = true;
  card.dnsAutomatic = true;
  return card;
}

// The lines holding one of the keywords (separated by "|").
std::wstring LinesWith(const std::wstring& block, const std::wstring& keywords) {
  std::wstring kept;
  for (const std::wstring& line : SplitLines(block)) {
    for (size_t from = 0; from <= keywords.size();) {
      const size_t bar = std::min(keywords.find(L'|', from), keywords.size());
      if (line.find(keywords.substr(from, bar - from)) != std::wstring::npos) {
        kept += line + L"\r\n";
        break;
      }
      from = bar + 1;
    }
  }
  return kept;
}

void PrintTo(const BlockCase& c, std::ostream* os) { *os << c.name; }

class NetshBlock : public ::testing::TestWithParam<BlockCase> {};

TEST_P(NetshBlock, WritesTheExpectedLines) {
  NetshCardInput card = PlainCard();
  GetParam().change(card);
  EXPECT_EQ(LinesWith(NetshCardBlock(GetParam().windows, card, kFits), GetParam().keyword), GetParam().expected);
}

const BlockCase kBlockCases[] = {
    {"NoConnectionNameNoLiveAddressDhcpWithoutGateway", WindowsClass::XPClass,
     [](NetshCardInput& c) { c.connectionName.clear(); }, L"",
     Lines({L"delete address name=\"{00000002-0000-0000-0000-4E6574446576}\" gateway=all",
            L"set address name=\"{00000002-0000-0000-0000-4E6574446576}\" source=dhcp",
            L"delete dns name=\"{00000002-0000-0000-0000-4E6574446576}\" all",
            L"set dns name=\"{00000002-0000-0000-0000-4E6574446576}\" source=dhcp register=NONE",
            L"delete wins name=\"{00000002-0000-0000-0000-4E6574446576}\" all",
            L"set wins name=\"{00000002-0000-0000-0000-4E6574446576}\" source=dhcp"})},
    {"MetricsAndBlankGatewaysInTheMiddle", WindowsClass::XPClass,
     [](NetshCardInput& c) {
       c.gateways = {{L"10.0.0.1", L" 05"}, {L"10.0.0.2", L"0"}, {L" ", L"7"}, {L"10.0.0.3", L""},
                     {L"10.0.0.4", L"x"}, {L"10.0.0.5", L"4294967297"}, {L"10.0.0.6", L"-3"}};
     },
     L"gateway=1",
     Lines({L"set address name=\"LAN\" gateway=10.0.0.1 gwmetric=5",
            L"add address name=\"LAN\" gateway=10.0.0.2 gwmetric=0",
            L"add address name=\"LAN\" gateway=10.0.0.3 gwmetric=1",
            L"add address name=\"LAN\" gateway=10.0.0.4 gwmetric=1",
            L"add address name=\"LAN\" gateway=10.0.0.5 gwmetric=1",
            L"add address name=\"LAN\" gateway=10.0.0.6 gwmetric=-3"})},
    {"DhcpBlankFirstGatewayStillAddsTheOthers", WindowsClass::Version6,
     [](NetshCardInput& c) { c.gateways = {{L"", L"1"}, {L"10.0.0.2", L"3"}}; }, L"route",
     Lines({L"delete route prefix=0.0.0.0/0 interface=\"LAN\"",
            L"add route prefix=0.0.0.0/0 interface=\"LAN\" nexthop=10.0.0.2 metric=3 publish=はい"})},
    {"StaticEmptyFirstGatewayBlankAddressInTheMiddle", WindowsClass::Version6,
     [](NetshCardInput& c) {
       c.dhcp = false;
       c.addresses = {{L" 10.0.0.9 ", L"255.0.0.0"}, {L"  ", L"255.0.0.0"}, {L"10.0.0.10", L"255.0.0.0"}};
       c.gateways = {{L"", L""}, {L"10.0.0.1", L"2"}};
     },
     L" address ",
     Lines({L"delete address name=\"LAN\" gateway=all", L"set address name=\"LAN\" source=static addr=10.0.0.9 255.0.0.0",
            L"add address name=\"LAN\" 10.0.0.10 255.0.0.0", L"add address name=\"LAN\" gateway=10.0.0.1 gwmetric=2"})},
    // netsh takes no address without its mask (a blank one between
    // positional values would make it read the gateway as the mask).
    {"StaticWithoutAUsableAddressSetsNoneAndAddsTheGateway", WindowsClass::Windows2000,
     [](NetshCardInput& c) {
       c.dhcp = false;
       c.addresses = {{L"", L"255.0.0.0"}, {L"10.0.0.2", L" "}};
       c.gateways = {{L"10.0.0.1", L""}};
     },
     L"set address|gwmetric", Lines({L"add address name=\"LAN\" gateway=10.0.0.1 gwmetric=1"})},
    {"TheFirstRowWithAnAddressAndAMaskIsSet", WindowsClass::Version6,
     [](NetshCardInput& c) {
       c.dhcp = false;
       c.addresses = {{L"10.0.0.1", L""}, {L"10.0.0.2", L"0.0.0.0"}, {L"10.0.0.3", L"255.0.0.0"}, {L"10.0.0.4", L"255.0.0.0"}};
       c.gateways = {{L"10.0.0.254", L"3"}};
     },
     L"set address|add address",
     Lines({L"set address name=\"LAN\" source=static addr=10.0.0.3 255.0.0.0 10.0.0.254 3",
            L"add address name=\"LAN\" 10.0.0.4 255.0.0.0"})},
    {"OneDnsServerXPBothRegistrations", WindowsClass::XPClass,
     [](NetshCardInput& c) {
       c.dnsAutomatic = false;
       c.dnsServers = {L"10.0.0.53"};
       c.registerAddresses = c.registerSuffix = true;
     },
     L" dns ",
     Lines({L"delete dns name=\"LAN\" all", L"set dns name=\"LAN\" source=static addr=10.0.0.53 register=BOTH"})},
    {"Version6RegistersWithTheDnsLineAsXPDoes", WindowsClass::Version6,
     [](NetshCardInput& c) {
       c.dnsAutomatic = false;
       c.dnsServers = {L"10.0.0.53"};
       c.registerAddresses = c.registerSuffix = true;
     },
     L"set dns", Lines({L"set dns name=\"LAN\" source=static addr=10.0.0.53 register=BOTH"})},
    {"SuffixOnlyRegistersNothingOnXP", WindowsClass::XPClass, [](NetshCardInput& c) { c.registerSuffix = true; },
     L"set dns", Lines({L"set dns name=\"LAN\" source=dhcp register=NONE"})},
    {"BlankLastDnsSetsTheLastServerBlankMiddleWins", WindowsClass::XPClass,
     [](NetshCardInput& c) {
       c.dnsAutomatic = false;
       c.dnsServers = {L"10.0.0.1", L"", L"10.0.0.2", L" "};
       c.registerAddresses = true;
       c.winsServers = {L"10.0.1.1", L" ", L"10.0.1.2"};
     },
     L" dns | wins ",
     Lines({L"delete dns name=\"LAN\" all", L"set dns name=\"LAN\" source=static addr=10.0.0.2 register=PRIMARY",
            L"add dns name=\"LAN\" addr=10.0.0.1 index=1",
            L"delete wins name=\"LAN\" all", L"set wins name=\"LAN\" source=static addr=10.0.1.2",
            L"add wins name=\"LAN\" addr=10.0.1.1 index=1"})},
    {"BlankFirstDnsSetsNoneBlankOnlyFirstWinsWritesOnlyTheDelete", WindowsClass::Windows2000,
     [](NetshCardInput& c) {
       c.dnsAutomatic = false;
       c.dnsServers = {L" ", L"10.0.0.1"};
       c.winsServers = {L"  ", L"10.0.1.1"};
     },
     L" dns | wins ", Lines({L"delete dns name=\"LAN\" all", L"delete wins name=\"LAN\" all"})},
    {"Windows2000ListsInOrder", WindowsClass::Windows2000,
     [](NetshCardInput& c) {
       c.dnsAutomatic = false;
       c.dnsServers = {L"10.0.0.1", L" ", L"10.0.0.2"};
       c.winsServers = {L"10.0.1.1", L"", L"10.0.1.2"};
     },
     L"addr=",
     Lines({L"set dns name=\"LAN\" source=static addr=10.0.0.1", L"add dns name=\"LAN\" addr=10.0.0.2",
            L"set wins name=\"LAN\" source=static addr=10.0.1.1", L"add wins name=\"LAN\" addr=10.0.1.2"})},
    // Stored entries that would end a line or a quoted name early.
    {"UnsafeNameFallsBackToTheIdentifierUnsafeEntriesAreBlank", WindowsClass::XPClass,
     [](NetshCardInput& c) {
       c.connectionName = L"LAN\"\r\nreset";
       c.currentAddress = L"10.0.0.9\nreset";
       c.dhcp = false;
       c.addresses = {{L"10.0.0.9\r\nreset", L"255.0.0.0\""}, {L"10.0.0.10\n", L"255.0.0.0"},
                      {std::wstring(L"10.0.0.11\0x", 11), L"255.0.0.0"}};
       c.gateways = {{L"10.0.0.1", L"1\rreset"}, {L"10.0.0.2\"", L"1"}};
       c.dnsAutomatic = false;
       c.dnsServers = {L"10.0.0.53", L"\"10.0.0.54\""};
       c.winsServers = {L"10.0.1.1\r"};
     },
     L"",
     Lines({L"delete address name=\"{00000002-0000-0000-0000-4E6574446576}\" gateway=all",
            L"set address name=\"{00000002-0000-0000-0000-4E6574446576}\" source=static addr=10.0.0.10 255.0.0.0 10.0.0.1 1",
            L"delete dns name=\"{00000002-0000-0000-0000-4E6574446576}\" all",
            L"set dns name=\"{00000002-0000-0000-0000-4E6574446576}\" source=static addr=10.0.0.53 register=NONE",
            L"delete wins name=\"{00000002-0000-0000-0000-4E6574446576}\" all",
            L"set wins name=\"{00000002-0000-0000-0000-4E6574446576}\" source=static addr=10.0.1.1"})},
    {"UnsafeIdentifierGivesNoBlock", WindowsClass::Version6,
     [](NetshCardInput& c) { c.cardId = L"{x}\"\r\nreset"; }, L"", L""},
    // Stored entries that would add parameters to a line: an address entry
    // holding anything but digits and dots counts as blank.
    {"SmuggledParametersCountAsBlank", WindowsClass::XPClass,
     [](NetshCardInput& c) {
       c.currentAddress = L"10.0.0.9 addr=1.2.3.4";
       c.dhcp = false;
       c.addresses = {{L"192.168.1.10 255.0.0.0 9.9.9.9 1", L"255.0.0.0"}, {L"10.0.0.10", L"255.0.0.0 x"},
                      {L"10.0.0.11", L"255.0.0.0"}, {L"10.0.0.12\t10.0.0.13", L"255.0.0.0"}};
       c.gateways = {{L"192.168.1.1 gwmetric=7", L"1"}, {L"10.0.0.1", L" 05"}, {L"ten.0.0.2", L"1"}};
       c.dnsAutomatic = false;
       c.dnsServers = {L"10.0.0.53", L"10.0.0.54=", L"10.0.0.55"};
       c.winsServers = {L"10.0.1.1", L"10.0.0.7 index=1"};
     },
     L"",
     Lines({L"delete address name=\"LAN\" gateway=all",
            L"set address name=\"LAN\" source=static addr=10.0.0.11 255.0.0.0",
            L"add address name=\"LAN\" gateway=10.0.0.1 gwmetric=5",
            L"delete dns name=\"LAN\" all",
            L"set dns name=\"LAN\" source=static addr=10.0.0.55 register=NONE",
            L"add dns name=\"LAN\" addr=10.0.0.53 index=1",
            L"delete wins name=\"LAN\" all",
            L"set wins name=\"LAN\" source=static addr=10.0.1.1"})},
    // A first WINS entry that is no address is a blank one: no WINS at all,
    // never a switch to DHCP the user did not ask for.
    {"FirstWinsThatIsNoAddressWritesNothingAsABlankOneDoes", WindowsClass::Version6,
     [](NetshCardInput& c) { c.winsServers = {L" 10.0.0.7 index=1", L"10.0.1.1"}; }, L" wins ",
     Lines({L"delete wins name=\"LAN\" all"})},
    {"FirstWinsNotAnAddressOnWindows2000", WindowsClass::Windows2000,
     [](NetshCardInput& c) { c.winsServers = {L"wins.example", L"10.0.1.1"}; }, L" wins ",
     Lines({L"delete wins name=\"LAN\" all"})},
    // A name the file's code page cannot carry unchanged could come out with
    // a double quote of a best fit: the identifier is used instead.
    {"NameTheCodePageCannotCarryFallsBackToTheIdentifier", WindowsClass::Version6,
     [](NetshCardInput& c) { c.connectionName = L"LAN＂ index=1 ＂"; }, L"delete route",
     Lines({L"delete route prefix=0.0.0.0/0 interface=\"{00000002-0000-0000-0000-4E6574446576}\""})},
    {"IdentifierTheCodePageCannotCarryGivesNoBlock", WindowsClass::Version6,
     [](NetshCardInput& c) { c.cardId = L"{x＂}"; }, L"", L""},
};

INSTANTIATE_TEST_SUITE_P(Cases, NetshBlock, ::testing::ValuesIn(kBlockCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Every line between "pushd" and "popd" names one of the script's cards:
// nothing (a context "reset", a route without an interface) reaches the
// machine's other cards or routes.
TEST(NetshScript, EveryLineNamesItsCard) {
  NetshCardInput fixed = ExampleCard(), dhcp = PlainCard();
  fixed.winsServers = {L"10.0.1.1", L"10.0.1.2"};
  dhcp.connectionName = L"B";
  dhcp.gateways = {{L"10.0.0.1", L"1"}, {L"10.0.0.2", L"2"}};
  for (WindowsClass windows : {WindowsClass::Windows2000, WindowsClass::XPClass, WindowsClass::Version6}) {
    const StringList lines = SplitLines(NetshScriptHeader(windows) + NetshCardBlock(windows, dhcp, kFits) +
                                        NetshCardBlock(windows, fixed, kFits) + NetshScriptFooter());
    EXPECT_EQ(lines.back(), L"popd");
    for (size_t i = 1; i + 1 < lines.size(); ++i) {
      EXPECT_TRUE(lines[i].find(L"=\"LAN\"") != std::wstring::npos || lines[i].find(L"=\"B\"") != std::wstring::npos)
          << ToUtf8(lines[i]);
    }
  }
}

}  // namespace
}  // namespace kip
