// Safe switching on sixteen cards. The preview from the request to the
// dialog on the screen (the setting read and planned, the machine read, the
// difference, the dialog made, filled and painted), against the plan alone;
// and the way back of an unanswered commit with automatic return, from the
// time-out to the former state committed (the kept setting read, planned,
// its children run by the recording stand-ins, the machine checked),
// against those children alone.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "Bench.h"
#include "BenchStore.h"
#include "app/FormSafeSwitch.h"
#include "app/PreviewFile.h"
#include "apply/AutoReturn.h"
#include "apply/CommitDiff.h"
#include "apply/CommitSource.h"
#include "apply/LiveSnapshot.h"
#include "machine/TcpipValues.h"
#include "ui/CommitPreview.h"
#include "ui/win/Form.h"
#include "ui/win/Layout.h"
#include "ui/win/Menus.h"
#include "util/Files.h"
#include "util/kRegistry.h"

namespace {

using kip::bench::CardIds;
using kip::bench::RegistryScratch;
using kip::bench::SeedSetting;

// The machine before the commit: every card on DHCP, unlike the setting.
void SeedLiveCards(const kip::StringList& ids) {
  kip::TcpipValues dhcp;
  dhcp.enableDhcp = true;
  dhcp.nameServers = kip::StringList{};
  for (const std::wstring& id : ids) {
    kip::TkRegistry key(HKEY_LOCAL_MACHINE);
    if (key.OpenKey(kip::TcpipInterfaceKey(id), true)) kip::WriteTcpipValues(key, dhcp, 6);
  }
}

kip::CommitEnvironment Environment(const std::wstring& folder) {
  kip::CommitEnvironment environment = kip::DefaultCommitEnvironment();
  environment.programFolder = folder;
  environment.tempFolder = folder;
  environment.systemFolder = folder;
  environment.commitLogPath = folder + L"kIpCnfg.log";
  environment.connectionName = [](const std::wstring& id) { return L"ローカル エリア接続 " + id.substr(7, 2); };
  environment.currentAddresses = [](const kip::StringList& cards) { return kip::StringList(cards.size()); };
  environment.readMajorVersion = [] { return DWORD{6}; };
  environment.setComputerName = [](const std::wstring&) { return true; };
  return environment;
}

kip::CommitRequest RequestFor(const std::wstring& name, const kip::StringList& ids) {
  return {0, name, static_cast<int>(ids.size()), ids, 6, 1};
}

std::wstring Ms(double value) {
  wchar_t text[32];
  std::swprintf(text, 32, L"%.1f ms", value);
  return text;
}

// The plan, the live read and the difference as the preview gets them.
kip::PreviewContent PreviewContentFor(const kip::CommitRequest& request, const kip::CommitEnvironment& environment) {
  const kip::CommitSetting setting = kip::ReadCommitSetting(request, environment);
  const kip::CommitPlan planned = kip::PlanCommit(setting);
  const kip::ValueSet current = kip::ValueSetOf(kip::ReadLiveState(setting, environment.systemFolder));
  return kip::PreviewContentOf(kip::ReviewOf(
      current, kip::ExpectedAfterCommit(current, setting, planned, kip::ReadHostsSource(planned.hostsFile)), planned));
}

// The main window the preview is shown over, as in the program: the
// thread's first top-level window brings the input method's window with it,
// which the preview never pays for there.
class Owner : public kip::win::Form {
 public:
  explicit Owner(HFONT font) {
    SetFormFont(font);
    CreateForm(L"TBenchOwner", L"owner", 640, 480, WS_OVERLAPPEDWINDOW);
    Show();
    kip::win::PumpPendingMessages();
  }
};

// The dialog made, filled and painted.
double PreviewWindowMs(const kip::PreviewContent& content, HFONT font, const Owner& owner) {
  return kip::bench::TimeMs([&] {
    kip::CommitPreviewDialog dialog;
    dialog.Create(owner.Handle(), font, content);
    dialog.Show();
    UpdateWindow(dialog.Handle());
    kip::win::PumpPendingMessages();
  });
}

}  // namespace

KIP_BENCHMARK(preview_16cards) {
  RegistryScratch registry;
  const kip::StringList ids = CardIds(16);
  SeedSetting(L"bench16", ids);
  SeedLiveCards(ids);
  const kip::CommitEnvironment environment = Environment(kip::GetTempFolder());
  kip::UniqueHFont font = kip::win::CreateUiFont(kip::win::ScreenDpi());
  const Owner owner(font.get());
  const kip::CommitRequest request = RequestFor(L"bench16", ids);

  std::vector<double> data, window, plan;
  size_t rows = 0, changed = 0;
  for (int i = 0; i < report.options().runs; ++i) {
    kip::PreviewContent content;
    data.push_back(kip::bench::TimeMs([&] { content = PreviewContentFor(request, environment); }));
    window.push_back(PreviewWindowMs(content, font.get(), owner));
    plan.push_back(kip::bench::TimeMs([&] { kip::PlanCommit(kip::ReadCommitSetting(request, environment)); }));
    rows = content.lines.size();
    changed = 0;
    for (const kip::PreviewLine& line : content.lines) changed += line.changed ? 1 : 0;
  }
  const double whole = kip::bench::Median(data) + kip::bench::Median(window);
  report.Ratio(L"preview_16cards", L"preview on screen", whole, L"the plan alone", kip::bench::Median(plan));
  report.Note(L"request to the dialog on the screen: median " + Ms(whole) + L" (plan, live read and difference " +
              Ms(kip::bench::Median(data)) + L", dialog made, filled and painted " + Ms(kip::bench::Median(window)) +
              L"); " + std::to_wstring(rows) + L" lines, " + std::to_wstring(changed) + L" changed");
}

// The same preview with IPv6 on every card (three more rows a card, one
// listing of the adapters), against the IPv4-only one, measured alternately.
KIP_BENCHMARK(preview_16cards_ipv6) {
  RegistryScratch registry;
  const kip::StringList ids = CardIds(16);
  SeedSetting(L"ipv4", ids);
  SeedSetting(L"ipv6", ids, true);
  SeedLiveCards(ids);
  const kip::CommitEnvironment environment = Environment(kip::GetTempFolder());
  kip::UniqueHFont font = kip::win::CreateUiFont(kip::win::ScreenDpi());
  const Owner owner(font.get());
  const kip::CommitRequest withIpv6 = RequestFor(L"ipv6", ids), ipv4Only = RequestFor(L"ipv4", ids);
  const auto onScreen = [&](const kip::CommitRequest& request) {
    kip::PreviewContent content;
    const double data = kip::bench::TimeMs([&] { content = PreviewContentFor(request, environment); });
    return data + PreviewWindowMs(content, font.get(), owner);
  };
  std::vector<double> a, b;
  for (int i = 0; i < report.options().runs; ++i) {
    a.push_back(onScreen(withIpv6));
    b.push_back(onScreen(ipv4Only));
  }
  report.Ratio(L"preview_16cards_ipv6", L"IPv6 on every card", kip::bench::Median(a), L"IPv4 only",
               kip::bench::Median(b));
}

KIP_BENCHMARK(return_16cards) {
  SetEnvironmentVariableW(L"KIP_STUB_LOG", nullptr);
  RegistryScratch registry;
  const kip::StringList ids = CardIds(16);
  SeedSetting(L"bench16", ids);
  SeedLiveCards(ids);
  const std::wstring folder = kip::GetTempFolder() + L"kip-bench-return\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  const kip::CommitEnvironment environment = Environment(folder);
  const kip::CommitSetting setting = kip::ReadCommitSetting(RequestFor(L"bench16", ids), environment);
  const kip::CommitPlan plan = kip::PlanCommit(setting);
  const kip::LiveState live = kip::ReadLiveState(setting, folder);

  std::vector<std::wstring> children;
  const std::vector<double> runs = [&] {
    std::vector<double> times;
    for (int i = 0; i < std::max(3, report.options().runs / 4); ++i) {
      kip::DeleteReturnSnapshot(L"1-1");
      kip::SaveReturnSnapshot(L"1-1", kip::SnapshotOf(live, setting, plan, L""));
      times.push_back(kip::bench::TimeMs([&] {
        const std::optional<kip::ReturnTicket> ticket = kip::LoadReturnTicket(L"1-1");
        if (ticket) kip::CommitWayBack(kip::ReadWayBack(L"1-1", *ticket, environment), environment);
      }));
    }
    return times;
  }();
  const kip::CommitSetting back =
      kip::ReadCommitSetting({0, kip::ReturnSnapshotName(L"1-1"), 16, ids, 6, 1}, environment);
  for (const kip::PlannedChild& child : kip::ChildrenInOrder(kip::PlanCommit(back))) children.push_back(child.commandLine);
  std::vector<double> bare;
  for (size_t i = 0; i < runs.size(); ++i) {
    bare.push_back(kip::bench::TimeMs([&] {
      for (const std::wstring& child : children) kip::bench::RunBare(child);
    }));
  }
  report.Ratio(L"return_16cards", L"the way back", kip::bench::Median(runs), L"its children alone",
               kip::bench::Median(bare));
  report.Note(L"from the time-out to the former state committed: median " + Ms(kip::bench::Median(runs)) + L", " +
              std::to_wstring(children.size()) + L" children");
  kip::DeleteReturnSnapshot(L"1-1");
  for (const wchar_t* name : {kip::kScriptFileName, L"kIpCnfg.log"}) DeleteFileW((folder + name).c_str());
  RemoveDirectoryW(folder.c_str());
}
