#include "support/CommitCorpus.h"

#include <fstream>
#include <random>
#include <sstream>

#include "store/StoreKeys.h"
#include "apply/CommitPlan.h"
#include "apply/CommitSource.h"
#include "support/RegistrySandbox.h"
#include "support/ScratchFolder.h"
#include "util/Files.h"

namespace kip::corpus {

namespace {

std::wstring CardId(int n) {
  wchar_t id[64];
  swprintf(id, 64, L"{%08X-0000-0000-0000-4E6574446576}", n);
  return id;
}

// A card on DHCP with automatic DNS and nothing else set, every value stored.
CardSeed DhcpCard(std::wstring id, std::wstring connectionName) {
  CardSeed card;
  card.id = std::move(id);
  card.connectionName = std::move(connectionName);
  card.enableDhcp = 1;
  card.ipAddresses = card.subnetMasks = StringList{L"0.0.0.0"};
  card.gateways = card.gatewayMetrics = card.winsServers = StringList{};
  card.nameServer = TextValue{L""};
  card.domain = L"";
  card.registration = 1;
  card.adapterName = 0;
  return card;
}

CaseSeed OneCardCase(int number, std::wstring description, std::wstring settingName, CardSeed card) {
  CaseSeed c;
  c.number = number;
  c.description = std::move(description);
  c.settingName = std::move(settingName);
  c.cards.push_back(std::move(card));
  return c;
}

// Worked example 1: XP class, fixed addresses, two DNS servers, one flag.
CaseSeed WorkedExample1(int number, DWORD major, DWORD minor) {
  CardSeed card = DhcpCard(CardId(1), L"LAN");
  card.currentAddress = L"192.168.1.10";
  card.enableDhcp = 0;
  card.ipAddresses = StringList{L"192.168.1.10", L"192.168.1.11"};
  card.subnetMasks = StringList{L"255.255.255.0", L"255.255.255.0"};
  card.gateways = StringList{L"192.168.1.1"};
  card.gatewayMetrics = StringList{L""};
  card.nameServer = TextValue{L"192.168.1.2,192.168.1.3"};
  CaseSeed c = OneCardCase(number, L"worked example 1", L"例1", std::move(card));
  c.major = major;
  c.minor = minor;
  return c;
}

// Worked example 2: version 6, DHCP, two gateways, automatic DNS, two WINS.
CaseSeed WorkedExample2(int number) {
  CardSeed card = DhcpCard(CardId(1), L"LAN");
  card.currentAddress = L"192.168.1.10";
  card.gateways = StringList{L"192.168.1.1", L"192.168.1.254"};
  card.gatewayMetrics = StringList{L"1", L"20"};
  card.winsServers = StringList{L"192.168.1.5", L"192.168.1.6"};
  return OneCardCase(number, L"worked example 2", L"例2", std::move(card));
}

// The demo machine's two settings over three cards, as the end-to-end runs
// seed them: the second card fixed in the office, every other card DHCP.
CaseSeed DemoSetting(int number, bool office) {
  CaseSeed c;
  c.number = number;
  c.description = office ? L"end-to-end store, office" : L"end-to-end store, home";
  c.settingName = office ? L"会社" : L"自宅";
  c.selectedCard = 0;
  for (int i = 0; i < 3; ++i) {
    CardSeed card = DhcpCard(CardId(i + 2), i == 0 ? L"ローカル エリア接続" : L"ローカル エリア接続 " + std::to_wstring(i + 1));
    if (i == 1 && office) {
      card.enableDhcp = 0;
      card.ipAddresses = StringList{L"192.168.10.20", L"192.168.10.21"};
      card.subnetMasks = StringList{L"255.255.255.0", L"255.255.255.0"};
      card.gateways = StringList{L"192.168.10.1", L"192.168.10.254"};
      card.gatewayMetrics = StringList{L"1", L"10"};
      card.nameServer = TextValue{L"192.168.10.1,192.168.10.2"};
      card.domain = L"corp.example.co.jp";
      card.adapterName = 1;
      card.winsServers = StringList{L"192.168.10.5", L"192.168.10.6"};
    }
    c.cards.push_back(std::move(card));
  }
  return c;
}

class Generator {
 public:
  explicit Generator(unsigned seed) : random_(seed) {}

  CaseSeed Case(int number) {
    static const std::pair<DWORD, DWORD> kVersions[] = {{4, 0}, {5, 0}, {5, 1}, {5, 2}, {6, 0}, {6, 1}, {10, 0}};
    static const wchar_t* kNames[] = {L"会社", L"自宅", L"客先 A", L"lab:1", L"Branch"};
    CaseSeed c;
    c.number = number;
    c.description = L"generated";
    auto [major, minor] = kVersions[Pick(std::size(kVersions))];
    c.major = major;
    c.minor = minor;
    c.settingName = kNames[Pick(std::size(kNames))];
    const int cards = 1 + static_cast<int>(Pick(4));
    for (int i = 0; i < cards; ++i) c.cards.push_back(Card(i));
    c.selectedCard = static_cast<int>(Pick(static_cast<unsigned>(cards)));
    c.beforeBatch = Chance(30);
    c.afterBatch = Chance(30);
    return c;
  }

 private:
  unsigned Pick(size_t n) { return static_cast<unsigned>(random_() % n); }
  bool Chance(unsigned percent) { return Pick(100) < percent; }
  template <typename T, size_t N>
  T From(const T (&pool)[N]) {
    return pool[Pick(N)];
  }

  StringList List(const wchar_t* const* pool, size_t poolSize, size_t maxCount) {
    StringList list;
    const size_t count = Pick(maxCount + 1);
    for (size_t i = 0; i < count; ++i) list.push_back(pool[Pick(poolSize)]);
    return list;
  }

  std::optional<StringList> MaybeList(const wchar_t* const* pool, size_t poolSize, size_t maxCount) {
    if (Chance(8)) return std::nullopt;
    return List(pool, poolSize, maxCount);
  }

  CardSeed Card(int index) {
    static const wchar_t* kAddresses[] = {L"192.168.1.10", L"192.168.1.11", L"10.0.0.5", L"172.16.0.9",
                                          L"",             L"0.0.0.0",      L"  ",       L" 10.0.0.6 "};
    static const wchar_t* kMasks[] = {L"255.255.255.0", L"255.255.0.0", L"", L"0.0.0.0", L"255.0.0.0"};
    static const wchar_t* kGateways[] = {L"192.168.1.1", L"192.168.1.254", L"10.0.0.1", L"", L" "};
    static const wchar_t* kMetrics[] = {L"1", L"20", L" 05", L"0", L"x", L"", L"99999999999"};
    static const wchar_t* kDns[] = {L"192.168.1.2,192.168.1.3", L"", L"10.0.0.53", L",10.0.0.54",
                                    L"10.0.0.53,,10.0.0.55",  L"8.8.8.8,8.8.4.4,1.1.1.1", L"10.0.0.53, "};
    static const wchar_t* kDomains[] = {L"", L"corp.example.co.jp", L"社内.example", L" lab.local "};
    static const wchar_t* kWins[] = {L"10.1.1.5", L"10.1.1.6", L"", L"  ", L"10.1.1.7"};
    static const wchar_t* kConnections[] = {L"ローカル エリア接続", L"LAN 2", L"", L"Wi-Fi \"x\"", L"イーサネット"};
    static const wchar_t* kCurrent[] = {L"", L"192.168.1.10", L"10.0.0.5"};
    static const DWORD kFlags[] = {0, 1, 257, 256};

    CardSeed card;
    card.id = CardId(index + 1);
    card.connectionName = From(kConnections);
    card.currentAddress = From(kCurrent);
    const unsigned source = Pick(100);
    card.source = source < 75 ? CardSeed::Source::Stored
                              : (source < 95 ? CardSeed::Source::Live : CardSeed::Source::Neither);
    if (!Chance(5)) card.enableDhcp = Chance(40) ? From(kFlags) : (Chance(50) ? 1u : 0u);
    card.ipAddresses = MaybeList(kAddresses, std::size(kAddresses), 4);
    card.subnetMasks = MaybeList(kMasks, std::size(kMasks), 4);
    card.gateways = MaybeList(kGateways, std::size(kGateways), 3);
    card.gatewayMetrics = MaybeList(kMetrics, std::size(kMetrics), 3);
    if (!Chance(8)) card.nameServer = TextValue{From(kDns), Chance(6)};
    if (!Chance(6)) card.domain = From(kDomains);
    if (!Chance(6)) card.registration = From(kFlags);
    if (!Chance(6)) card.adapterName = From(kFlags);
    card.winsServers = MaybeList(kWins, std::size(kWins), 3);
    return card;
  }

  std::mt19937 random_;
};

constexpr wchar_t kTcpipInterfaces[] = L"\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\InterFaces\\";
constexpr wchar_t kNetBTInterfaces[] = L"\\SYSTEM\\CurrentControlSet\\Services\\NetBT\\Parameters\\Interfaces\\Tcpip_";

void SeedTcpip(const std::wstring& key, const CardSeed& card, DWORD major) {
  using S = RegistrySeed;
  S::CreateKey(HKEY_LOCAL_MACHINE, key);
  if (card.enableDhcp) S::SetDword(HKEY_LOCAL_MACHINE, key, L"EnableDHCP", *card.enableDhcp);
  auto list = [&](const wchar_t* name, const std::optional<StringList>& value) {
    if (value) S::SetMultiString(HKEY_LOCAL_MACHINE, key, name, *value);
  };
  list(L"IPAddress", card.ipAddresses);
  list(L"SubnetMask", card.subnetMasks);
  list(L"DefaultGateway", card.gateways);
  list(L"DefaultGatewayMetric", card.gatewayMetrics);
  if (card.nameServer) {
    if (card.nameServer->wrongType) {
      S::SetDword(HKEY_LOCAL_MACHINE, key, L"NameServer", 7);
    } else {
      S::SetString(HKEY_LOCAL_MACHINE, key, L"NameServer", card.nameServer->text);
    }
  }
  if (card.domain) S::SetString(HKEY_LOCAL_MACHINE, key, L"Domain", *card.domain);
  const bool newer = major >= 5;
  if (card.registration) {
    S::SetDword(HKEY_LOCAL_MACHINE, key, newer ? L"RegistrationEnabled" : L"DisableDynamicUpdate", *card.registration);
  }
  if (card.adapterName) {
    S::SetDword(HKEY_LOCAL_MACHINE, key, newer ? L"RegisterAdapterName" : L"EnableAdapterDomainNameRegistration",
                *card.adapterName);
  }
}

std::string ToUtf8Line(const std::wstring& text) { return ToUtf8(text); }

std::wstring Placeholders(std::wstring text, const std::wstring& programFolder, const std::wstring& tempFolder) {
  for (const auto& [folder, name] : {std::pair{programFolder, L"<program>\\"}, std::pair{tempFolder, L"<temp>\\"}}) {
    for (size_t at; (at = text.find(folder)) != std::wstring::npos;) text.replace(at, folder.size(), name);
  }
  return text;
}

}  // namespace

RecordingRunner::RecordingRunner(std::wstring programFolder, std::wstring tempFolder)
    : programFolder_(std::move(programFolder)), tempFolder_(std::move(tempFolder)) {}

void RecordingRunner::Note(const wchar_t* kind, const std::wstring& commandLine) {
  outcome.commands.push_back(kind + (L" " + Placeholders(commandLine, programFolder_, tempFolder_)));
}

bool RecordingRunner::RunAndWait(const std::wstring& commandLine, int) {
  Note(L"W", commandLine);
  return true;
}

bool RecordingRunner::RunCaptured(const std::wstring& commandLine, const std::wstring& outputFile) {
  Note(outputFile.empty() ? L"C" : L"L", commandLine);
  if (commandLine.rfind(L"netsh exec ", 0) == 0) {
    std::wstring script = FromAnsi(ReadWholeFile(tempFolder_ + kScriptFileName));
    for (size_t at; (at = script.find(L"\r\n")) != std::wstring::npos;) script.replace(at, 2, L"\n");
    if (!script.empty() && script.back() == L'\n') script.pop_back();
    outcome.script = script;
  }
  return true;
}

bool RecordingRunner::Start(const std::wstring& commandLine) {
  Note(L"S", commandLine);
  return true;
}

CommitEnvironment CaseEnvironment(const CaseSeed& seed, const std::wstring& programFolder,
                                  const std::wstring& tempFolder, CommandRunner& runner) {
  CommitEnvironment environment = DefaultCommitEnvironment();
  environment.programFolder = programFolder;
  environment.tempFolder = tempFolder;
  // The corpus names the script as one fixed file.
  environment.scriptName = kScriptFileName;
  environment.removeScriptAfterRun = false;
  environment.systemFolder = tempFolder;
  environment.commitLogPath = programFolder + L"kIpCnfg.log";
  environment.readMajorVersion = [major = seed.major] { return major; };
  environment.connectionName = [cards = seed.cards](const std::wstring& id) {
    for (const CardSeed& card : cards) {
      if (card.id == id) return card.connectionName;
    }
    return std::wstring();
  };
  environment.currentAddresses = [cards = seed.cards](const StringList& ids) {
    StringList addresses;
    for (const std::wstring& id : ids) {
      std::wstring address;
      for (const CardSeed& card : cards) {
        if (card.id == id) address = card.currentAddress;
      }
      addresses.push_back(address);
    }
    return addresses;
  };
  environment.setComputerName = [](const std::wstring&) { return true; };
  environment.runner = &runner;
  return environment;
}

std::vector<CaseSeed> CorpusCases(int randomCount) {
  std::vector<CaseSeed> cases;
  cases.push_back(WorkedExample1(1, 5, 1));
  cases.push_back(WorkedExample2(2));
  cases.push_back(WorkedExample1(3, 5, 0));  // the Windows 2000 DNS section
  cases.push_back(DemoSetting(4, true));
  cases.push_back(DemoSetting(5, false));
  Generator generator(20261207u);
  for (int i = 0; i < randomCount; ++i) cases.push_back(generator.Case(static_cast<int>(cases.size()) + 1));
  return cases;
}

void SeedCase(const CaseSeed& seed, const std::wstring& programFolder) {
  using S = RegistrySeed;
  const std::wstring setting = std::wstring(kStoreRootKey) + L"\\" + seed.settingName;
  S::CreateKey(HKEY_LOCAL_MACHINE, setting);
  S::SetDword(HKEY_LOCAL_MACHINE, kStoreRootKey, L"Setting Index", 0);
  S::SetDword(HKEY_LOCAL_MACHINE, kStoreRootKey, L"Description Index", static_cast<DWORD>(seed.selectedCard));
  for (const CardSeed& card : seed.cards) {
    switch (card.source) {
      case CardSeed::Source::Stored:
        SeedTcpip(setting + L"\\" + card.id, card, seed.major);
        if (card.winsServers) {
          S::SetMultiString(HKEY_LOCAL_MACHINE, setting + L"\\" + card.id, L"NameServerList", *card.winsServers);
        }
        break;
      case CardSeed::Source::Live:
        SeedTcpip(kTcpipInterfaces + card.id, card, seed.major);
        if (card.winsServers) {
          S::SetMultiString(HKEY_LOCAL_MACHINE, kNetBTInterfaces + card.id, L"NameServerList", *card.winsServers);
        }
        break;
      case CardSeed::Source::Neither:
        break;
    }
  }
  const std::wstring safe = MakeSafeFileName(seed.settingName);
  if (seed.beforeBatch) WriteWholeFile(programFolder + safe + L"_b.bat", "@echo before\r\n");
  if (seed.afterBatch) WriteWholeFile(programFolder + safe + L"_a.bat", "@echo after\r\n");
}

std::vector<std::pair<int, Outcome>> ReadCorpus(const std::wstring& path) {
  std::vector<std::pair<int, Outcome>> entries;
  std::istringstream in(ReadWholeFile(path));
  std::string line;
  enum { None, Script, Commands } part = None;
  while (std::getline(in, line)) {
    if (line.rfind("=== ", 0) == 0) {
      entries.push_back({std::stoi(line.substr(4)), Outcome{}});
      part = None;
    } else if (entries.empty() || line.rfind("# ", 0) == 0) {
      continue;
    } else if (line == "script:") {
      part = Script;
    } else if (line == "commands:") {
      part = Commands;
    } else if (part == Script) {
      std::wstring& script = entries.back().second.script;
      if (!script.empty()) script += L"\n";
      script += FromUtf8(line);
    } else if (part == Commands) {
      entries.back().second.commands.push_back(FromUtf8(line));
    }
  }
  return entries;
}

std::string FormatCorpus(const std::vector<std::pair<int, Outcome>>& entries, const std::vector<CaseSeed>& seeds) {
  std::string text =
      "# The commit's golden corpus: for each case of the seeded generator in\n"
      "# tests/support/CommitCorpus.cpp, the netsh script and the child command\n"
      "# lines (W waited, C captured, L captured into the commit log, S started).\n";
  for (const auto& [number, outcome] : entries) {
    text += "=== " + std::to_string(number) + "\n";
    for (const CaseSeed& seed : seeds) {
      if (seed.number == number) text += "# " + ToUtf8Line(seed.description) + "\n";
    }
    text += "script:\n" + ToUtf8(outcome.script) + "\ncommands:\n";
    for (const std::wstring& command : outcome.commands) text += ToUtf8(command) + "\n";
  }
  return text;
}

namespace {

class NoDomainChange : public CommitUser {
 public:
  void ChangeDomain(const DomainChoice&) override {}
};

}  // namespace

Outcome CommitCase(const CaseSeed& seed) {
  test::ScratchFolder folder;
  const std::wstring program = folder / L"program\\", temp = folder / L"temp\\";
  CreateDirectoryW(program.c_str(), nullptr);
  CreateDirectoryW(temp.c_str(), nullptr);
  RegistrySeed::DeleteKey(HKEY_LOCAL_MACHINE, L"\\SOFTWARE");
  RegistrySeed::DeleteKey(HKEY_LOCAL_MACHINE, L"\\SYSTEM");
  SeedCase(seed, program);
  RecordingRunner runner(program, temp);
  const CommitEnvironment environment = CaseEnvironment(seed, program, temp, runner);
  CommitRequest request{0, seed.settingName, static_cast<int>(seed.cards.size()), {}, seed.major, seed.minor};
  for (const CardSeed& card : seed.cards) request.cardIds.push_back(card.id);
  NoDomainChange user;
  RunCommitPlan(PlanCommit(ReadCommitSetting(request, environment)), user, environment);
  return runner.outcome;
}

}  // namespace kip::corpus
