// The cost of a commit of a three-card setting against the children it runs:
// the same command lines started one after another with nothing around them.
// What the ratio shows above 1 is the program's own work: reading the
// setting from the store, the plan, the registry writers, the announcement,
// the script, the waits and the captured output. Beside it, the time the
// plan of a sixteen-card setting takes, store reads included, and the part
// of it that the pure planning takes.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Bench.h"
#include "BenchStore.h"
#include "apply/CommitPlan.h"
#include "apply/CommitSequence.h"
#include "apply/CommitSource.h"
#include "store/SettingRecord.h"
#include "util/Files.h"
#include "util/UniqueHandle.h"

namespace {

using kip::bench::CardIds;
using kip::bench::RegistryScratch;
using kip::bench::SeedSetting;

const kip::StringList kCardIds = {L"{00000001-0000-0000-0000-4E6574446576}",
                                  L"{00000002-0000-0000-0000-4E6574446576}",
                                  L"{00000003-0000-0000-0000-4E6574446576}"};

class NoDomainChange : public kip::CommitUser {
 public:
  void ChangeDomain(const kip::DomainChoice&) override {}
};

// Where a commit's time goes: each step's milliseconds, summed over runs.
class StepClock : public NoDomainChange {
 public:
  void StepStarted(kip::CommitStep) override { start_ = std::chrono::steady_clock::now(); }
  void StepEnded(kip::CommitStep step, bool) override {
    totals_[step] += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
  }
  // "step mean-ms" for every step that ran, in the commit's order (ASCII:
  // the console of a benchmark run may not show Japanese).
  std::wstring Text(int runs) const {
    static const wchar_t* const names[] = {L"before-batch", L"printer", L"internet", L"tcpip", L"computer-name",
                                           L"hosts", L"firewall", L"suffixes", L"script", L"services", L"netsh",
                                           L"caches", L"restart-cards", L"domain", L"flush-dns", L"after-batch"};
    std::wstring text;
    for (const auto& [step, total] : totals_) {
      const auto index = static_cast<size_t>(step);
      wchar_t part[64];
      std::swprintf(part, 64, L"%ls %.1f; ", index < std::size(names) ? names[index] : L"?", total / runs);
      text += part;
    }
    return text + L"(ms per commit)";
  }

 private:
  std::chrono::steady_clock::time_point start_;
  std::map<kip::CommitStep, double> totals_;
};

kip::CommitRequest RequestFor(const std::wstring& name, const kip::StringList& ids) {
  return {0, name, static_cast<int>(ids.size()), ids, 6, 1};
}

// The children of a version-6 commit of three cards, in their order.
std::vector<std::wstring> CommitChildren(const std::wstring& scriptPath) {
  std::vector<std::wstring> lines = {L"net start RemoteRegistry", L"net start Dhcp",
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
  SeedSetting(L"bench", kCardIds);
  StepClock user;
  double reading = 0;

  const std::vector<std::wstring> children = CommitChildren(folder + kip::kScriptFileName);
  size_t notStarted = 0;
  const PairedTimes times = MeasurePairs(
      report.options().runs,
      [&] {
        kip::CommitPlan plan;
        reading += kip::bench::TimeMs(
            [&] { plan = kip::PlanCommit(kip::ReadCommitSetting(RequestFor(L"bench", kCardIds), environment)); });
        notStarted = kip::RunCommitPlan(plan, user, environment).notStarted.size();
      },
      [&] {
        for (const std::wstring& child : children) kip::bench::RunBare(child);
      });
  report.Ratio(L"commit_3cards", L"commit", kip::bench::Median(times.a), L"its children alone",
               kip::bench::Median(times.b));
  wchar_t paired[96];
  std::swprintf(paired, 96, L"median of the %d paired ratios: %.3f", report.options().runs, MedianRatio(times));
  report.Note(paired);
  const int commits = report.options().runs + 1;  // with the warm-up
  std::swprintf(paired, 96, L"setting read and planned: %.1f ms; ", reading / commits);
  report.Note(paired + user.Text(commits));
  report.Note(std::to_wstring(children.size()) + L" children per commit; not started: " +
              std::to_wstring(notStarted) + L"; script " +
              std::to_wstring(kip::ReadWholeFile(folder + kip::kScriptFileName).size()) + L" bytes");
  for (const wchar_t* name : {kip::kScriptFileName, L"kIpCnfg.log"}) DeleteFileW((folder + name).c_str());
  RemoveDirectoryW(folder.c_str());
}

KIP_BENCHMARK(plan_16cards) {
  RegistryScratch registry;
  const kip::StringList ids = CardIds(16);
  SeedSetting(L"bench16", ids);
  // The same cards under new identifiers (moved, or their driver
  // reinstalled): every part is found by its MAC address.
  const kip::StringList all = CardIds(32);
  const kip::StringList moved(all.begin() + 16, all.end());
  kip::CommitEnvironment environment = kip::DefaultCommitEnvironment();
  environment.connectionName = [](const std::wstring&) { return std::wstring(L"ローカル エリア接続"); };
  environment.currentAddresses = [](const kip::StringList& cards) { return kip::StringList(cards.size()); };
  environment.hardwareAddresses = [&moved](const kip::StringList& cards) {
    kip::StringList macs;
    for (const std::wstring& card : cards) {
      macs.push_back(kip::bench::CardMac(static_cast<size_t>(std::find(moved.begin(), moved.end(), card) - moved.begin())));
    }
    return macs;
  };
  environment.readMajorVersion = [] { return DWORD{6}; };
  for (const auto& [title, cards] : {std::pair{L"own identifiers", ids}, std::pair{L"moved cards", moved}}) {
    const kip::CommitRequest request = RequestFor(L"bench16", cards);
    kip::CommitSetting setting;
    std::vector<double> whole, pure;
    size_t scriptSize = 0;
    for (int i = 0; i < report.options().runs * 5; ++i) {
      whole.push_back(kip::bench::TimeMs([&] { setting = kip::ReadCommitSetting(request, environment); }));
      double planning = kip::bench::TimeMs([&] { scriptSize = kip::PlanCommit(setting).script.size(); });
      whole.back() += planning;
      pure.push_back(planning);
    }
    wchar_t text[200];
    std::swprintf(text, 200,
                  L"plan of 16 cards (%ls), store reads included: median %.2f ms; pure planning %.3f ms; script %zu characters",
                  title, kip::bench::Median(whole), kip::bench::Median(pure), scriptSize);
    report.Note(text);
  }
}

// The same 16 cards with IPv6 on every card: the store reads of the IPv6
// values, one listing of the adapters and the IPv6 section, against the
// plan of the IPv4 part alone, measured alternately.
KIP_BENCHMARK(plan_16cards_ipv6) {
  RegistryScratch registry;
  const kip::StringList ids = CardIds(16);
  SeedSetting(L"ipv4", ids);
  SeedSetting(L"ipv6", ids, true);
  kip::CommitEnvironment environment = kip::DefaultCommitEnvironment();
  environment.connectionName = [](const std::wstring&) { return std::wstring(L"ローカル エリア接続"); };
  environment.currentAddresses = [](const kip::StringList& cards) { return kip::StringList(cards.size()); };
  environment.readMajorVersion = [] { return DWORD{6}; };
  const kip::CommitRequest withIpv6 = RequestFor(L"ipv6", ids), ipv4Only = RequestFor(L"ipv4", ids);
  size_t scriptSize = 0;
  const auto [a, b] = kip::bench::MedianPair(
      report.options().runs * 5,
      [&] { scriptSize = kip::PlanCommit(kip::ReadCommitSetting(withIpv6, environment)).script.size(); },
      [&] { kip::PlanCommit(kip::ReadCommitSetting(ipv4Only, environment)); });
  report.Ratio(L"plan_16cards_ipv6", L"IPv6 on every card", a, L"IPv4 only", b);
  report.Note(L"plan of 16 cards with IPv6, store reads and adapter listing included; script " +
              std::to_wstring(scriptSize) + L" characters");
}
