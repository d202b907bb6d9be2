// The commit sequence carrying out a plan, with the recording stand-ins for
// netsh, net, arp, nbtstat and ipconfig: which children run, in which
// order, with which command lines, and what the commit log holds.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "apply/CommitPlan.h"
#include "apply/CommitSequence.h"
#include "machine/TcpipValues.h"
#include "store/BatchFiles.h"
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

// Each card on DHCP with automatic DNS and a gateway of its own.
CardPart CardValues(int index) {
  CardPart part;
  part.tcpip.enableDhcp = true;
  part.tcpip.nameServers = StringList{};
  part.tcpip.gateways = {L"10.0.0." + std::to_wstring(index + 1)};
  part.tcpip.gatewayMetrics = {L""};
  part.tcpip.domain = L"corp" + std::to_wstring(index);
  return part;
}

class RecordingUser : public CommitUser {
 public:
  void ChangeDomain(const DomainChoice&) override { calls.push_back("domain"); }
  void StepEnded(CommitStep step, bool succeeded) override {
    if (!succeeded) failedSteps.push_back(step);
  }
  void StepNote(CommitStep, const std::wstring& text, const std::wstring&) override { told.push_back(text); }
  std::vector<std::string> calls;
  std::vector<CommitStep> failedSteps;
  StringList told;
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
    env.setComputerName = [this](const std::wstring& name) { return computerNames.push_back(name), true; };
    env.announcer = &announcer_;
    env.runner = &SystemCommandRunner();

    setting.settingIndex = 4;
    setting.settingName = L"Office/2";
    for (int i = 0; i < 3; ++i) {
      setting.cards.push_back({kCardIds[i], kConnectionNames.at(kCardIds[i]), kCurrentAddresses[i], CardValues(i)});
    }
    setting.machineWide.machineName = L"PC1";
    setting.machineWide.domain.change = true;
  }
  // The plan of the setting as it stands, with the folders of the test.
  CommitPlan Plan() {
    setting.commitMajorVersion = major;
    setting.scriptPath = env.tempFolder + kScriptFileName;
    const BatchFilePaths batches = BatchFilesOf(setting.settingName, folder_);
    if (FileExists(batches.before)) setting.beforeBatchPath = batches.before;
    if (FileExists(batches.after)) setting.afterBatchPath = batches.after;
    return PlanCommit(setting);
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
    const std::wstring safe = MakeSafeFileName(setting.settingName);
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
  CommitSetting setting;
  RecordingUser user;
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
  setting.scriptWindows = ClassifyWindows(c.major, c.minor);
  if (c.batches) WriteBatchFiles();
  if (!c.tempWritable) env.tempFolder = folder_ + L"missing\\";
  WriteWholeFile(env.commitLogPath, "a previous commit's log");
  // One card has an interface key: its connection suffix is written there.
  CreateKey(HKEY_LOCAL_MACHINE, TcpipInterfaceKey(kCardIds[1]));

  const CommitPlan plan = Plan();
  const CommitResult result = RunCommitPlan(plan, user, env);

  std::vector<std::string> expected;
  if (c.batches) expected.push_back("netsh before");
  if (c.tempWritable) {
    expected.insert(expected.end(), {"net start RemoteRegistry", "net start Dhcp",
                                     ScriptCommand(), "arp -d *", "nbtstat -R", "nbtstat -RR"});
  }
  if (c.major >= 6) {
    for (const char* state : {"DISABLED", "ENABLED"}) {
      for (const char* name : {"A", "B", "C"}) {
        expected.push_back(std::string("netsh interface set interface name=\"") + name + "\" admin=" + state);
      }
    }
  }
  expected.push_back("ipconfig /flushdns");
  if (c.batches) expected.push_back("ipconfig after");

  const StandInLog log = WaitForStandIns(c.batches ? "ipconfig after" : "");
  EXPECT_EQ(log.commands, expected);
  EXPECT_EQ(user.calls, std::vector<std::string>{"domain"});
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, TcpipInterfaceKey(kCardIds[1]), L"Domain"), L"corp1");
  // Without its script file nothing of the script's part ran, and every
  // step and command of it says so: never "committed".
  StringList notStarted;
  for (const NotStartedCommand& command : result.notStarted) notStarted.push_back(command.commandLine);
  if (c.tempWritable) {
    EXPECT_TRUE(notStarted.empty());
    EXPECT_TRUE(user.failedSteps.empty());
  } else {
    EXPECT_EQ(notStarted, (StringList{L"net start RemoteRegistry", L"net start Dhcp",
                                      L"netsh exec \"" + env.tempFolder + L"kipconfig.sh\"", L"arp -d *",
                                      L"nbtstat -R", L"nbtstat -RR"}));
    EXPECT_EQ(user.failedSteps, (std::vector<CommitStep>{CommitStep::Script, CommitStep::Services, CommitStep::Netsh,
                                                         CommitStep::Caches}));
    EXPECT_EQ(result.notStarted[2].error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  }
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kStoreRootKey, L"Setting Index"), 4u);
  EXPECT_EQ(computerNames, StringList{L"PC1"});
  if (c.tempWritable) {
    EXPECT_EQ(log.script, NetshScriptBytes(plan.script));
    EXPECT_NE(plan.script.find(L"10.0.0.3"), std::wstring::npos);  // the third card's own gateway
    EXPECT_EQ(ReadWholeFile(env.commitLogPath), "stub netsh: ok\r\nstub netsh: last line\r\n");
  } else {
    // Never a previous commit's log: what could not start, and why.
    const std::wstring logText = FromAnsi(ReadWholeFile(env.commitLogPath));
    EXPECT_EQ(logText.find(L"a previous"), std::wstring::npos);
    EXPECT_NE(logText.find(L"起動できませんでした: netsh exec \"" + env.tempFolder + L"kipconfig.sh\" ("), std::wstring::npos);
  }
}

const SequenceCase kSequenceCases[] = {
    {"Version6WithBatchFiles", 6, 1, true, true},
    {"XPClassWithBatchFiles", 5, 1, true, true},
    {"Version6UnwritableTempNoBatchFiles", 10, 0, false, false},
};

INSTANTIATE_TEST_SUITE_P(Cases, CommitSequenceOrder, ::testing::ValuesIn(kSequenceCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A commit log another process holds without sharing never stops the
// commit: netsh's answers go to a fresh file in the working folder, a line
// says where, and the script is gone afterwards.
TEST_F(CommitSequenceTest, AHeldCommitLogMovesTheAnswersToAFreshFile) {
  env.tempFolder = folder_ + L"work\\";
  env.removeScriptAfterRun = true;
  std::filesystem::create_directories(env.tempFolder);
  WriteWholeFile(env.commitLogPath, "held");
  UniqueFileHandle holder(CreateFileW(env.commitLogPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(holder);

  const CommitResult result = RunCommitPlan(Plan(), user, env);

  EXPECT_TRUE(result.notStarted.empty());
  ASSERT_EQ(user.told.size(), 1u);
  const size_t at = user.told[0].find(env.tempFolder);
  ASSERT_NE(at, std::wstring::npos) << ToUtf8(user.told[0]);
  const std::wstring fresh = user.told[0].substr(at, user.told[0].find(L" に書きました") - at);
  EXPECT_EQ(ReadWholeFile(fresh), "stub netsh: ok\r\nstub netsh: last line\r\n");
  holder = {};
  EXPECT_EQ(ReadWholeFile(env.commitLogPath), "held");
  EXPECT_FALSE(FileExists(env.tempFolder + kScriptFileName));
}

TEST_F(CommitSequenceTest, LogHoldsNetshOutputAndTheCommandsThatCouldNotStart) {
  major = 5;
  setting.scriptWindows = WindowsClass::XPClass;
  setting.machineWide.machineName = L" ";
  const std::wstring hosts = folder_ + L"hosts.office";
  WriteWholeFile(hosts, "10.0.0.9 files\r\n");
  setting.machineWide.hostsFile = hosts;
  SetEnvironmentVariableW(L"KIP_STUB_STDOUT_BYTES", L"300000");
  PartlyFailingRunner runner(L"nbtstat");
  env.runner = &runner;

  const CommitResult result = RunCommitPlan(Plan(), user, env);

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

// The command interpreter expands "%...%" in a command line: a setting named
// like a variable must still run its own batch files.
TEST_F(CommitSequenceTest, BatchFilesOfANameWithPercentSignsRun) {
  for (const wchar_t* name : {L"%TEMP%x", L"50% off"}) {
    SCOPED_TRACE(ToUtf8(name));
    DeleteFileW(standInLog_.c_str());
    setting.settingName = name;
    WriteBatchFiles();
    RunCommitPlan(Plan(), user, env);
    const StandInLog log = WaitForStandIns("ipconfig after");
    ASSERT_FALSE(log.commands.empty());
    EXPECT_EQ(log.commands.front(), "netsh before");
    EXPECT_EQ(log.commands.back(), "ipconfig after");
  }
}

}  // namespace
}  // namespace kip
