#include "apply/CommitSequence.h"

#include "apply/CommitPlan.h"
#include "apply/FirewallWriter.h"
#include "machine/CardList.h"
#include "machine/IPInfo.h"
#include "machine/TcpipValues.h"
#include "store/StoreKeys.h"
#include "util/AdminOnly.h"
#include "util/kRegistry.h"
#include "util/Errors.h"
#include "util/Files.h"
#include "util/Guard.h"
#include "util/Process.h"
#include "util/WindowsVersion.h"

namespace kip {

namespace {

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
    logPath_ = env_.commitLogPath;
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

  // Into each card's existing interface key: netsh sets the servers but not
  // the connection's suffix, and the netsh of Windows 2000 cannot set the
  // registration either. A failure leaves the key as it was; the script
  // still runs.
  void WriteLiveDomainValues() {
    const bool windows2000 = plan_.osMajorVersion == 5 && plan_.osMinorVersion == 0;
    for (const LiveDomainWrite& write : plan_.liveDomainWrites) {
      RunGuarded([&] {
        TkRegistry registry(HKEY_LOCAL_MACHINE);
        if (!registry.OpenKey(TcpipInterfaceKey(write.cardId), false)) return;
        registry.WriteString(L"Domain", write.domain);
        if (windows2000) {
          registry.WriteInteger(L"DisableDynamicUpdate", write.registrationEnabled ? 0 : 1);
          registry.WriteInteger(L"EnableAdapterDomainNameRegistration", write.registerAdapterName ? 1 : 0);
        }
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
        started = runner().RunCaptured(child.commandLine, CommitLog());
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
  // other process can change it before netsh has read it. It is removed on
  // every way out, an abandoned commit's too.
  void RunScript() {
    struct Removal {
      const CommitRun& run;
      UniqueFileHandle held;
      ~Removal() {
        held = {};
        if (run.env_.removeScriptAfterRun) DeleteFileW(run.plan_.scriptPath.c_str());
      }
    } script{*this, {}};
    DWORD error = ERROR_SUCCESS;
    Step(CommitStep::Script, [&] { return static_cast<bool>(script.held = WriteScriptFile(error)); });
    if (!script.held) {
      // Nothing of the script's part ran, and each of its steps says so;
      // the cards are still restarted and the rest goes on.
      NotRun(CommitStep::Services, plan_.serviceStarts, error);
      NotRun(CommitStep::Netsh, {plan_.netshExec}, error);
      NotRun(CommitStep::Caches, plan_.cacheFlushes, error);
      return;
    }
    Step(CommitStep::Services, [&] { return RunChildren(plan_.serviceStarts); });
    Step(CommitStep::Netsh, [&] { return RunChild(plan_.netshExec); });
    script.held = {};
    Step(CommitStep::Caches, [&] { return RunChildren(plan_.cacheFlushes); });
  }

  void NotRun(CommitStep step, const std::vector<PlannedChild>& children, DWORD error) {
    user_.StepStarted(step);
    for (const PlannedChild& child : children) result_.notStarted.push_back({child.commandLine, error});
    user_.StepEnded(step, false);
  }

  // Empty, with `error` telling why, when the script could not be written
  // whole; nothing is left behind then.
  UniqueFileHandle WriteScriptFile(DWORD& error) {
    const std::wstring& path = plan_.scriptPath;
    const std::string bytes = NetshScriptBytes(plan_.script);
    DeleteFileW(path.c_str());
    {
      UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                        nullptr));
      if (!file) {
        error = GetLastError();
        return {};
      }
      if (!WriteAll(file.get(), bytes)) {
        error = GetLastError();
        file = {};
        DeleteFileW(path.c_str());
        return {};
      }
    }
    // Readers may share it; writers and deleters may not. What is held must
    // be what was written: a file swapped in between is not run.
    UniqueFileHandle held(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string written;
    if (!held || !ReadAllFrom(held.get(), written) || written != bytes) {
      error = held ? static_cast<DWORD>(ERROR_FILE_INVALID) : GetLastError();
      held = {};
      DeleteFileW(path.c_str());
      return {};
    }
    return held;
  }

  // netsh's answers go to the commit log. Another process may hold it
  // without sharing: they then go to a fresh file in the working folder,
  // and a line says where. A log never stops a commit or a way back.
  const std::wstring& CommitLog() {
    if (logChosen_) return logPath_;
    logChosen_ = true;
    if (RewriteWithRetry(env_.commitLogPath, 0)) return logPath_;
    const DWORD error = GetLastError();
    const std::wstring fresh = env_.tempFolder + ExtractFileName(ChangeFileExt(env_.commitLogPath, L"")) + L"." +
                               std::to_wstring(GetCurrentProcessId()) + L"." + std::to_wstring(GetTickCount64()) +
                               L".log";
    UniqueFileHandle file(CreateFileW(fresh.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return logPath_;  // the run goes on; its answers are reported lost
    logPath_ = fresh;
    user_.StepNote(CommitStep::Netsh, L"ログファイル " + env_.commitLogPath + L" を開けないため (" + SystemErrorText(error) + L"), " + fresh +
               L" に書きました", L"");
    return logPath_;
  }

  void RecordNotStarted() {
    std::wstring text;
    for (const NotStartedCommand& command : result_.notStarted) {
      text += L"起動できませんでした: " + command.commandLine + L" (" + SystemErrorText(command.error) +
              L")\r\n";
    }
    if (!text.empty()) AppendBytesToFile(logPath_, ToAnsi(text));
  }

  const CommitPlan& plan_;
  CommitUser& user_;
  const CommitEnvironment& env_;
  CommitResult result_;
  std::wstring logPath_;  // the commit log, or the file that stands in for it
  bool logChosen_ = false;
};

}  // namespace

bool SystemRunner::RunAndWait(const std::wstring& commandLine, int showCommand) {
  return RunCommandAndWait(commandLine, showCommand, filter_);
}

bool SystemRunner::RunCaptured(const std::wstring& commandLine, const std::wstring& outputFile) {
  CapturedRun run = RunCommandCaptured(commandLine, outputFile, INFINITE, filter_);
  if (run.started && !run.captured && !outputFile.empty()) {
    // It ran, but its answers are lost: the log says so instead of looking
    // like a run that printed nothing.
    AppendBytesToFile(outputFile, ToAnsi(commandLine + L": 出力を取り込めませんでした (" +
                                         SystemErrorText(run.captureError) + L")\r\n"));
  }
  if (!run.started) SetLastError(run.error);
  return run.started;
}

bool SystemRunner::Start(const std::wstring& commandLine) { return RunCommand(commandLine); }

CommandRunner& SystemCommandRunner() {
  static SystemRunner runner;
  return runner;
}

CommitEnvironment DefaultCommitEnvironment() {
  CommitEnvironment environment;
  environment.programFolder = ProgramFolder();
  environment.tempFolder = WorkFolderPath();
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
