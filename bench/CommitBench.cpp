// The cost of a commit of a three-card setting against the children it runs:
// the same command lines started one after another with nothing around them.
// What the ratio shows above 1 is the program's own work: the registry
// writers, the announcement, the script, the waits and the captured output.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "Bench.h"
#include "apply/CommitSequence.h"
#include "util/Files.h"
#include "util/UniqueHandle.h"

namespace {

const kip::StringList kCardIds = {L"{00000001-0000-0000-0000-4E6574446576}",
                                  L"{00000002-0000-0000-0000-4E6574446576}",
                                  L"{00000003-0000-0000-0000-4E6574446576}"};

// Every registry access of the benchmark goes to a scratch key, so the
// prefix's own keys stay as they are.
class RegistryScratch {
 public:
  RegistryScratch() {
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\kIpBench\\HKLM", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &machine_, nullptr);
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\kIpBench\\HKCU", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &user_,
                    nullptr);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_);
    RegOverridePredefKey(HKEY_CURRENT_USER, user_);
  }
  ~RegistryScratch() {
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(machine_);
    RegCloseKey(user_);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\kIpBench");
  }

 private:
  HKEY machine_ = nullptr;
  HKEY user_ = nullptr;
};

// A window holding a static setting for every card.
class StaticWindow : public kip::CommitWindow {
 public:
  void LoadCard(int) override {}
  kip::NetshCardInput LoadedCardValues() override {
    kip::NetshCardInput card;
    card.addresses = {{L"192.168.1.10", L"255.255.255.0"}, {L"192.168.1.11", L"255.255.255.0"}};
    card.gateways = {{L"192.168.1.1", L"1"}, {L"192.168.1.254", L"20"}};
    card.dnsServers = {L"192.168.1.2", L"192.168.1.3"};
    card.winsServers = {L"192.168.1.5"};
    return card;
  }
  void WriteLiveDomainValues(const std::wstring&) override {}
  void CommitFirewall() override {}
  void ChangeDomain() override {}
};

// The children of a version-6 commit of three cards, in their order.
std::vector<std::wstring> CommitChildren(const std::wstring& scriptPath) {
  std::vector<std::wstring> lines = {L"net start \"Remote Registry Service\" > nul", L"net start \"DHCP Client\"",
                                     L"netsh exec \"" + scriptPath + L"\"", L"arp -d *", L"nbtstat -R",
                                     L"nbtstat -RR"};
  for (const wchar_t* state : {L" admin=DISABLED", L" admin=ENABLED"}) {
    for (const wchar_t* name : {L"A", L"B", L"C"}) {
      lines.push_back(std::wstring(L"netsh interface set interface name=\"") + name + L"\"" + state);
    }
  }
  lines.push_back(L"ipconfig /flushdns");
  return lines;
}

struct PairedTimes {
  std::vector<double> a, b;
};

// Times `a` and `b` one right after the other, `runs` times: the machine's
// load changes between pairs more than within one, so each pair's ratio is
// steadier than the ratio of the two medians on a shared machine.
PairedTimes MeasurePairs(int runs, const std::function<void()>& a, const std::function<void()>& b) {
  a();  // warm both paths up
  b();
  PairedTimes times;
  for (int i = 0; i < runs; ++i) {
    times.a.push_back(kip::bench::TimeMs(a));
    times.b.push_back(kip::bench::TimeMs(b));
  }
  return times;
}

double MedianRatio(const PairedTimes& times) {
  std::vector<double> ratios;
  for (size_t i = 0; i < times.a.size(); ++i) ratios.push_back(times.b[i] > 0 ? times.a[i] / times.b[i] : 0);
  return kip::bench::Median(ratios);
}

}  // namespace

KIP_BENCHMARK(commit_3cards) {
  SetEnvironmentVariableW(L"KIP_STUB_LOG", nullptr);
  RegistryScratch registry;
  const std::wstring folder = kip::GetTempFolder() + L"kip-bench-commit\\";
  CreateDirectoryW(folder.c_str(), nullptr);

  kip::CommitEnvironment environment = kip::DefaultCommitEnvironment();
  environment.programFolder = folder;  // no batch files there
  environment.tempFolder = folder;
  environment.commitLogPath = folder + L"kIpCnfg.log";
  environment.readMajorVersion = [] { return DWORD{6}; };
  environment.connectionName = [](const std::wstring& id) {
    const auto card = std::find(kCardIds.begin(), kCardIds.end(), id) - kCardIds.begin();
    return std::wstring(1, static_cast<wchar_t>(L'A' + card));
  };
  kip::CommitInputs inputs;
  inputs.settingIndex = 0;
  inputs.settingName = L"bench";
  inputs.scriptWindows = kip::WindowsClass::Version6;
  inputs.cardCount = 3;
  inputs.cardIds = kCardIds;
  inputs.selectedCard = 0;
  inputs.internet.useProxy = true;
  inputs.internet.proxyServer = L"proxy.example";
  inputs.internet.proxyPort = L"8080";
  inputs.tcpip.searchList = {L"a.example", L"b.example"};
  StaticWindow window;

  const std::vector<std::wstring> children = CommitChildren(folder + kip::kScriptFileName);
  size_t notStarted = 0;
  const PairedTimes times = MeasurePairs(
      report.options().runs,
      [&] { notStarted = kip::RunCommitSequence(inputs, window, environment).notStarted.size(); },
      [&] {
        for (const std::wstring& child : children) kip::bench::RunBare(child);
      });
  report.Ratio(L"commit_3cards", L"commit", kip::bench::Median(times.a), L"its children alone",
               kip::bench::Median(times.b));
  wchar_t paired[96];
  std::swprintf(paired, 96, L"median of the %d paired ratios: %.3f", report.options().runs, MedianRatio(times));
  report.Note(paired);
  report.Note(std::to_wstring(children.size()) + L" children per commit; not started: " +
              std::to_wstring(notStarted) + L"; script " +
              std::to_wstring(kip::ReadWholeFile(folder + kip::kScriptFileName).size()) + L" bytes");
  for (const wchar_t* name : {kip::kScriptFileName, L"kIpCnfg.log"}) DeleteFileW((folder + name).c_str());
  RemoveDirectoryW(folder.c_str());
}
