// The commit and the unattended command-line run through the window, with
// the recording stand-ins for every child and Windows' end recorded.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "app/DeployArgs.h"
#include "store/ReturnSnapshot.h"
#include "store/SettingStore.h"
#include "store/StoreKeys.h"
#include "support/FormFixture.h"
#include "support/RecordingExitPlatform.h"
#include "support/ScratchFolder.h"
#include "ui/win/Menus.h"
#include "util/Files.h"

namespace kip {
namespace {

const std::wstring kRoot = kStoreRootKey;
const std::wstring kCardA = L"{0000000A-0000-0000-0000-4E6574446576}";
const std::wstring kCardB = L"{0000000B-0000-0000-0000-4E6574446576}";

class FormCommitTest : public FormTest {
 protected:
  void SetUp() override {
    log_ = folder_ / L"stubs.log";
    SetEnvironmentVariableW(L"KIP_STUB_LOG", log_.c_str());
    for (const auto& setting : {L"Home", L"Office"}) {
      for (const auto& card : {kCardA, kCardB}) {
        SetMultiString(HKEY_LOCAL_MACHINE, kRoot + L"\\" + setting + L"\\" + card, L"IPAddress", {L"10.0.0.1"});
        SetMultiString(HKEY_LOCAL_MACHINE, kRoot + L"\\" + setting + L"\\" + card, L"SubnetMask", {L"255.0.0.0"});
      }
    }
    SetDword(HKEY_LOCAL_MACHINE, kRoot, L"Shutdown Index", 2);
    programPath = folder_ / L"kIpCnfg.exe";
  }
  void TearDown() override { SetEnvironmentVariableW(L"KIP_STUB_LOG", nullptr); }
  TFormIpconfig& Prepare() {
    TFormIpconfig& form = Form();
    form.Editor().SetCards({kCardA, kCardB}, {L"LAN A", L"LAN B"});
    form.Editor().Open(ListSettingNames());
    return form;
  }
  std::string Log() { return ReadWholeFile(log_); }
  test::ScratchFolder folder_;
  std::wstring log_;
};

// The fixture's window gets a commit environment in the scratch folder and
// a recording Windows end.
class CommitWindowTest : public FormCommitTest {
 protected:
  TFormIpconfig& Window() {
    UseCommitEnvironment();
    MakeForm();
    return Prepare();
  }
  void UseCommitEnvironment() {
    adjustEnvironment = [this](FormEnvironment& environment) {
      environment.commitEnvironment = [this] { return Commit(); };
      environment.exitPlatform = [this](HWND) -> std::shared_ptr<ExitPlatform> {
        platforms.push_back(std::make_shared<RecordingExitPlatform>());
        return platforms.back();
      };
    };
  }
  // The real children (the recording stand-ins beside the test program),
  // with the files in the scratch folder and the computer name left alone.
  CommitEnvironment Commit() {
    CommitEnvironment commit = DefaultCommitEnvironment();
    commit.programFolder = folder_.path();
    commit.tempFolder = folder_.path();
    commit.commitLogPath = folder_ / L"kIpCnfg.log";
    commit.setComputerName = [](const std::wstring&) { return true; };
    // netsh names a card by its connection; a card without one is not restarted.
    commit.connectionName = [](const std::wstring& cardId) { return std::wstring(cardId == kCardA ? L"LAN A" : L"LAN B"); };
    return commit;
  }
  std::vector<std::shared_ptr<RecordingExitPlatform>> platforms;  // one per end of Windows asked for
};

TEST_F(CommitWindowTest, TheCommitRunsEveryCardAndEndsAsTheStoredChoiceSays) {
  TFormIpconfig& form = Window();
  form.Editor().SelectSetting(1);
  form.Editor().SelectCard(1);
  form.ActionCommitExecute();
  std::string log = Log();
  EXPECT_NE(log.find("netsh\tnetsh exec"), std::string::npos);
  EXPECT_NE(log.find("ipconfig\tipconfig /flushdns"), std::string::npos);
  // Both cards in the script, the selected card shown again, the tab stored.
  EXPECT_NE(log.find("name=\"LAN A\""), std::string::npos);
  EXPECT_NE(log.find("name=\"LAN B\""), std::string::npos);
  EXPECT_EQ(form.Editor().ShownCard(), 1);
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kRoot, L"Setting Index"), 1u);
  EXPECT_TRUE(form.Actions().commit.Enabled());
  EXPECT_TRUE(form.Menus().mFile->Enabled());
  // "Shutdown Index" 2 leaves the program: the window is closed.
  ASSERT_FALSE(platforms.empty());
  EXPECT_EQ(platforms.back()->calls, std::vector<std::string>{"close"});
}

// A before-batch during which the user asks for a new setting, a save, the
// undo of a copy and the window's end: none of it may run in the middle of
// the commit, and the window closes once the commit has ended.
class UserDuringBatch : public CommandRunner {
 public:
  explicit UserDuringBatch(TFormIpconfig*& form) : form_(form) {}
  bool RunAndWait(const std::wstring&, int) override {
    const FormMenus& m = form_->Menus();
    for (win::MenuItem* item : {m.mNew, m.mSave, m.mUndoOtherLAN, m.mDelete})
      PostMessageW(form_->Handle(), WM_COMMAND, item->Id(), 0);
    PostMessageW(form_->Handle(), WM_CLOSE, 0, 0);
    win::PumpPendingMessages();
    statusDuringCommit = form_->StatusText();
    joinCancelledDuringCommit = form_->JoinCancelled();
    return true;
  }
  bool RunCaptured(const std::wstring& line, const std::wstring&) override {
    if (line.rfind(L"netsh exec ", 0) == 0) script = ReadWholeFile(line.substr(12, line.size() - 13));
    // What the status bar says while each child runs.
    const std::wstring status = form_->StatusText();
    if (statuses.empty() || statuses.back() != status) statuses.push_back(status);
    return true;
  }
  bool Start(const std::wstring&) override { return true; }
  std::wstring statusDuringCommit;
  bool joinCancelledDuringCommit = false;
  std::string script;
  StringList statuses;

 private:
  TFormIpconfig*& form_;
};

TEST_F(CommitWindowTest, TheWindowIsBusyDuringTheCommitNamesItsStepsAndClosesAfterIt) {
  TFormIpconfig* shown = nullptr;
  UserDuringBatch runner(shown);
  adjustEnvironment = [&](FormEnvironment& environment) {
    environment.commitEnvironment = [&] {
      CommitEnvironment commit = Commit();
      commit.runner = &runner;
      return commit;
    };
  };
  WriteWholeFile(folder_ / L"Office_b.bat", "pause\r\n");
  shown = &MakeForm();
  TFormIpconfig& form = Prepare();
  form.Editor().SelectSetting(1);
  form.ActionCommitExecute();
  EXPECT_EQ(runner.statusDuringCommit, L"反映中です. 終了は反映の後に行います.");
  // The held close also ends the domain attempts, which may wait for an account.
  EXPECT_TRUE(runner.joinCancelledDuringCommit);
  EXPECT_EQ(form.Editor().Names().size(), 2u);  // no new setting, nothing deleted
  EXPECT_NE(runner.script.find("10.0.0.1"), std::string::npos);
  EXPECT_EQ(runner.statuses, (StringList{L"サービスを開始しています...", L"netsh を実行しています...",
                                         L"ARP と NetBIOS のキャッシュを消去しています...",
                                         L"LANカードを再起動しています...", L"DNS キャッシュを消去しています..."}));
  // The check after the commit has the last word: the cards have no
  // interface keys here, so it says it could not read them.
  EXPECT_NE(form.StatusText().find(L"現在の設定を読み取れません"), std::wstring::npos);
  EXPECT_FALSE(form.Committing());
  win::PumpPendingMessages();
  EXPECT_FALSE(IsWindow(form.Handle()));  // the held close came after the commit
}

// The quick switch: a setting chosen from the icon's menu is committed and
// the program carries on whatever exit choice is stored; a close only
// hides the window while the icon is there, "終了" on its menu ends it.
TEST_F(CommitWindowTest, TheIconsMenuCommitsASettingAndTheProgramCarriesOn) {
  TFormIpconfig& form = Window();
  form.Menus().mShowTray->Click();
  ASSERT_TRUE(form.Menus().mShowTray->Checked());
  form.Tray().CommitTab(1);
  EXPECT_NE(Log().find("netsh\tnetsh exec"), std::string::npos);
  EXPECT_TRUE(platforms.empty());  // "Shutdown Index" 2 would have closed the window
  EXPECT_EQ(form.Tray().LastCommittedTab(), 1);
  EXPECT_EQ(form.Tray().Tip(), L"HarluneIPコンフィグ: " + form.TabText(1));
  SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(form.Handle()));
  EXPECT_FALSE(IsWindowVisible(form.Handle()));
  form.Tray().EndProgram();
  win::PumpPendingMessages();
  EXPECT_FALSE(IsWindow(form.Handle()));
}

// While the window is disabled, a dialog of it is open or a change of
// setting runs, the icon's menu only opens it; after Explorer restarts (its
// icons lost) the icon comes back, so a close still only hides the window.
TEST_F(CommitWindowTest, TheIconOnlyOpensABusyWindowAndComesBackAfterExplorerRestarts) {
  TFormIpconfig& form = Window();
  form.Menus().mShowTray->Click();
  EXPECT_FALSE(form.Tray().OffersOnlyOpen());
  HWND dialog = CreateWindowExW(0, L"STATIC", L"dialog", WS_POPUP | WS_CAPTION, 0, 0, 100, 60, form.Handle(), nullptr,
                                nullptr, nullptr);
  ShowWindow(dialog, SW_SHOWNOACTIVATE);
  EXPECT_TRUE(form.Tray().OffersOnlyOpen());
  form.Tray().CommitTab(1);
  EXPECT_EQ(Log(), "");
  DestroyWindow(dialog);
  EnableWindow(form.Handle(), FALSE);
  EXPECT_TRUE(form.Tray().OffersOnlyOpen());
  EnableWindow(form.Handle(), TRUE);
  // The save question of a change of setting is open.
  bool onlyOpenWhileAsking = false;
  prompts.whileAsking = [&] { onlyOpenWhileAsking = form.Tray().OffersOnlyOpen(); };
  prompts.answers = {Answer::No};
  form.Editor().Edited();
  form.Editor().SelectSetting(0);
  EXPECT_TRUE(onlyOpenWhileAsking);
  prompts.whileAsking = nullptr;

  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = form.Handle();
  icon.uID = win::TrayIcon::kIconId;
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &icon));  // gone with the old Explorer
  SendMessageW(form.Handle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &icon));
  SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(form.Handle()));
  form.Tray().EndProgram();
  win::PumpPendingMessages();
}

TEST_F(CommitWindowTest, TheCommandLineFindsItsSettingCommitsItAndEndsWindows) {
  struct Case {
    StringList arguments;
    std::string expectedCall;  // empty: no end of Windows
    bool commits;
  };
  for (const Case& c : std::vector<Case>{{{L"  OFFICE ", L"-S"}, "power off reason 80020004", true},
                                         {{L"/r", L"home"}, "reboot reason 80020004", true},
                                         {{L"office", L"/n"}, "", true},
                                         {{L"Branch"}, "", false}}) {
    SCOPED_TRACE(ToUtf8(c.arguments[0]));
    DeleteFileW(log_.c_str());
    platforms.clear();
    arguments = c.arguments;
    TFormIpconfig& form = Window();
    form.RunCommandLine();
    EXPECT_EQ(Log().find("netsh\tnetsh exec") != std::string::npos, c.commits);
    std::vector<std::string> calls = platforms.empty() ? std::vector<std::string>{} : platforms.back()->calls;
    EXPECT_EQ(!c.expectedCall.empty(), std::find(calls.begin(), calls.end(), c.expectedCall) != calls.end());
    if (!c.commits) {
      EXPECT_EQ(form.StatusText(), L"設定[branch]が見つかりません.");
    }
    // The window is no longer busy; the commands on settings stay off.
    EXPECT_TRUE(form.Actions().commit.Enabled());
    EXPECT_FALSE(form.Menus().mNew->Enabled());
    EXPECT_FALSE(form.Actions().exportSnapshot.Enabled());
  }
}

// One start-up whether the window was shown, minimised or never shown:
// the load, the command line, then the window closes unless "/n" keeps it
// (the stored exit choice carries on, so only the start-up closes it); a
// window kept in the notification area without its icon shows. A load that
// stopped half-way commits nothing and ends as a failure.
TEST_F(CommitWindowTest, EveryStartRunsTheCommandLineOnceThenClosesUnlessKept) {
  enum Start { kShown, kMinimised, kHidden };
  enum Outcome { kCommitted, kNotFound, kPending, kLoadStopped, kNoCommandLine };
  SetDword(HKEY_LOCAL_MACHINE, kRoot, L"Shutdown Index", 3);
  struct Case {
    Start start;
    Outcome outcome;
    bool keep, resident = false;
  };
  std::vector<Case> cases{{kShown, kNoCommandLine, true},         {kHidden, kNoCommandLine, true},
                          {kHidden, kLoadStopped, false},         {kShown, kLoadStopped, true},
                          {kHidden, kNoCommandLine, true, true},  {kHidden, kNotFound, true, true}};
  for (Start start : {kShown, kMinimised, kHidden}) {
    for (Outcome outcome : {kCommitted, kNotFound, kPending}) {
      for (bool keep : {false, true}) cases.push_back({start, outcome, keep});
    }
  }
  ReturnSnapshot pending;  // held by this process: a way back that may still run
  FILETIME created{}, exited{}, kernel{}, user{};
  ASSERT_TRUE(GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user));
  pending.ticket.owners = {{GetCurrentProcessId(),
                            (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime}};
  UseCommitEnvironment();
  bool resident = false;
  adjustEnvironment = [&, commit = adjustEnvironment](FormEnvironment& environment) {
    commit(environment);
    environment.resident = resident;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "start " << c.start << ", outcome " << c.outcome << ", kept " << c.keep
                                    << ", resident " << c.resident);
    DeleteFileW(log_.c_str());
    arguments.clear();
    if (c.outcome != kNoCommandLine) arguments = {c.outcome == kNotFound ? L"branch" : L"office"};
    if (c.outcome != kNoCommandLine && c.keep) arguments.push_back(L"/n");
    if (c.outcome == kPending) ASSERT_TRUE(SaveReturnSnapshot(L"11-1", pending));
    version.major = c.outcome == kLoadStopped ? 10 : 6;  // the newer-Windows warning fails
    prompts.messagesFail = c.outcome == kLoadStopped;
    resident = c.resident;
    TFormIpconfig& form = MakeForm();
    form.Editor().SetCards({kCardA, kCardB}, {L"LAN A", L"LAN B"});
    const HWND window = form.Handle();
    if (c.start == kShown) form.Show();
    if (c.start == kMinimised) ShowWindow(window, SW_SHOWMINNOACTIVE);
    for (int i = 0; i < 20; ++i) {
      win::PumpPendingMessages();
      Sleep(5);
    }
    DeleteReturnSnapshot(L"11-1");
    EXPECT_EQ(form.StartedUp(), c.start != kHidden || c.outcome != kNoCommandLine || c.resident);
    EXPECT_EQ(IsWindow(window) != FALSE, c.keep);
    EXPECT_EQ(IsWindowVisible(window) != FALSE, c.keep && (c.start != kHidden || c.resident));
    EXPECT_EQ(Log().find("netsh\tnetsh exec") != std::string::npos, c.outcome == kCommitted);
    const int code[] = {kExitCommitted, kExitSettingNotFound, kExitReturnPending, kExitFailed, 0};
    EXPECT_EQ(form.CommandLineExitCode(), code[c.outcome]);
  }
}

}  // namespace
}  // namespace kip
