// The pure decisions of an unattended run: parsing, tab search, exit action.
#include "app/CommandLineArgs.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "apply/SettingShortcut.h"

namespace kip {
namespace {

struct RunCase {
  StringList arguments;
  int exitChoice;
  std::wstring name;
  ExitAction action;
  bool keepsWindow;
};

TEST(CommandLineArgs, NameSwitchAndExitAction) {
  const RunCase cases[] = {
      {{L"Office", L"/s"}, 2, L"office", ExitAction::ShutDown, false},
      {{L"/s", L"Office"}, 2, L"office", ExitAction::ShutDown, false},
      {{L"home", L"-R"}, 0, L"home", ExitAction::Restart, false},
      {{L"home", L"/C"}, 0, L"home", ExitAction::CloseWindow, false},
      {{L"home", L"/n"}, 0, L"home", ExitAction::None, true},
      // Only "/n" itself, as the second argument, keeps the window.
      {{L"-N", L"home"}, 0, L"home", ExitAction::None, false},
      {{L"/n", L"会社"}, 0, L"会社", ExitAction::None, false},
      {{L"会社", L"-n"}, 0, L"会社", ExitAction::None, false},
      {{L"会社", L"/N"}, 0, L"会社", ExitAction::None, true},
      {{L"home", L"/x"}, 0, L"home", ExitAction::CloseWindow, false},
      {{L"home", L"/"}, 0, L"home", ExitAction::CloseWindow, false},
      {{L"home", L"extra"}, 0, L"home", ExitAction::ShutDown, false},
      {{L"home"}, 1, L"home", ExitAction::Restart, false},
      {{L"home"}, 2, L"home", ExitAction::CloseWindow, false},
      {{L"home"}, 3, L"home", ExitAction::None, false},
      {{L"home"}, 4, L"home", ExitAction::LogOff, false},
      {{L"home"}, 9, L"home", ExitAction::None, false},
      {{L"/s"}, 2, L"", ExitAction::ShutDown, false},
      {{L" \tMy LAN\r\n", L"/s", L"/n"}, 2, L"my lan", ExitAction::ShutDown, false},
      {{L"  事務所ＡＢＣ  "}, 2, L"事務所ＡＢＣ", ExitAction::CloseWindow, false},
  };
  for (const RunCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    const CommandLineRequest request = ParseCommandLine(c.arguments);
    EXPECT_EQ(request.settingName, c.name);
    EXPECT_EQ(ChooseExitAction(request, c.exitChoice), c.action);
    EXPECT_EQ(request.keepWindowOpen, c.keepsWindow);
  }
}

TEST(CommandLineArgs, TabSearchFoldsOnlyLatinCaseAndTakesTheLeftmost) {
  const StringList tabs = {L"事務所", L"ＬＡＮ", L"OFFICE", L"Office", L" home "};
  const struct {
    std::wstring name;
    int index;
  } cases[] = {
      {L" office ", 2},  // the left one of two tabs differing in case
      {L"OFFICE", 2},
      {L"home", 4},
      {L"　事務所", -1},  // an ideographic space is not trimmed
      {L"\t事務所 ", 0},
      {L"ｌａｎ", -1},  // full-width letters are not case-folded
      {L"ＬＡＮ", 1},
      {L"offic", -1},
      {L"", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.name));
    EXPECT_EQ(FindSettingTab(tabs, c.name), c.index);
  }
  EXPECT_EQ(SettingNotFoundText(L"my lan"), L"設定[my lan]が見つかりません.");
}

// A shortcut's arguments, read as the program reads its command line, find
// the setting they were made for and carry its switch, whatever the name
// holds: quotes, backslashes before quotes or at the end, "%", a leading
// switch character.
TEST(CommandLineArgs, ShortcutArgumentsFindTheirSettingForEveryName) {
  const std::wstring names[] = {L"19\" rack", L"a\\\"b",  L"a\\\\\"b", L"trail\\", L"two\\\\", L"%TEMP%x", L"%%",
                                L"/home",      L"-r",       L"\"",        L"a b  c", L"事務所 \"本館\"\\"};
  const std::pair<int, ExitAction> items[] = {
      {-1, ExitAction::CloseWindow}, {0, ExitAction::ShutDown}, {3, ExitAction::None}};
  for (const std::wstring& name : names) {
    for (const auto& [item, action] : items) {
      SCOPED_TRACE(ToUtf8(name) + " item " + std::to_string(item));
      const SettingShortcut shortcut = MakeSettingShortcut(name, item, L"C:\\k\\kIpCnfg.exe", L"D:\\");
      int count = 0;
      LPWSTR* argv = CommandLineToArgvW((shortcut.target + L" " + shortcut.arguments).c_str(), &count);
      ASSERT_NE(argv, nullptr);
      const StringList arguments(argv + 1, argv + count);
      LocalFree(argv);
      const CommandLineRequest request = ParseCommandLine(arguments);
      EXPECT_EQ(FindSettingTab({L"other", name}, request.settingName), 1);
      EXPECT_EQ(ChooseExitAction(request, 2), action);  // 2: the stored choice closes the window
    }
  }
}

}  // namespace
}  // namespace kip
