#include "apply/CommitSequence.h"

#include "apply/CommitPlan.h"
#include "apply/FirewallWriter.h"
#include "apply/LiveDomainValues.h"
#include "machine/CardList.h"
#include "machine/IPInfo.h"
#include "store/StoreKeys.h"
#include "util/kRegistry.h"
#include "util/Errors.h"
#include "util/Files.h"
#include "util/Guard.h"
#include "util/Process.h"
#include "util/WindowsVersion.h"

namespace kip {

namespace {

constexpr wchar_t kCommitSerialValue[] = L"Commit Serial";

// Appends to the file, creating it when missing; failures are dropped.
void AppendToFile(const std::wstring& path, std::string_view bytes) {
  UniqueFileHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) WriteAll(file.get(), bytes);
}

class UtilCommandRunner : public CommandRunner {
 public:
  bool RunAndWait(const std::wstring& commandLine, int showCommand) override {
    return RunCommandAndWait(commandLine, showCommand);
  }
  bool RunCaptured(const std::wstring& commandLine, const std::wstring& outputFile) override {
    CapturedRun run = RunCommandCaptured(commandLine, outputFile);
    if (run.started && !run.captured && !outputFile.empty()) {
      // It ran, but its answers are lost: the log says so instead of
      // looking like a run that printed nothing.
      AppendToFile(outputFile, ToAnsi(commandLine + L": 出力を取り込めませんでした (" +
                                      SystemErrorText(run.captureError) + L")\r\n"));
    }
    if (!run.started) SetLastError(run.error);
    return run.started;
  }
  bool Start(const std::wstring& commandLine) override { return RunCommand(commandLine); }
};

// One listing of the adapters serves every block of the script: the blocks
// are built within moments of one another, and each listing costs a few
// milliseconds. When the adapters cannot be listed (none left, for example)
// the blocks are written without the current address.
StringList CurrentAddressesOrEmpty(const StringList& cardIds) {
  StringList addresses(cardIds.size());
  RunGuarded([&] {
    const TIPInfo info;
    for (size_t i = 0; i < cardIds.size(); ++i) {
      // The last adapter of that name counts, as for a single card.
      for (const TAdapter& adapter : info.Adapters()) {
        if (adapter.AdapterName == cardIds[i]) addresses[i] = adapter.CurrentIpAddress.IpAddress;
      }
    }
  });
  return addresses;
}

class CommitRun {
 public:
  CommitRun(const CommitPlan& plan, CommitUser& user, const CommitEnvironment& environment)
      : plan_(plan), user_(user), env_(environment) {}

  CommitResult Run() {
    // A previous commit's log never stands for this one.
    WriteWholeFile(env_.commitLogPath, {});
    try {
      RunSteps();
    } catch (...) {
      RecordNotStarted();
      throw;
    }
    RecordNotStarted();
    return result_;
  }

 private:
  void RunSteps() {
    StoreSettingIndex();
    if (plan_.beforeBatch) Step(CommitStep::BeforeBatch, [&] { return RunChild(*plan_.beforeBatch); });
    Step(CommitStep::Printer, [&] { return WriteDefaultPrinter(plan_.printer), true; });
    Step(CommitStep::InternetSettings,
         [&] { return Told(CommitStep::InternetSettings, WriteInternetSettings(plan_.internet, env_.machine, *env_.announcer)); });
    Step(CommitStep::TcpipParameters, [&] { return WriteTcpipParameters(plan_.tcpip), true; });
    // Windows refuses an empty name; a blank one is not a name either.
    if (!IsBlank(plan_.tcpip.hostName)) {
      Step(CommitStep::ComputerName, [&] { return env_.setComputerName(Trim(plan_.tcpip.hostName)); });
    }
    if (!IsBlank(plan_.hostsFile)) Step(CommitStep::Hosts, [&] { return CopyHostsFile(), true; });
    if (plan_.firewall) {
      Step(CommitStep::Firewall, [&] {
        return Told(CommitStep::Firewall, WriteFirewall(plan_.firewall->page, plan_.firewall->entries,
                                                        plan_.osMajorVersion, env_.machine.openFirewall));
      });
    }
    Step(CommitStep::ConnectionSuffixes, [&] { return WriteLiveDomainValues(), true; });
    RunScript();
    if (!plan_.restartChildren.empty()) Step(CommitStep::RestartCards, [&] { return RunChildren(plan_.restartChildren); });
    if (plan_.domain.changeDomain) Step(CommitStep::Domain, [&] { return user_.ChangeDomain(plan_.domain), true; });
    Step(CommitStep::FlushDns, [&] { return RunChild(plan_.flushDns); });
    if (plan_.afterBatch) Step(CommitStep::AfterBatch, [&] { return RunChild(*plan_.afterBatch); });
  }

  // Tells the caller around the step; a step that raises ends the commit
  // without an end of its own.
  template <typename Work>
  void Step(CommitStep step, Work&& work) {
    user_.StepStarted(step);
    const bool succeeded = work();
    user_.StepEnded(step, succeeded);
  }

  // Hands the writer's notes to the caller; a refused write fails the step.
  bool Told(CommitStep step, const WriterOutcome& outcome) {
    for (const WriterNote& note : outcome.notes) user_.StepNote(step, note.text, note.failure ? L"失敗" : L"注意");
    return outcome.succeeded;
  }

  CommandRunner& runner() { return *env_.runner; }

  void StoreSettingIndex() {
    TkRegistry registry(HKEY_LOCAL_MACHINE);
    if (registry.OpenKey(kStoreRootKey, true)) {
      RunGuarded([&] { registry.WriteInteger(L"Setting Index", plan_.settingIndex); });
      RunGuarded([&] { registry.WriteInteger(kCommitSerialValue, static_cast<int>(ReadCommitSerial() + 1)); });
    }
  }

  void CopyHostsFile() {
    CopyFileW(plan_.hostsFile.c_str(), (env_.systemFolder + L"drivers\\etc\\hosts").c_str(), FALSE);
  }

  // A failure leaves the interface key as it was; the script still runs.
  void WriteLiveDomainValues() {
    for (const LiveDomainWrite& write : plan_.liveDomainWrites) {
      RunGuarded([&] {
        kip::WriteLiveDomainValues(write.cardId, write.domain, write.registrationEnabled, write.registerAdapterName,
                                   plan_.osMajorVersion, plan_.osMinorVersion);
      });
    }
  }

  bool RunChild(const PlannedChild& child) {
    if (!child.copiedFrom.empty() && !CopyBatch(child)) {
      result_.notStarted.push_back({child.commandLine, GetLastError()});
      return false;
    }
    bool started = false;
    switch (child.run) {
      case ChildRun::WaitShown:
        started = runner().RunAndWait(child.commandLine, env_.batchShowCommand);
        break;
      case ChildRun::Captured:
        started = runner().RunCaptured(child.commandLine, {});
        break;
      case ChildRun::CapturedToLog:
        EnsureCommitLog();
        started = runner().RunCaptured(child.commandLine, env_.commitLogPath);
        break;
      case ChildRun::Start:
        started = runner().Start(child.commandLine);
        break;
    }
    if (!started) result_.notStarted.push_back({child.commandLine, GetLastError()});
    return started;
  }

  bool RunChildren(const std::vector<PlannedChild>& children) {
    bool all = true;
    for (const PlannedChild& child : children) all = RunChild(child) && all;
    return all;
  }

  // The copy is made new from the batch file, replacing what a former run
  // left under that name.
  static bool CopyBatch(const PlannedChild& child) {
    const std::wstring target = child.commandLine.substr(1, child.commandLine.size() - 2);
    return CopyFileW(child.copiedFrom.c_str(), target.c_str(), FALSE) != FALSE;
  }

  // The script file is made new (a file left at that name keeps neither its
  // content nor its permissions) and, once written, held open so that no
  // other process can change it before netsh has read it.
  void RunScript() {
    UniqueFileHandle held;
    Step(CommitStep::Script, [&] { return static_cast<bool>(held = WriteScriptFile()); });
    if (!held) return;  // the cards are still restarted and the rest goes on
    Step(CommitStep::Services, [&] { return RunChildren(plan_.serviceStarts); });
    Step(CommitStep::Netsh, [&] { return RunChild(plan_.netshExec); });
    held = {};
    if (env_.removeScriptAfterRun) DeleteFileW(plan_.scriptPath.c_str());
    Step(CommitStep::Caches, [&] { return RunChildren(plan_.cacheFlushes); });
  }

  UniqueFileHandle WriteScriptFile() {
    const std::wstring& path = plan_.scriptPath;
    const std::string bytes = NetshScriptBytes(plan_.script);
    DeleteFileW(path.c_str());
    {
      UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                        nullptr));
      if (!file) return {};
      if (!WriteAll(file.get(), bytes)) throw EOSError(GetLastError());
    }
    // Readers may share it; writers and deleters may not. What is held must
    // be what was written: a file swapped in between is not run.
    UniqueFileHandle held(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string written;
    if (!held || !ReadAllFrom(held.get(), written) || written != bytes) {
      throw EOSError(held ? ERROR_FILE_INVALID : GetLastError());
    }
    return held;
  }

  // netsh's answers are only in the log: without it the commit stops.
  void EnsureCommitLog() {
    UniqueFileHandle log = RewriteWithRetry(env_.commitLogPath, 0);
    if (!log) throw EOSError(GetLastError());
  }

  void RecordNotStarted() {
    std::wstring text;
    for (const NotStartedCommand& command : result_.notStarted) {
      text += L"起動できませんでした: " + command.commandLine + L" (" + SystemErrorText(command.error) +
              L")\r\n";
    }
    if (!text.empty()) AppendToFile(env_.commitLogPath, ToAnsi(text));
  }

  const CommitPlan& plan_;
  CommitUser& user_;
  const CommitEnvironment& env_;
  CommitResult result_;
};

}  // namespace

CommandRunner& SystemCommandRunner() {
  static UtilCommandRunner runner;
  return runner;
}

CommitEnvironment DefaultCommitEnvironment() {
  CommitEnvironment environment;
  environment.programFolder = ProgramFolder();
  environment.tempFolder = ProgramFolder();
  environment.scriptName = L"kipconfig." + std::to_wstring(GetCurrentProcessId()) + L".sh";
  environment.removeScriptAfterRun = true;
  environment.systemFolder = GetSystemFolder();
  environment.commitLogPath = ChangeFileExt(ProgramPath(), L".log");
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);
  if (startup.dwFlags & STARTF_USESHOWWINDOW) environment.batchShowCommand = startup.wShowWindow;
  environment.readMajorVersion = WindowsMajorVersion;
  environment.connectionName = [](const std::wstring& cardId) { return GetConnectionName(cardId); };
  environment.currentAddresses = CurrentAddressesOrEmpty;
  environment.hardwareAddresses = [](const StringList& cardIds) {
    StringList addresses(cardIds.size());
    RunGuarded([&] { addresses = HardwareAddressesOf(cardIds); });
    return addresses;
  };
  environment.liveIpv6 = ReadLiveIpv6;
  // The DNS host name: Windows derives the NetBIOS name from it and keeps
  // both for the next start (a raw "NV Hostname" write would leave the
  // NetBIOS name behind).
  environment.setComputerName = [](const std::wstring& name) {
    return SetComputerNameExW(ComputerNamePhysicalDnsHostname, name.c_str()) != FALSE;
  };
  environment.announcer = &WindowsSettingsAnnouncer();
  environment.runner = &SystemCommandRunner();
  return environment;
}

DWORD ReadCommitSerial() {
  TkRegistry registry(HKEY_LOCAL_MACHINE);
  DWORD serial = 0;
  if (registry.OpenKeyReadOnly(kStoreRootKey)) {
    RunGuarded([&] { serial = static_cast<DWORD>(registry.ReadInteger(kCommitSerialValue)); });
  }
  return serial;
}

CommitResult RunCommitPlan(const CommitPlan& plan, CommitUser& user, const CommitEnvironment& environment) {
  return CommitRun(plan, user, environment).Run();
}

std::wstring CommitStepText(CommitStep step) {
  switch (step) {
    case CommitStep::BeforeBatch: return L"バッチ処理(切替え前)を実行しています...";
    case CommitStep::Printer: return L"通常使うプリンタを設定しています...";
    case CommitStep::InternetSettings: return L"インターネットの設定を書き込んでいます...";
    case CommitStep::TcpipParameters: return L"TCP/IP の設定を書き込んでいます...";
    case CommitStep::ComputerName: return L"コンピュータ名を設定しています...";
    case CommitStep::Hosts: return L"HOSTS ファイルをコピーしています...";
    case CommitStep::Firewall: return L"ファイアウォールを設定しています...";
    case CommitStep::ConnectionSuffixes: return L"接続の DNS サフィックスを書き込んでいます...";
    case CommitStep::Script: return L"netsh スクリプトを作成しています...";
    case CommitStep::Services: return L"サービスを開始しています...";
    case CommitStep::Netsh: return L"netsh を実行しています...";
    case CommitStep::Caches: return L"ARP と NetBIOS のキャッシュを消去しています...";
    case CommitStep::RestartCards: return L"LANカードを再起動しています...";
    case CommitStep::Domain: return L"ドメインまたはワークグループを変更しています...";
    case CommitStep::FlushDns: return L"DNS キャッシュを消去しています...";
    case CommitStep::AfterBatch: return L"バッチ処理(切替え後)を開始しています...";
  }
  return {};
}

std::wstring NotStartedStatusText(const CommitResult& result) {
  if (result.notStarted.empty()) return {};
  std::wstring text = L"起動できなかったコマンド: ";
  for (size_t i = 0; i < result.notStarted.size(); ++i) {
    if (i > 0) text += L", ";
    text += result.notStarted[i].commandLine;
  }
  return text;
}

}  // namespace kip
