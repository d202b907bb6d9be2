// Options, placement, the start-up load and closing: the main window's life.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "app/FrameOptions.h"
#include "app/SingleInstance.h"
#include "app/WindowPlacement.h"
#include "store/SettingStore.h"
#include "store/StoreKeys.h"
#include "support/FormFixture.h"
#include "support/ScratchFolder.h"
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

// The options without a window: what is stored, laid over the window's as
// created, by each option's rule.
class FrameOptionsTest : public RegistryTest {
 protected:
  static void Option(const wchar_t* name, DWORD value) { SetDword(HKEY_LOCAL_MACHINE, kOptions, name, value); }
};

TEST_F(FrameOptionsTest, StoredOptionsAreTakenByTheirRules) {
  const struct {
    const char* title;
    std::function<void()> store;
    FrameOptions expected;
  } cases[] = {
      {"a first run: as created", [] {}, {}},
      {"all stored, as the window stores them",
       [] {
         WriteClosingOptions({true, true, 8, true}), WritePreviewFirst(true), WriteReturnSeconds(3600);
         SetDword(HKEY_LOCAL_MACHINE, kRoot, L"Shutdown Index", 3);
       },
       {true, true, 8, true, true, 3600, 3}},
      {"a missing first option leaves all three as created; the newer ones stand alone",
       [] {
         Option(L"mShowExitWin_Checked", 1), Option(L"PageControl1_ActivePageIndex", 3);
         Option(L"mShowTray_Checked", 1), Option(L"mPreviewFirst_Checked", 1), Option(L"AutoReturn_Seconds", 5);
       },
       {.showTray = true, .previewFirst = true, .returnSeconds = 5}},
      {"a value of the wrong type ends its group",
       [] {
         Option(L"mOSCheck_Checked", 1), Option(L"PageControl1_ActivePageIndex", 2);
         SetString(HKEY_LOCAL_MACHINE, kOptions, L"mShowExitWin_Checked", L"1");
         SetString(HKEY_LOCAL_MACHINE, kRoot, L"Shutdown Index", L"3");
       },
       {.osCheck = true}},
      {"a page past the last and seconds below 5 are not taken",
       [] {
         Option(L"mOSCheck_Checked", 0), Option(L"mShowExitWin_Checked", 0);
         Option(L"PageControl1_ActivePageIndex", 9), Option(L"AutoReturn_Seconds", 4);
       },
       {}},
      {"nor a negative page or seconds above 3600",
       [] {
         Option(L"mOSCheck_Checked", 0), Option(L"mShowExitWin_Checked", 0);
         Option(L"PageControl1_ActivePageIndex", static_cast<DWORD>(-1)), Option(L"AutoReturn_Seconds", 3601);
       },
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    DeleteKey(HKEY_LOCAL_MACHINE, kRoot);
    c.store();
    EXPECT_EQ(ReadFrameOptions({}, 9), c.expected);
  }
}

// A newer Windows is warned about once (the option then stays set), one
// not of the NT family or not told is refused.
TEST(WindowsVerdict, NewerIsWarnedAboutOnceOthersAreRefused) {
  const std::wstring newer = L"このWindowsバージョンで動作確認をしていませんが、よろしいでしょうか.";
  const std::wstring refused = L"これはWindows2000, XP, 7専用です.";
  const struct {
    DWORD platform, major, minor;
    bool known, osCheck;
    WindowsVerdict expected;
  } cases[] = {
      {VER_PLATFORM_WIN32_NT, 10, 0, true, false, {10, 0, newer, true, true}},
      {VER_PLATFORM_WIN32_NT, 10, 0, true, true, {10, 0, L"", true, true}},
      {VER_PLATFORM_WIN32_NT, 6, 1, true, false, {6, 1, L"", true, false}},
      {VER_PLATFORM_WIN32_WINDOWS, 4, 90, true, false, {0, 0, refused, false, false}},
      {VER_PLATFORM_WIN32_NT, 6, 1, false, false, {0, 0, refused, false, false}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.platform << " " << c.major << "." << c.minor << " " << c.known);
    OSVERSIONINFOEXW info{};
    info.dwPlatformId = c.platform, info.dwMajorVersion = c.major, info.dwMinorVersion = c.minor;
    const WindowsVerdict verdict = JudgeWindows(c.known ? &info : nullptr, c.osCheck);
    EXPECT_EQ(std::tie(verdict.major, verdict.minor, verdict.message, verdict.supported, verdict.osCheck),
              std::tie(c.expected.major, c.expected.minor, c.expected.message, c.expected.supported,
                       c.expected.osCheck));
  }
}

class LifecycleTest : public FormTest {};

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

// Closing stores the restored position on the screen, a maximised window's
// too, and none while there is no store root (a first run).
TEST_F(LifecycleTest, CloseStoresTheRestoredPlacementOnlyIntoAStoreRoot) {
  TFormIpconfig& form = MakeForm();
  form.SetPosition(120, 90);
  form.FormClose();
  EXPECT_TRUE(form.JoinCancelled());
  EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kRoot, L"Top"));
  for (bool maximized : {false, true}) {  // the options made the root
    if (maximized) form.Maximize();
    form.FormClose();
    EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kRoot, L"Top"), 90u);
    EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kRoot, L"Left"), 120u);
    EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kRoot, L"WindowState"), maximized ? 1u : 0u);
  }
}

// A stored position is taken only where a monitor present shows it;
// "WindowState" 1 alone maximises.
TEST_F(LifecycleTest, TheLoadTakesAStoredPositionAMonitorShows) {
  const struct {
    int left, top;
    DWORD state;
    bool secondMonitor, taken, maximized;
  } cases[] = {{-3000, 200, 0, false, false, false}, {1500, 40, 2, true, true, false}, {1500, 40, 1, false, false, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.left << " " << c.state);
    monitors.resize(1);
    if (c.secondMonitor) monitors.push_back(RECT{1280, 0, 2560, 1024});
    SetDword(HKEY_LOCAL_MACHINE, kRoot, L"Left", static_cast<DWORD>(c.left));
    SetDword(HKEY_LOCAL_MACHINE, kRoot, L"Top", static_cast<DWORD>(c.top));
    SetDword(HKEY_LOCAL_MACHINE, kRoot, L"WindowState", c.state);
    TFormIpconfig& form = MakeForm();
    form.CenterOnScreen();
    const POINT centred = WindowPosition(form);
    form.LoadAtStartup();
    EXPECT_EQ(form.IsMaximized(), c.maximized);
    if (c.maximized) continue;
    EXPECT_EQ(WindowPosition(form).x, c.taken ? c.left : centred.x);
    EXPECT_EQ(WindowPosition(form).y, c.taken ? c.top : centred.y);
  }
}

// The window opens on the page it was closed on and builds that one only; a
// newer Windows is warned about, and the option that says so is stored.
TEST_F(LifecycleTest, TheLoadBuildsTheStoredPageOnlyAndWarnsOfANewerWindowsOnce) {
  SetDword(HKEY_LOCAL_MACHINE, kOptions, L"mOSCheck_Checked", 0);
  SetDword(HKEY_LOCAL_MACHINE, kOptions, L"mShowExitWin_Checked", 0);
  SetDword(HKEY_LOCAL_MACHINE, kOptions, L"PageControl1_ActivePageIndex", 4);
  version.major = 10;
  TFormIpconfig& form = MakeForm();
  form.LoadAtStartup();
  EXPECT_TRUE(form.Domain().Built());
  EXPECT_FALSE(form.Ip().Built());
  EXPECT_EQ(prompts.messages, StringList{L"このWindowsバージョンで動作確認をしていませんが、よろしいでしょうか."});
  form.FormClose();
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kOptions, L"PageControl1_ActivePageIndex"), 4u);
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kOptions, L"mOSCheck_Checked"), 1u);
}

// The program's language file sits beside it with the extension ".jpn":
// only one of another version gets the message, with its full path.
TEST_F(LifecycleTest, OnlyALanguageFileOfAnotherVersionGetsTheMessage) {
  const test::ScratchFolder folder;
  programPath = folder / L"kIpCnfg.exe";
  const struct {
    const wchar_t* source;  // null: none
    bool message;
  } cases[] = {{nullptr, false}, {L"..\\..\\bin\\kIpCnfg.exe", false}, {L"arp.exe", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source ? ToUtf8(c.source) : "none");
    const std::wstring file = folder / L"kIpCnfg.jpn";
    if (c.source) {
      ASSERT_TRUE(CopyFileW((TestProgramFolder() + c.source).c_str(), file.c_str(), FALSE));
    }
    const StringList expected{L"違うバージョンの" + folder.path() + L"kIpCnfg.jpnがあります. 削除してください."};
    for (bool shown : {true, false}) {  // a hidden start is never held by a question
      prompts.messages.clear();
      TFormIpconfig& form = MakeForm();
      if (shown) form.Show();
      form.RunStartup();
      EXPECT_TRUE(form.StartedUp());
      EXPECT_EQ(prompts.messages, c.message && shown ? expected : StringList{});
    }
  }
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
