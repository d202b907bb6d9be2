// The machine-wide writers against the registry sandbox: which values change,
// which stay, what goes through WinINet's per-connection option, and that the
// change is always announced.
#include <gtest/gtest.h>

#include <functional>
#include <variant>

#include "util/Errors.h"

#include "apply/MachineWriters.h"
#include "support/MachineStandIns.h"
#include "support/RegistrySandbox.h"

namespace kip {
namespace {

using test::CallLog;

struct Inputs {
  PrinterValues printer;
  InternetValues internet;
  TcpipParameterValues tcpip;
};

struct Absent {};
using Expected = std::variant<Absent, std::wstring, DWORD>;

struct Expectation {
  HKEY root;
  const wchar_t* key;
  const wchar_t* name;
  Expected value;
};

struct WriterCase {
  const char* name;
  std::function<void(Inputs&)> change;
  std::vector<Expectation> expected;
  bool internetKeyMissing = false;
};

void PrintTo(const WriterCase& c, std::ostream* os) { *os << c.name; }

const HKEY kUser = HKEY_CURRENT_USER;
const HKEY kMachine = HKEY_LOCAL_MACHINE;

class MachineWriters : public RegistryTest, public ::testing::WithParamInterface<WriterCase> {
 protected:
  // Every key as a machine holds it, with values a commit may replace.
  void SeedMachine(bool withInternetKey) {
    SetString(kUser, kWindowsKey, L"Device", L"Old,winspool,LPT1:");
    if (withInternetKey) {
      SetDword(kUser, kInternetSettingsKey, L"ProxyEnable", 1);
      SetString(kUser, kInternetSettingsKey, L"ProxyServer", L"old:1");
      SetString(kUser, kInternetSettingsKey, L"ProxyOverride", L"old");
      SetString(kUser, kInternetSettingsKey, L"AutoConfigURL", L"http://old/pac");
    }
    SetString(kUser, kInternetExplorerMainKey, L"Start Page", L"http://old/");
    SetString(kMachine, kTcpipParametersKey, L"NV Hostname", L"OLDHOST");
    SetDword(kMachine, kTcpipParametersKey, L"IPEnableRouter", 1);
    SetDword(kMachine, kTcpipParametersKey, L"UseDomainNameDevolution", 1);
    SetString(kMachine, kTcpipParametersKey, L"SearchList", L"old.example");
  }

  void Check(const Expectation& e) {
    SCOPED_TRACE(ToUtf8(e.name));
    if (std::holds_alternative<Absent>(e.value)) {
      EXPECT_FALSE(ValueExists(e.root, e.key, e.name));
    } else if (auto* text = std::get_if<std::wstring>(&e.value)) {
      EXPECT_EQ(GetString(e.root, e.key, e.name), *text);
    } else {
      EXPECT_EQ(GetDword(e.root, e.key, e.name), std::get<DWORD>(e.value));
    }
  }
};

TEST_P(MachineWriters, WriteWhatTheValuesSayAndAnnounce) {
  const WriterCase& c = GetParam();
  SeedMachine(!c.internetKeyMissing);
  Inputs inputs;
  c.change(inputs);
  CallLog calls;
  test::RecordingInternet internet(calls);
  test::RecordingAnnouncer announcer(calls);
  test::FixedAccounts accounts(L"PC\\taro", L"PC\\taro");
  WriteDefaultPrinter(inputs.printer);
  WriteInternetSettings(inputs.internet, {&internet, &accounts, nullptr}, announcer);
  WriteTcpipParameters(inputs.tcpip);
  for (const Expectation& e : c.expected) Check(e);
  // Announced whatever was written; the proxy also through WinINet.
  CallLog announced(calls.end() - 3, calls.end());
  EXPECT_EQ(announced, (CallLog{"option 39", "option 37", "WM_WININICHANGE"}));
  EXPECT_EQ(calls.size(), inputs.internet.useProxy ? 5u : 3u);
  if (c.internetKeyMissing) {
    EXPECT_FALSE(KeyExists(kUser, kInternetSettingsKey));
  }
}

const WriterCase kWriterCases[] = {
    {"ProxyOffLeavesProxyValuesHomePageWrittenUntrimmedNoPrinter",
     [](Inputs& in) {
       in.internet.proxyServer = L"ignored";
       in.internet.homePage = L" http://home/ ";
     },
     {{kUser, kInternetSettingsKey, L"ProxyEnable", DWORD{1}},
      {kUser, kInternetSettingsKey, L"ProxyServer", L"old:1"},
      {kUser, kInternetSettingsKey, L"AutoConfigURL", L"http://old/pac"},
      {kUser, kInternetExplorerMainKey, L"Start Page", L" http://home/ "},
      {kUser, kWindowsKey, L"Device", L"Old,winspool,LPT1:"}}},
    {"ProxyOnEmptyServerAndPortEmptyAutoConfigRemovedEmptyHomePageKept",
     [](Inputs& in) {
       in.internet.useProxy = true;
       in.internet.autoConfigUrl = L"  ";
       in.internet.homePage = L" ";
     },
     {{kUser, kInternetSettingsKey, L"ProxyEnable", DWORD{0}},
      {kUser, kInternetSettingsKey, L"ProxyServer", L""},
      {kUser, kInternetSettingsKey, L"ProxyOverride", L""},
      {kUser, kInternetSettingsKey, L"AutoConfigURL", Absent{}},
      {kUser, kInternetExplorerMainKey, L"Start Page", L"http://old/"}}},
    {"ProxyMoreIgnoresThePortYetAPortAloneEnables",
     [](Inputs& in) {
       in.internet.useProxy = true;
       in.internet.proxyMore = true;
       in.internet.proxyPort = L"8080";
       in.internet.proxyLocalAddress = true;
       in.internet.autoConfigUrl = L" http://pac/ ";
     },
     {{kUser, kInternetSettingsKey, L"ProxyEnable", DWORD{1}},
      {kUser, kInternetSettingsKey, L"ProxyServer", L""},
      {kUser, kInternetSettingsKey, L"ProxyOverride", L"<local>"},
      {kUser, kInternetSettingsKey, L"AutoConfigURL", L"http://pac/"}}},
    {"ServerWithPortLocalWithListPrinterChosen",
     [](Inputs& in) {
       in.printer.deviceString = L"Laser,winspool,FILE:";
       in.internet.useProxy = true;
       in.internet.proxyServer = L" proxy.example ";
       in.internet.proxyPort = L" 8080 ";
       in.internet.proxyLocalAddress = true;
       in.internet.proxyLocalList = L" *.example; 10.* ";
     },
     {{kUser, kInternetSettingsKey, L"ProxyServer", L"proxy.example:8080"},
      {kUser, kInternetSettingsKey, L"ProxyOverride", L"<local> *.example; 10.*"},
      {kUser, kWindowsKey, L"Device", L"Laser,winspool,FILE:"}}},
    {"ListWithoutLocal",
     [](Inputs& in) {
       in.internet.useProxy = true;
       in.internet.proxyLocalList = L"intra";
     },
     {{kUser, kInternetSettingsKey, L"ProxyOverride", L"intra"}}},
    {"TcpipParametersAndTheSearchListNeverTheComputerName",
     [](Inputs& in) {
       in.tcpip.hostName = L"NEWHOST ";
       in.tcpip.domainNameDevolution = false;
       in.tcpip.ipRouter = true;
       in.tcpip.searchList = {L"a.example", L"b.example"};
     },
     {{kMachine, kTcpipParametersKey, L"NV Hostname", L"OLDHOST"},
      {kMachine, kTcpipParametersKey, L"IPEnableRouter", DWORD{1}},
      {kMachine, kTcpipParametersKey, L"UseDomainNameDevolution", DWORD{0}},
      {kMachine, kTcpipParametersKey, L"SearchList", L"a.example,b.example"}}},
    {"PrimarySuffixesEmptyTheSearchList",
     [](Inputs& in) {
       in.tcpip.hostName = L"  ";
       in.tcpip.domainNameDevolution = true;
       in.tcpip.usePrimaryAndConnectionSuffixes = true;
       in.tcpip.searchList = {L"a.example"};
     },
     {{kMachine, kTcpipParametersKey, L"NV Hostname", L"OLDHOST"},
      {kMachine, kTcpipParametersKey, L"IPEnableRouter", DWORD{0}},
      {kMachine, kTcpipParametersKey, L"UseDomainNameDevolution", DWORD{1}},
      {kMachine, kTcpipParametersKey, L"SearchList", L""}}},
    {"MissingInternetKeyIsNotCreatedHomePageStillWritten",
     [](Inputs& in) {
       in.internet.useProxy = true;
       in.internet.proxyServer = L"proxy";
       in.internet.homePage = L"http://home/";
     },
     {{kUser, kInternetExplorerMainKey, L"Start Page", L"http://home/"}},
     true},
};

INSTANTIATE_TEST_SUITE_P(Cases, MachineWriters, ::testing::ValuesIn(kWriterCases),
                         [](const auto& info) { return std::string(info.param.name); });

// WinINet gets the fields as the classic values hold them, after them, for
// the LAN connection, automatic detection kept as Windows had it. A commit
// run by another account than the one at the screen (SYSTEM from a start-up
// script or a management agent; an administrator's credentials typed at a
// user's prompt) changes that account's proxy, and says so.
TEST(LanProxy, TheOptionListCarriesTheClassicValuesAndAnotherAccountIsNamed) {
  const std::wstring taro = L"PC\\taro", system = L"NT AUTHORITY\\SYSTEM";
  const struct {
    const char* title;
    std::function<void(InternetValues&)> change;
    DWORD currentFlags;
    std::wstring process, user;
    DWORD refused;
    const char* set;
    std::vector<WriterNote> notes;
  } cases[] = {
      {"server, port, local bypass and script; detection kept",
       [](InternetValues& v) {
         v.proxyServer = L" proxy.example ", v.proxyPort = L"8080", v.proxyLocalAddress = true;
         v.proxyLocalList = L"*.example", v.autoConfigUrl = L" http://pac/ ";
       },
       kProxyTypeDirect | kProxyTypeAutoDetect, taro, L"pc\\TARO", ERROR_SUCCESS,
       "per-connection set LAN: 1=0xF 2=proxy.example:8080 3=<local> *.example 4=http://pac/", {}},
      {"nothing given: an old proxy and script are switched off", [](InternetValues&) {},
       kProxyTypeDirect | kProxyTypeProxy | kProxyTypeAutoProxyUrl, L"taro", taro, ERROR_SUCCESS,
       "per-connection set LAN: 1=0x1 2= 3= 4=", {}},
      {"a per-protocol text whole, the port dropped; run as SYSTEM",
       [](InternetValues& v) { v.proxyMore = true, v.proxyServer = L"http=a:1;https=b:2", v.proxyPort = L"9"; },
       kProxyTypeDirect, system, taro, ERROR_SUCCESS, "per-connection set LAN: 1=0x3 2=http=a:1;https=b:2 3= 4=",
       {{L"プロキシは NT AUTHORITY\\SYSTEM のユーザー設定に書き込みました (ログオン中のユーザー: PC\\taro)", false}}},
      {"an administrator's account with nobody logged on", [](InternetValues&) {}, kProxyTypeDirect, L"CORP\\admin",
       L"", ERROR_SUCCESS, "per-connection set LAN: 1=0x1 2= 3= 4=",
       {{L"プロキシは CORP\\admin のユーザー設定に書き込みました (ログオン中のユーザー: なし)", false}}},
      {"refused: the step fails", [](InternetValues&) {}, kProxyTypeDirect, taro, taro, ERROR_ACCESS_DENIED,
       "per-connection set LAN: 1=0x1 2= 3= 4=",
       {{L"プロキシを WinINet の接続設定に書き込めません (" + SystemErrorText(ERROR_ACCESS_DENIED) + L")", true}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    RegistrySandbox sandbox;
    CallLog calls;
    test::RecordingInternet internet(calls);
    internet.flags = c.currentFlags;
    internet.refuseSet = c.refused;
    test::RecordingAnnouncer announcer(calls);
    test::FixedAccounts accounts(c.process, c.user);
    InternetValues values;
    values.useProxy = true;
    c.change(values);
    const WriterOutcome outcome = WriteInternetSettings(values, {&internet, &accounts, nullptr}, announcer);
    EXPECT_EQ(calls, (CallLog{"per-connection query LAN", c.set, "option 39", "option 37", "WM_WININICHANGE"}));
    EXPECT_EQ(outcome.notes, c.notes);
    EXPECT_EQ(outcome.succeeded, c.refused == ERROR_SUCCESS);
  }
}

}  // namespace
}  // namespace kip
