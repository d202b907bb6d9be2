// Start-up load, options and placement, close query: the main window's life.
#include <gtest/gtest.h>

#include "app/SingleInstance.h"
#include "app/WindowPlacement.h"
#include "store/SettingStore.h"
#include "store/StoreKeys.h"
#include "support/FormFixture.h"
#include "ui/win/Menus.h"
#include "util/Files.h"

namespace kip {
namespace {

const wchar_t* const kRoot = kStoreRootKey;
const wchar_t* const kOptions = kOptionsKey;

POINT WindowPosition(TFormIpconfig& form) {
  RECT r{};
  GetWindowRect(form.Handle(), &r);
  return {r.left, r.top};
}

class LifecycleTest : public FormTest {};

TEST_F(LifecycleTest, OptionsAndPlacementRoundTripThroughTheRegistry) {
  CreateKey(HKEY_LOCAL_MACHINE, kRoot);
  TFormIpconfig& first = MakeForm();
  first.Menus().mOSCheck->SetChecked(true);
  first.Menus().mShowExitWin->SetChecked(true);
  first.PageControl1.SetActivePageIndex(4);
  first.SetPosition(120, 90);
  first.FormClose();
  EXPECT_TRUE(first.JoinCancelled);
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kRoot, L"Left"), 120u);
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kRoot, L"Top"), 90u);
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kRoot, L"WindowState"), 0u);
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kOptions, L"mOSCheck_Checked"), 1u);
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kOptions, L"mShowExitWin_Checked"), 1u);
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kOptions, L"PageControl1_ActivePageIndex"), 4u);

  TFormIpconfig& second = MakeForm();
  second.LoadAtStartup();
  EXPECT_TRUE(second.Menus().mOSCheck->Checked());
  EXPECT_TRUE(second.Menus().mShowExitWin->Checked());
  EXPECT_EQ(second.PageControl1.ActivePageIndex(), 4);
  POINT at = WindowPosition(second);
  EXPECT_EQ(at.x, 120);
  EXPECT_EQ(at.y, 90);
}

// Window placements count from the work area, which a taskbar at the top
// or left moves; the stored position is the window's place on the screen.
TEST(WindowPlacement, WorkspacePositionsBecomeScreenPositions) {
  struct Case {
    RECT monitor, work;
    POINT workspace, screen;
  };
  for (const Case& c : {Case{{0, 0, 1280, 1024}, {0, 0, 1280, 984}, {120, 90}, {120, 90}},
                        Case{{0, 0, 1280, 1024}, {0, 40, 1280, 1024}, {120, 50}, {120, 90}},
                        Case{{0, 0, 1280, 1024}, {60, 0, 1280, 1024}, {60, 90}, {120, 90}},
                        Case{{1280, 0, 2560, 1024}, {1280, 40, 2560, 1024}, {1500, 0}, {1500, 40}}}) {
    POINT screen = WorkspaceToScreen(c.workspace, c.monitor, c.work);
    EXPECT_EQ(screen.x, c.screen.x);
    EXPECT_EQ(screen.y, c.screen.y);
  }
}

TEST_F(LifecycleTest, MaximizedWindowStoresItsRestoredScreenPosition) {
  CreateKey(HKEY_LOCAL_MACHINE, kRoot);
  TFormIpconfig& form = MakeForm();
  form.SetPosition(120, 90);
  form.Maximize();
  form.FormClose();
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kRoot, L"Top"), 90u);
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kRoot, L"Left"), 120u);
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kRoot, L"WindowState"), 1u);
}

TEST_F(LifecycleTest, FirstRunWritesOptionsButNoPlacementWithoutAStoreRoot) {
  MakeForm().FormClose();
  EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kRoot, L"Top"));
  EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kRoot, L"WindowState"));
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kOptions, L"mOSCheck_Checked"), 0u);
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kOptions, L"PageControl1_ActivePageIndex"), 0u);
}

TEST_F(LifecycleTest, PositionOffEveryMonitorKeepsTheCentredWindow) {
  SetDword(HKEY_LOCAL_MACHINE, kRoot, L"Left", static_cast<DWORD>(-3000));
  SetDword(HKEY_LOCAL_MACHINE, kRoot, L"Top", 200);
  TFormIpconfig& form = MakeForm();
  form.CenterOnScreen();
  POINT centred = WindowPosition(form);
  form.LoadAtStartup();
  POINT after = WindowPosition(form);
  EXPECT_EQ(after.x, centred.x);
  EXPECT_EQ(after.y, centred.y);
}

TEST_F(LifecycleTest, PositionOnASecondMonitorIsRestoredWhileThatMonitorIsPresent) {
  monitors.push_back(RECT{1280, 0, 2560, 1024});
  SetDword(HKEY_LOCAL_MACHINE, kRoot, L"Left", 1500);
  SetDword(HKEY_LOCAL_MACHINE, kRoot, L"Top", 40);
  TFormIpconfig& form = MakeForm();
  form.LoadAtStartup();
  EXPECT_EQ(WindowPosition(form).x, 1500);
  EXPECT_EQ(WindowPosition(form).y, 40);
}

TEST_F(LifecycleTest, WindowStateOneMaximizesAndOtherValuesDoNot) {
  SetDword(HKEY_LOCAL_MACHINE, kRoot, L"WindowState", 2);
  MakeForm().LoadAtStartup();
  EXPECT_FALSE(Form().IsMaximized());
  SetDword(HKEY_LOCAL_MACHINE, kRoot, L"WindowState", 1);
  MakeForm().LoadAtStartup();
  EXPECT_TRUE(Form().IsMaximized());
}

TEST_F(LifecycleTest, MissingFirstOptionLeavesAllThreeAsCreated) {
  SetDword(HKEY_LOCAL_MACHINE, kOptions, L"mShowExitWin_Checked", 1);
  SetDword(HKEY_LOCAL_MACHINE, kOptions, L"PageControl1_ActivePageIndex", 3);
  TFormIpconfig& form = MakeForm();
  form.LoadAtStartup();
  EXPECT_FALSE(form.Menus().mOSCheck->Checked());
  EXPECT_FALSE(form.Menus().mShowExitWin->Checked());
  EXPECT_EQ(form.PageControl1.ActivePageIndex(), 0);
}

TEST_F(LifecycleTest, OptionOfTheWrongTypeStopsTheRestOfTheGroup) {
  SetDword(HKEY_LOCAL_MACHINE, kOptions, L"mOSCheck_Checked", 1);
  SetString(HKEY_LOCAL_MACHINE, kOptions, L"mShowExitWin_Checked", L"1");
  SetDword(HKEY_LOCAL_MACHINE, kOptions, L"PageControl1_ActivePageIndex", 2);
  TFormIpconfig& form = MakeForm();
  form.LoadAtStartup();
  EXPECT_TRUE(form.Menus().mOSCheck->Checked());
  EXPECT_FALSE(form.Menus().mShowExitWin->Checked());
  EXPECT_EQ(form.PageControl1.ActivePageIndex(), 0);
}

TEST_F(LifecycleTest, NewerWindowsIsWarnedAboutOnceAcrossRuns) {
  version.major = 10;
  version.minor = 0;
  TFormIpconfig& first = MakeForm();
  first.LoadAtStartup();
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0], L"このWindowsバージョンで動作確認をしていませんが、よろしいでしょうか.");
  EXPECT_TRUE(first.Menus().mOSCheck->Checked());
  EXPECT_EQ(first.OSMajorVersion, 10u);
  first.FormClose();

  prompts.messages.clear();
  MakeForm().LoadAtStartup();
  EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(LifecycleTest, SupportedVersionsAreStoredWithoutAMessage) {
  version.major = 5;
  version.minor = 0;
  TFormIpconfig& form = MakeForm();
  form.LoadAtStartup();
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_EQ(form.OSMajorVersion, 5u);
  EXPECT_EQ(form.OSMinorVersion, 0u);
}

TEST_F(LifecycleTest, NonNtPlatformOrFailedQueryIsRefused) {
  version.platform = VER_PLATFORM_WIN32_WINDOWS;
  MakeForm().LoadAtStartup();
  version = {};
  version.callSucceeds = false;
  MakeForm().LoadAtStartup();
  ASSERT_EQ(prompts.messages.size(), 2u);
  EXPECT_EQ(prompts.messages[0], L"これはWindows2000, XP, 7専用です.");
  EXPECT_EQ(prompts.messages[1], L"これはWindows2000, XP, 7専用です.");
}

// The program's language file sits beside it with the extension ".jpn".
class LanguageFileTest : public FormTest {
 protected:
  void SetUp() override {
    folder_ = GetTempFolder() + L"kip-lang-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(folder_.c_str(), nullptr);
    programPath = folder_ + L"kIpCnfg.exe";
  }
  void TearDown() override {
    DeleteFileW((folder_ + L"kIpCnfg.jpn").c_str());
    RemoveDirectoryW(folder_.c_str());
  }
  void InstallLanguageFile(const std::wstring& source) {
    ASSERT_TRUE(CopyFileW(source.c_str(), (folder_ + L"kIpCnfg.jpn").c_str(), FALSE)) << "copy " << ToUtf8(source);
  }
  std::wstring folder_;
};

TEST_F(LanguageFileTest, MatchingVersionIsAccepted) {
  InstallLanguageFile(TestProgramFolder() + L"..\\..\\bin\\kIpCnfg.exe");
  MakeForm().FormActivate();
  EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(LanguageFileTest, FileWithoutTheVersionGetsTheMessageWithItsFullPath) {
  InstallLanguageFile(TestProgramFolder() + L"arp.exe");
  MakeForm().FormActivate();
  ASSERT_FALSE(prompts.messages.empty());
  EXPECT_EQ(prompts.messages[0], L"違うバージョンの" + folder_ + L"kIpCnfg.jpnがあります. 削除してください.");
}

TEST_F(LanguageFileTest, NoLanguageFileNoMessage) {
  MakeForm().FormActivate();
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_TRUE(Form().StartupDone);
}

class SettingListTest : public FormTest {};

// The start-up load labels the present cards in every stored setting while
// it fills the tabs; a setting without a key for the card gets none.
TEST_F(SettingListTest, StartUpLabelsThePresentCardInEveryStoredSetting) {
  const int settings = 60;
  for (int i = 0; i < settings; ++i) {
    SetString(HKEY_LOCAL_MACHINE, std::wstring(kRoot) + L"\\S" + std::to_wstring(i) + L"\\{card}", L"Description",
              L"old");
  }
  CreateKey(HKEY_LOCAL_MACHINE, std::wstring(kRoot) + L"\\NoCard");
  TFormIpconfig& form = MakeForm();
  form.Editor().SetCards({L"{card}"}, {L"LAN 1"});
  form.LoadAtStartup();
  EXPECT_EQ(form.Editor().Names().size(), static_cast<size_t>(settings + 1));
  for (int i = 0; i < settings; ++i) {
    EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, std::wstring(kRoot) + L"\\S" + std::to_wstring(i) + L"\\{card}",
                        L"Description"),
              L"LAN 1")
        << i;
  }
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::wstring(kRoot) + L"\\NoCard\\{card}"));
}

TEST(SingleInstance, SecondAcquireOfTheSameNameFailsUntilReleased) {
  std::wstring name = L"kIpCnfgTest-" + std::to_wstring(GetCurrentProcessId());
  InstanceMutex first, second;
  ASSERT_TRUE(first.Acquire(name));
  EXPECT_FALSE(second.Acquire(name));
  EXPECT_FALSE(second.Held());
  first.Release();
  EXPECT_TRUE(second.Acquire(name));
}

// A standard user who makes the name first (where it would be without
// private namespaces) must not make every elevated start end as "running".
TEST(SingleInstance, ANameANonAdministratorMadeFirstIsIgnored) {
  const std::wstring name = L"kIpCnfgTest-squat-" + std::to_wstring(GetCurrentProcessId());
  const UniqueKernelHandle squatter(CreateMutexW(nullptr, TRUE, (L"Global\\" + name).c_str()));
  ASSERT_TRUE(squatter);
  InstanceMutex first, second;
  EXPECT_TRUE(first.Acquire(name));
  EXPECT_TRUE(second.Acquire(name));
}

}  // namespace
}  // namespace kip

namespace kip {
namespace {

// The start-up load runs once, from the first activation or, for a window
// started with a command line and never activated, from the idle queue.
class StartupPathTest : public FormTest {
 protected:
  void Pump() {
    for (int i = 0; i < 20; ++i) {
      win::PumpPendingMessages();
      Sleep(5);
    }
  }
};

TEST_F(StartupPathTest, ActivationRunsTheLoadOnceAndKeepsTheWindowWithoutArguments) {
  TFormIpconfig& form = MakeForm();
  form.Show();
  Pump();
  EXPECT_TRUE(form.StartupDone);
  EXPECT_TRUE(IsWindow(form.Handle()));
  SendMessageW(form.Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
  Pump();
  EXPECT_TRUE(IsWindow(form.Handle()));
}

TEST_F(StartupPathTest, CommandLineRunClosesTheActivatedWindowUnlessTheSecondArgumentIsN) {
  arguments = {L"会社", L"/N"};
  TFormIpconfig& kept = MakeForm();
  kept.Show();
  Pump();
  EXPECT_TRUE(kept.StartupDone);
  EXPECT_TRUE(IsWindow(kept.Handle()));

  arguments = {L"会社", L"/s"};
  TFormIpconfig& closed = MakeForm();
  HWND handle = closed.Handle();
  closed.Show();
  Pump();
  EXPECT_FALSE(IsWindow(handle));
}

TEST_F(StartupPathTest, NeverActivatedWindowWithACommandLineLoadsWhenIdleAndStaysOpen) {
  arguments = {L"会社"};
  TFormIpconfig& form = MakeForm();
  Pump();
  EXPECT_TRUE(form.StartupDone);
  EXPECT_TRUE(IsWindow(form.Handle()));
}

TEST_F(StartupPathTest, WithoutACommandLineAHiddenWindowDoesNotLoad) {
  TFormIpconfig& form = MakeForm();
  Pump();
  EXPECT_FALSE(form.StartupDone);
}

}  // namespace
}  // namespace kip
