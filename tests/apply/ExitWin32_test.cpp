// TExitWin against a recording double: which Windows calls are made with
// which flags, and which message is raised when Windows refuses.
#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "apply/ExitWin32.h"
#include "support/RecordingExitPlatform.h"
#include "store/StoreKeys.h"
#include "support/RegistrySandbox.h"

namespace kip {
namespace {

struct ExitCase {
  const char* name;
  bool nt;
  PrivilegeResult privilege;
  bool exitSucceeds;
  std::function<void(TExitWin&)> operation;
  std::vector<std::string> calls;
  const wchar_t* message;  // the EExitError raised, or null
};

void PrintTo(const ExitCase& c, std::ostream* os) { *os << c.name; }

class ExitOperations : public ::testing::TestWithParam<ExitCase> {};

TEST_P(ExitOperations, CallWindowsAndReportAsExpected) {
  const ExitCase& c = GetParam();
  RecordingExitPlatform platform;
  platform.nt = c.nt;
  platform.privilege = c.privilege;
  platform.exitSucceeds = c.exitSucceeds;
  TExitWin exitWin(platform);
  std::wstring raised;
  try {
    c.operation(exitWin);
  } catch (const EExitError& error) {
    raised = error.Message();
  }
  EXPECT_EQ(platform.calls, c.calls);
  EXPECT_EQ(raised, c.message ? c.message : L"");
}

const auto kShutDown = [](TExitWin& e) { e.ShutDown(); };
const auto kRestart = [](TExitWin& e) { e.Restart(); };
constexpr auto kAdjusted = PrivilegeResult::Adjusted;

const ExitCase kExitCases[] = {
    {"NtShutDownPowersOff", true, kAdjusted, true, kShutDown, {"privilege", "exit 8"}, nullptr},
    {"NtRestartReboots", true, kAdjusted, true, kRestart, {"privilege", "exit 2"}, nullptr},
    {"NtShutDownTokenNotOpened", true, PrivilegeResult::TokenNotOpened, true, kShutDown, {"privilege"},
     kExitTokenShutdown},
    {"NtRestartTokenNotOpened", true, PrivilegeResult::TokenNotOpened, true, kRestart, {"privilege"},
     kExitTokenRestart},
    {"NtUnknownPrivilegeDoesNothingSilently", true, PrivilegeResult::PrivilegeUnknown, true, kShutDown,
     {"privilege"}, nullptr},
    {"NtPrivilegeNotAdjustedNeverExits", true, PrivilegeResult::NotAdjusted, true, kRestart, {"privilege"},
     kExitPrivilegeRestart},
    {"NtAccountWithoutPrivilege", true, kAdjusted, false, kShutDown, {"privilege", "exit 8"},
     kExitPrivilegeShutdown},
    {"NtRestartRefused", true, kAdjusted, false, kRestart, {"privilege", "exit 2"}, kExitPrivilegeRestart},
    {"OlderShutDownRefused", false, kAdjusted, false, kShutDown, {"exit 9"}, kExitPowerOffFailed},
    {"OlderRestartRefused", false, kAdjusted, false, kRestart, {"exit 2"}, kExitRebootFailed},
    {"NtHasNoShellRestart", true, kAdjusted, true, [](TExitWin& e) { e.RestartWindowsOnly(); }, {},
     kExitNoShellRestartOnNT},
    {"LogOffRefusedShowsTheWindowAgain", true, kAdjusted, false, [](TExitWin& e) { e.LogOff(); },
     {"hide", "exit 0", "show"}, kExitLogOffFailed},
    {"NtLogOffLeavesTheWindowHidden", true, kAdjusted, true, [](TExitWin& e) { e.LogOff(); }, {"hide", "exit 0"},
     nullptr},
    {"ChoiceShutDown", true, kAdjusted, true, [](TExitWin& e) { e.ActOnChoice(ecShutdown); },
     {"privilege", "exit 8"}, nullptr},
    {"ChoiceRestart", true, kAdjusted, true, [](TExitWin& e) { e.ActOnChoice(ecRestart); },
     {"privilege", "exit 2"}, nullptr},
    {"ChoiceLeaveProgram", true, kAdjusted, true, [](TExitWin& e) { e.ActOnChoice(ecLeaveProgram); }, {"close"},
     nullptr},
    {"ChoiceCarryOn", true, kAdjusted, true, [](TExitWin& e) { e.ActOnChoice(ecCarryOn); }, {}, nullptr},
    {"ChoiceOutOfRange", true, kAdjusted, true, [](TExitWin& e) { e.ActOnChoice(7); }, {}, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Cases, ExitOperations, ::testing::ValuesIn(kExitCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ExitWin, OlderFamilyLogOffRestartsAnOldShellOnly) {
  struct Case {
    std::optional<std::pair<int, int>> shell;
    bool restartsShell;
  };
  // "major.minor" is read as a number: 4.100 is 4.1, below 4.72.
  const Case cases[] = {{std::make_pair(4, 72), false}, {std::make_pair(5, 0), false},
                        {std::make_pair(4, 71), true},  {std::make_pair(4, 100), true},
                        {std::nullopt, true}};
  for (const Case& c : cases) {
    RecordingExitPlatform platform;
    platform.nt = false;
    platform.shellVersion = c.shell;
    platform.progmanAnswers = {false, true, true, false};
    TExitWin(platform).LogOff();
    const std::vector<std::string> restarted{"hide",  "exit 0",    "pause 500", "quit progman",
                                             "pause 500", "explorer", "close"};
    const std::vector<std::string> closed{"hide", "exit 0", "close"};
    EXPECT_EQ(platform.calls, c.restartsShell ? restarted : closed)
        << (c.shell ? c.shell->first : -1) << "." << (c.shell ? c.shell->second : -1);
  }
}

TEST(ExitWin, ShellRestartOnTheOlderFamily) {
  RecordingExitPlatform platform;
  platform.nt = false;
  platform.shellRestartSucceeds = false;
  TExitWin exitWin(platform);
  try {
    exitWin.RestartWindowsOnly();
    ADD_FAILURE() << "no error";
  } catch (const EExitError& error) {
    EXPECT_EQ(error.Message(), kExitShellRestartFailed);
  }
  // A 64-bit program cannot set up the 16-bit call: a plain error, not
  // EExitError.
  auto real = CreateWindowsExitPlatform(nullptr);
  try {
    real->RestartWindowsShell();
    ADD_FAILURE() << "no error";
  } catch (const EExitError&) {
    ADD_FAILURE() << "raised EExitError";
  } catch (const KipError& error) {
    EXPECT_TRUE(error.Message() == kThunkQtThunk || error.Message() == kThunkUserExe) << error.what();
  }
}

class ExitChoiceStore : public RegistryTest {};

TEST_F(ExitChoiceStore, WritesShutdownIndexOnlyIntoAnExistingKey) {
  EXPECT_FALSE(StoreExitChoice(ecCarryOn));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kStoreRootKey));
  CreateKey(HKEY_LOCAL_MACHINE, kStoreRootKey);
  EXPECT_TRUE(StoreExitChoice(ecCarryOn));
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kStoreRootKey, L"Shutdown Index"), 3u);
}

}  // namespace
}  // namespace kip
