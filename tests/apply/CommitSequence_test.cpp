// The commit sequence with the recording stand-ins for netsh, net, arp,
// nbtstat and ipconfig: which children run, in which order, with which
// command lines, what the window is asked to do, and what the commit log
// holds.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "apply/CommitSequence.h"
#include "store/StoreKeys.h"
#include "support/RegistrySandbox.h"
#include "util/Files.h"
#include "util/Process.h"

namespace kip {
namespace {

const StringList kCardIds = {L"{00000001-0000-0000-0000-4E6574446576}", L"{00000002-0000-0000-0000-4E6574446576}",
                             L"{00000003-0000-0000-0000-4E6574446576}"};
const StringList kCurrentAddresses = {L"10.1.0.1", L"", L"10.1.0.3"};
const std::map<std::wstring, std::wstring> kConnectionNames = {
    {kCardIds[0], L"A"}, {kCardIds[1], L"B"}, {kCardIds[2], L"C"}};

// The window: records what it is asked and gives each card a gateway of
// its own.
class RecordingWindow : public CommitWindow {
 public:
  void LoadCard(int index) override {
    calls.push_back("load " + std::to_string(index));
    loaded_ = index;
  }
  NetshCardInput LoadedCardValues() override { return CardValues(loaded_); }
  void WriteLiveDomainValues(const std::wstring& cardId) override { calls.push_back("domain values " + ToUtf8(cardId)); }
  void CommitFirewall() override { calls.push_back("firewall"); }
  void ChangeDomain() override { calls.push_back("domain"); }

  static NetshCardInput CardValues(int index) {
    NetshCardInput card;
    card.dhcp = true;
    card.dnsAutomatic = true;
    card.gateways = {{L"10.0.0." + std::to_wstring(index + 1), L""}};
    return card;
  }

  std::vector<std::string> calls;

 private:
  int loaded_ = -1;
};

class SilentAnnouncer : public SettingsAnnouncer {
 public:
  void InternetSettingsChanged() override {}
  void BroadcastIniChange() override {}
};

// The real runners, except that the programs named here cannot be started.
class PartlyFailingRunner : public CommandRunner {
 public:
  explicit PartlyFailingRunner(std::wstring failing) : failing_(std::move(failing)) {}
  bool RunAndWait(const std::wstring& line, int show) override {
    return Fails(line) ? false : SystemCommandRunner().RunAndWait(line, show);
  }
  bool RunCaptured(const std::wstring& line, const std::wstring& output) override {
    return Fails(line) ? false : SystemCommandRunner().RunCaptured(line, output);
  }
  bool Start(const std::wstring& line) override { return Fails(line) ? false : SystemCommandRunner().Start(line); }

 private:
  bool Fails(const std::wstring& line) {
    if (failing_.empty() || !StartsWith(line, failing_)) return false;
    SetLastError(ERROR_FILE_NOT_FOUND);
    return true;
  }
  std::wstring failing_;
};

// One entry per child the stand-ins saw: program name and its arguments,
// and the script netsh was given.
struct StandInLog {
  std::vector<std::string> commands;
  std::string script;
};

// The command line without its first token (the program, maybe quoted).
std::string Arguments(const std::string& commandLine) {
  size_t end = commandLine[0] == '"' ? commandLine.find('"', 1) + 1 : commandLine.find(' ');
  return end == std::string::npos || end >= commandLine.size() ? std::string() : commandLine.substr(end + 1);
}

StandInLog ReadStandInLog(const std::wstring& path) {
  StandInLog log;
  std::string text = ReadWholeFile(path);
  const std::string scriptStart = "--- script ---\n", scriptEnd = "\n--- end ---\n";
  size_t pos = 0;
  while (pos < text.size()) {
    if (text.compare(pos, scriptStart.size(), scriptStart) == 0) {
      size_t end = text.find(scriptEnd, pos);
      log.script = text.substr(pos + scriptStart.size(), end - pos - scriptStart.size());
      pos = end + scriptEnd.size();
      continue;
    }
    size_t eol = text.find('\n', pos);
    std::string line = text.substr(pos, eol - pos);
    size_t tab = line.find('\t');
    log.commands.push_back(line.substr(0, tab) + " " + Arguments(line.substr(tab + 1)));
    pos = eol + 1;
  }
  return log;
}

class CommitSequenceTest : public RegistryTest {
 protected:
  CommitSequenceTest() {
    static int counter = 0;
    root_ = GetTempFolder() + L"kip-commit-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter) + L"\\";
    // The program's folder has a blank in its name, and a program stands where
    // an unquoted batch path would start it instead of the batch file.
    folder_ = root_ + L"prog dir\\";
    std::filesystem::create_directories(folder_ + L"sys\\drivers\\etc");
    CopyFileW((ProgramFolder() + L"arp.exe").c_str(), (root_ + L"prog.exe").c_str(), FALSE);
    standInLog_ = folder_ + L"stand-ins.log";
    SetEnvironmentVariableW(L"KIP_STUB_LOG", standInLog_.c_str());

    env.programFolder = folder_;
    env.tempFolder = folder_;
    env.systemFolder = folder_ + L"sys\\";
    env.commitLogPath = folder_ + L"kIpCnfg.log";
    env.batchShowCommand = SW_HIDE;
    env.readMajorVersion = [this] { return major; };
    env.connectionName = [](const std::wstring& id) { return kConnectionNames.at(id); };
    env.currentAddresses = [](const StringList& ids) {
      EXPECT_EQ(ids, kCardIds);
      return kCurrentAddresses;
    };
    env.setComputerName = [this](const std::wstring& name) { computerNames.push_back(name); };
    env.announcer = &announcer_;
    env.runner = &SystemCommandRunner();

    inputs.settingIndex = 4;
    inputs.settingName = L"Office/2";
    inputs.cardCount = 3;
    inputs.cardIds = kCardIds;
    inputs.selectedCard = 1;
    inputs.tcpip.hostName = L"PC1";
  }
  ~CommitSequenceTest() override {
    SetEnvironmentVariableW(L"KIP_STUB_LOG", nullptr);
    SetEnvironmentVariableW(L"KIP_STUB_STDOUT_BYTES", nullptr);
    // The after-batch may still be closing.
    std::error_code error;
    for (int attempt = 0; attempt < 20 && std::filesystem::remove_all(root_, error) == static_cast<uintmax_t>(-1);
         ++attempt) {
      Sleep(100);
    }
  }

  // Batch files that call a stand-in, so that they show up in its log.
  void WriteBatchFiles() {
    const std::wstring safe = MakeSafeFileName(inputs.settingName);
    WriteWholeFile(folder_ + safe + L"_b.bat", ToAnsi(L"@\"" + ProgramFolder() + L"netsh.exe\" before\r\n"));
    WriteWholeFile(folder_ + safe + L"_a.bat", ToAnsi(L"@\"" + ProgramFolder() + L"ipconfig.exe\" after\r\n"));
  }

  // Waits (at most 20 s) until the started after-batch has reached its stand-in.
  StandInLog WaitForStandIns(const std::string& lastCommand) {
    for (int i = 0; i < 200; ++i) {
      StandInLog log = ReadStandInLog(standInLog_);
      if (lastCommand.empty() || (!log.commands.empty() && log.commands.back() == lastCommand)) return log;
      WaitWithMessages({}, 100);
    }
    return ReadStandInLog(standInLog_);
  }

  std::string ScriptCommand() const { return "netsh exec \"" + ToUtf8(folder_) + "kipconfig.sh\""; }

  CommitEnvironment env;
  CommitInputs inputs;
  RecordingWindow window;
  DWORD major = 6;
  StringList computerNames;
  std::wstring root_;
  std::wstring folder_;
  std::wstring standInLog_;

 private:
  SilentAnnouncer announcer_;
};

struct SequenceCase {
  const char* name;
  DWORD major, minor;
  bool batches;
  bool tempWritable;
};

void PrintTo(const SequenceCase& c, std::ostream* os) { *os << c.name; }

class CommitSequenceOrder : public CommitSequenceTest, public ::testing::WithParamInterface<SequenceCase> {};

TEST_P(CommitSequenceOrder, RunsTheChildrenAndWindowStepsInOrder) {
  const SequenceCase& c = GetParam();
  major = c.major;
  inputs.scriptWindows = ClassifyWindows(c.major, c.minor);
  if (c.batches) WriteBatchFiles();
  if (!c.tempWritable) env.tempFolder = folder_ + L"missing\\";
  WriteWholeFile(env.commitLogPath, "a previous commit's log");

  const CommitResult result = RunCommitSequence(inputs, window, env);

  std::vector<std::string> expected, calls{"firewall"};
  if (c.batches) expected.push_back("netsh before");
  if (c.tempWritable) {
    expected.insert(expected.end(), {"net start \"Remote Registry Service\" > nul", "net start \"DHCP Client\"",
                                     ScriptCommand(), "arp -d *", "nbtstat -R", "nbtstat -RR"});
    for (int i = 0; i < 3; ++i) {
      calls.push_back("load " + std::to_string(i));
      calls.push_back("domain values " + ToUtf8(kCardIds[i]));
    }
  }
  if (c.major >= 6) {
    for (const char* state : {"DISABLED", "ENABLED"}) {
      for (const char* name : {"A", "B", "C"}) {
        expected.push_back(std::string("netsh interface set interface name=\"") + name + "\" admin=" + state);
      }
      calls.insert(calls.end(), {"load 0", "load 1", "load 2"});
    }
  }
  expected.push_back("ipconfig /flushdns");
  if (c.batches) expected.push_back("ipconfig after");
  calls.insert(calls.end(), {"load 1", "domain"});

  const StandInLog log = WaitForStandIns(c.batches ? "ipconfig after" : "");
  EXPECT_EQ(log.commands, expected);
  EXPECT_EQ(window.calls, calls);
  EXPECT_TRUE(result.notStarted.empty());
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kStoreRootKey, L"Setting Index"), 4u);
  EXPECT_EQ(computerNames, StringList{L"PC1"});
  if (c.tempWritable) {
    std::vector<NetshCardInput> cards;
    for (int i = 0; i < 3; ++i) {
      cards.push_back(RecordingWindow::CardValues(i));
      cards.back().cardId = kCardIds[i];
      cards.back().connectionName = kConnectionNames.at(kCardIds[i]);
      cards.back().currentAddress = kCurrentAddresses[i];
    }
    EXPECT_EQ(log.script, NetshScriptBytes(BuildNetshScript(inputs.scriptWindows, cards, FitsAnsiCodePage)));
    EXPECT_EQ(ReadWholeFile(env.commitLogPath), "stub netsh: ok\r\nstub netsh: last line\r\n");
  } else {
    EXPECT_EQ(ReadWholeFile(env.commitLogPath), "");  // never a previous commit's log
  }
}

const SequenceCase kSequenceCases[] = {
    {"Version6WithBatchFiles", 6, 1, true, true},
    {"XPClassWithBatchFiles", 5, 1, true, true},
    {"Version6UnwritableTempNoBatchFiles", 10, 0, false, false},
};

INSTANTIATE_TEST_SUITE_P(Cases, CommitSequenceOrder, ::testing::ValuesIn(kSequenceCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CommitSequenceTest, LogHoldsNetshOutputAndTheCommandsThatCouldNotStart) {
  major = 5;
  inputs.scriptWindows = WindowsClass::XPClass;
  inputs.tcpip.hostName = L" ";
  const std::wstring hosts = folder_ + L"hosts.office";
  WriteWholeFile(hosts, "10.0.0.9 files\r\n");
  inputs.hostsFile = hosts;
  SetEnvironmentVariableW(L"KIP_STUB_STDOUT_BYTES", L"300000");
  PartlyFailingRunner runner(L"nbtstat");
  env.runner = &runner;

  const CommitResult result = RunCommitSequence(inputs, window, env);

  ASSERT_EQ(result.notStarted.size(), 2u);
  EXPECT_EQ(result.notStarted[0].commandLine, L"nbtstat -R");
  EXPECT_EQ(result.notStarted[1].error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(NotStartedStatusText(result), L"起動できなかったコマンド: nbtstat -R, nbtstat -RR");
  const std::string logText = ReadWholeFile(env.commitLogPath);
  const std::string netshOutput = "stub netsh: ok\r\n";
  EXPECT_EQ(logText.compare(0, netshOutput.size(), netshOutput), 0);
  const std::string netshEnd = "stub netsh: last line\r\n";
  const size_t end = logText.find(netshEnd);
  ASSERT_NE(end, std::string::npos);
  EXPECT_EQ(end, netshOutput.size() + 300000);
  EXPECT_EQ(FromAnsi(logText.substr(end + netshEnd.size())),
            L"起動できませんでした: nbtstat -R (" + SystemErrorText(ERROR_FILE_NOT_FOUND) +
                L")\r\n起動できませんでした: nbtstat -RR (" + SystemErrorText(ERROR_FILE_NOT_FOUND) + L")\r\n");
  EXPECT_TRUE(computerNames.empty());  // Windows refuses a blank name
  EXPECT_EQ(ReadWholeFile(folder_ + L"sys\\drivers\\etc\\hosts"), "10.0.0.9 files\r\n");
  EXPECT_EQ(ReadStandInLog(standInLog_).commands.back(), "ipconfig /flushdns");
}

}  // namespace
}  // namespace kip
