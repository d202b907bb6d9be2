// The machine-wide writers against the registry sandbox: which values change,
// which stay, and that the change is always announced.
#include <gtest/gtest.h>

#include <functional>
#include <variant>

#include "apply/MachineWriters.h"
#include "support/RegistrySandbox.h"

namespace kip {
namespace {

class RecordingAnnouncer : public SettingsAnnouncer {
 public:
  void InternetSettingsChanged() override { calls.push_back("internet option 39"); }
  void BroadcastIniChange() override { calls.push_back("WM_WININICHANGE"); }
  std::vector<std::string> calls;
};

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
  RecordingAnnouncer announcer;
  WriteDefaultPrinter(inputs.printer);
  WriteInternetSettings(inputs.internet, announcer);
  WriteTcpipParameters(inputs.tcpip);
  for (const Expectation& e : c.expected) Check(e);
  EXPECT_EQ(announcer.calls, (std::vector<std::string>{"internet option 39", "WM_WININICHANGE"}));
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

}  // namespace
}  // namespace kip
