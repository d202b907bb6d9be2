#include "apply/CommitSequence.h"

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

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

// A name that would end the quoted argument early is not passed on.
std::wstring SafeConnectionName(const std::wstring& name) {
  return HoldsScriptBreakingCharacter(name) ? std::wstring() : name;
}

class CommitRun {
 public:
  CommitRun(const CommitInputs& inputs, CommitWindow& window, const CommitEnvironment& environment)
      : in_(inputs), window_(window), env_(environment) {}

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
    const DWORD majorVersion = env_.readMajorVersion();
    StoreSettingIndex();
    RunBatch(L"_b.bat", [&](const std::wstring& line) { return runner().RunAndWait(line, env_.batchShowCommand); });
    WriteDefaultPrinter(in_.printer);
    WriteInternetSettings(in_.internet, *env_.announcer);
    WriteTcpipParameters(in_.tcpip);
    // Windows refuses an empty name; a blank one is not a name either.
    if (!IsBlank(in_.tcpip.hostName)) env_.setComputerName(in_.tcpip.hostName);
    CopyHostsFile();
    window_.CommitFirewall();
    RunScript();
    if (majorVersion >= 6) RestartInterfaces();
    window_.LoadCard(in_.selectedCard);
    window_.ChangeDomain();
    RunHidden(L"ipconfig /flushdns");
    RunBatch(L"_a.bat", [&](const std::wstring& line) { return runner().Start(line); });
  }

  CommandRunner& runner() { return *env_.runner; }

  void StoreSettingIndex() {
    TkRegistry registry(HKEY_LOCAL_MACHINE);
    if (registry.OpenKey(kStoreRootKey, true)) {
      RunGuarded([&] { registry.WriteInteger(L"Setting Index", in_.settingIndex); });
    }
  }

  // The path is quoted: under "C:\Program Files\..." an unquoted one would
  // start "C:\Program.exe" when that exists.
  template <typename Starter>
  void RunBatch(const wchar_t* suffix, Starter&& start) {
    const std::wstring path = env_.programFolder + MakeSafeFileName(in_.settingName) + suffix;
    if (!FileExists(path)) return;
    const std::wstring line = Quoted(path);
    if (!start(line)) NoteNotStarted(line);
  }

  void CopyHostsFile() {
    if (IsBlank(in_.hostsFile)) return;
    CopyFileW(in_.hostsFile.c_str(), (env_.systemFolder + L"drivers\\etc\\hosts").c_str(), FALSE);
  }

  void RunHidden(const std::wstring& line, const std::wstring& outputFile = {}) {
    if (!runner().RunCaptured(line, outputFile)) NoteNotStarted(line);
  }

  void RunScript() {
    const std::wstring scriptPath = env_.tempFolder + kScriptFileName;
    {
      UniqueFileHandle file = RewriteWithRetry(scriptPath, 0);
      if (!file) return;  // the cards are still restarted and the rest goes on
      const std::string bytes = NetshScriptBytes(CollectNetshScript(in_, window_, env_, true));
      if (!WriteAll(file.get(), bytes)) throw EOSError(GetLastError());
    }
    RunHidden(L"net start \"Remote Registry Service\" > nul");
    RunHidden(L"net start \"DHCP Client\"");
    EnsureCommitLog();
    RunHidden(L"netsh exec " + Quoted(scriptPath), env_.commitLogPath);
    RunHidden(L"arp -d *");
    RunHidden(L"nbtstat -R");
    RunHidden(L"nbtstat -RR");
  }

  // netsh's answers are only in the log: without it the commit stops.
  void EnsureCommitLog() {
    UniqueFileHandle log = RewriteWithRetry(env_.commitLogPath, 0);
    if (!log) throw EOSError(GetLastError());
  }

  // Every card is disabled before the first is enabled again.
  void RestartInterfaces() {
    for (const wchar_t* state : {L" admin=DISABLED", L" admin=ENABLED"}) {
      for (int i = 0; i < in_.cardCount; ++i) {
        window_.LoadCard(i);
        if (static_cast<size_t>(i) >= in_.cardIds.size()) continue;
        const std::wstring name = SafeConnectionName(env_.connectionName(in_.cardIds[i]));
        RunHidden(L"netsh interface set interface name=" + Quoted(name) + state);
      }
    }
  }

  void NoteNotStarted(const std::wstring& line) { result_.notStarted.push_back({line, GetLastError()}); }

  void RecordNotStarted() {
    std::wstring text;
    for (const NotStartedCommand& command : result_.notStarted) {
      text += L"起動できませんでした: " + command.commandLine + L" (" + SystemErrorText(command.error) +
              L")\r\n";
    }
    if (!text.empty()) AppendToFile(env_.commitLogPath, ToAnsi(text));
  }

  const CommitInputs& in_;
  CommitWindow& window_;
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
  environment.tempFolder = GetTempFolder();
  environment.systemFolder = GetSystemFolder();
  environment.commitLogPath = ChangeFileExt(ProgramPath(), L".log");
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);
  if (startup.dwFlags & STARTF_USESHOWWINDOW) environment.batchShowCommand = startup.wShowWindow;
  environment.readMajorVersion = WindowsMajorVersion;
  environment.connectionName = [](const std::wstring& cardId) { return GetConnectionName(cardId); };
  environment.currentAddresses = CurrentAddressesOrEmpty;
  environment.setComputerName = [](const std::wstring& name) { SetComputerNameW(name.c_str()); };
  environment.announcer = &WindowsSettingsAnnouncer();
  environment.runner = &SystemCommandRunner();
  return environment;
}

CommitResult RunCommitSequence(const CommitInputs& inputs, CommitWindow& window,
                               const CommitEnvironment& environment) {
  return CommitRun(inputs, window, environment).Run();
}

std::wstring CollectNetshScript(const CommitInputs& inputs, CommitWindow& window,
                                const CommitEnvironment& environment, bool writeLiveDomainValues) {
  std::wstring script = NetshScriptHeader(inputs.scriptWindows);
  const StringList addresses =
      inputs.cardCount > 0 && !inputs.cardIds.empty() ? environment.currentAddresses(inputs.cardIds) : StringList();
  for (int i = 0; i < inputs.cardCount; ++i) {
    window.LoadCard(i);
    if (static_cast<size_t>(i) >= inputs.cardIds.size()) continue;  // an unlisted card gets no block
    const std::wstring& cardId = inputs.cardIds[i];
    if (writeLiveDomainValues) RunGuarded([&] { window.WriteLiveDomainValues(cardId); });
    NetshCardInput card = window.LoadedCardValues();
    card.cardId = cardId;
    card.connectionName = environment.connectionName(cardId);
    card.currentAddress = static_cast<size_t>(i) < addresses.size() ? addresses[i] : std::wstring();
    script += NetshCardBlock(inputs.scriptWindows, card, FitsAnsiCodePage);
  }
  return script + NetshScriptFooter();
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
