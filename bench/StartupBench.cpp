// Start-up of the program to an idle main window and its close (a command
// line naming a setting that does not exist does exactly that), against a
// window with the same controls that does nothing else; with the store of a
// first run and with one of 500 settings of 16 cards each.
#include <string>
#include <vector>

#include "Bench.h"
#include "store/StoreKeys.h"
#include "util/kRegistry.h"
#include "util/Files.h"
#include "util/UniqueHandle.h"

namespace {

void RunToEnd(const std::wstring& commandLine, const std::wstring& folder) {
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &info)) {
    return;
  }
  kip::ProcessInfo process(info);
  WaitForSingleObject(process.process(), INFINITE);
}

std::wstring CardId(int card) {
  wchar_t text[64];
  swprintf(text, 64, L"{%08X-0000-0000-0000-4E6574446576}", card + 0x100);
  return text;
}

// 500 settings of 16 cards each, with the values a saved setting holds.
void SeedLargeStore() {
  kip::TkRegistry registry(HKEY_LOCAL_MACHINE);
  for (int setting = 0; setting < 500; ++setting) {
    std::wstring key = std::wstring(kip::kStoreRootKey) + L"\\設定 " + std::to_wstring(setting);
    registry.OpenKey(key, true);
    registry.WriteString(L"Hosts File", L"");
    registry.WriteInteger(L"ProxyEnable", 1);
    registry.WriteString(L"ProxyServer", L"proxy.example.co.jp");
    registry.WriteString(L"Machine Name", L"PC");
    registry.WriteString(L"SearchList", L"a.example,b.example");
    for (int card = 0; card < 16; ++card) {
      registry.OpenKey(key + L"\\" + CardId(card), true);
      registry.WriteString(L"Description", L"LAN " + std::to_wstring(card));
      registry.WriteInteger(L"EnableDHCP", 0);
      registry.WriteStringList(L"IPAddress", {L"192.168.1.10", L"192.168.1.11"});
      registry.WriteStringList(L"SubnetMask", {L"255.255.255.0", L"255.255.255.0"});
      registry.WriteStringList(L"DefaultGateway", {L"192.168.1.1"});
      registry.WriteStringList(L"DefaultGatewayMetric", {L"1"});
      registry.WriteString(L"NameServer", L"192.168.1.2,192.168.1.3");
      registry.WriteStringList(L"NameServerList", {L"192.168.1.5"});
    }
  }
}

void Compare(kip::bench::Reporter& report, const std::wstring& name) {
  const std::wstring folder = kip::ProgramFolder();
  const std::wstring program = L"\"" + folder + L"..\\..\\bin\\kIpCnfg.exe\" \"kip-bench-no-such-setting\"";
  const std::wstring floor = L"\"" + folder + L"kip_floor.exe\"";
  auto [started, bare] = kip::bench::MedianPair(
      report.options().runs, [&] { RunToEnd(program, folder); }, [&] { RunToEnd(floor, folder); });
  report.Ratio(name, L"program", started, L"floor window", bare);
}

}  // namespace

KIP_BENCHMARK(startup) {
  Compare(report, L"startup");
  SeedLargeStore();
  Compare(report, L"startup_500x16");
  kip::TkRegistry(HKEY_LOCAL_MACHINE).DeleteKey(kip::kStoreRootKey);
}
