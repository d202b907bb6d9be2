// TExitWin against a recording double: which Windows calls are made with
// which flags, and which message is raised when Windows refuses.
#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "apply/ExitWin32.h"
#include "util/Text.h"
#include "support/RecordingExitPlatform.h"
#include "store/StoreKeys.h"
#include "support/RegistrySandbox.h"

namespace kip {
namespace {

struct ExitCase {
  const char* name;
  bool nt;
  PrivilegeResult privilege;
  DWORD refusal;  // 0: Windows does what it is asked; else the error it gives
  std::function<void(TExitWin&)> operation;
  std::vector<std::string> calls;
  const wchar_t* message;  // the EExitError raised begins with it, or null
  const wchar_t* reason = L"";  // and then holds this
};

void PrintTo(const ExitCase& c, std::ostream* os) { *os << c.name; }

class ExitOperations : public ::testing::TestWithParam<ExitCase> {};

TEST_P(ExitOperations, CallWindowsAndReportAsExpected) {
  const ExitCase& c = GetParam();
  RecordingExitPlatform platform;
  platform.nt = c.nt;
  platform.privilege = c.privilege;
  platform.exitSucceeds = c.refusal == 0;
  platform.shutdownError = c.refusal;
  TExitWin exitWin(platform);
  std::wstring raised;
  try {
    c.operation(exitWin);
  } catch (const EExitError& error) {
    raised = error.Message();
  }
  EXPECT_EQ(platform.calls, c.calls);
  if (!c.message) {
    EXPECT_EQ(raised, L"");
  } else {
    EXPECT_EQ(raised.rfind(c.message, 0), 0u) << ToUtf8(raised);
    EXPECT_NE(raised.find(c.reason), std::wstring::npos) << ToUtf8(raised);
  }
}

const auto kShutDown = [](TExitWin& e) { e.ShutDown(); };
const auto kRestart = [](TExitWin& e) { e.Restart(); };
constexpr auto kAdjusted = PrivilegeResult::Adjusted;

// Shut-down and restart of the NT family go through InitiateSystemShutdownExW
// with a planned reason (0x80020004: operating system, reconfiguration,
// planned), never a zero one; a refusal says why.
constexpr char kPowerOff[] = "power off reason 80020004";
constexpr char kReboot[] = "reboot reason 80020004";

const ExitCase kExitCases[] = {
    {"NtShutDownPowersOff", true, kAdjusted, 0, kShutDown, {"privilege", kPowerOff}, nullptr},
    {"NtRestartReboots", true, kAdjusted, 0, kRestart, {"privilege", kReboot}, nullptr},
    {"NtShutDownTokenNotOpened", true, PrivilegeResult::TokenNotOpened, 0, kShutDown, {"privilege"},
     kExitTokenShutdown},
    {"NtRestartTokenNotOpened", true, PrivilegeResult::TokenNotOpened, 0, kRestart, {"privilege"},
     kExitTokenRestart},
    {"NtUnknownPrivilegeIsReported", true, PrivilegeResult::PrivilegeUnknown, 0, kShutDown, {"privilege"},
     kExitPrivilegeShutdown},
    {"NtPrivilegeNotAdjustedNeverExits", true, PrivilegeResult::NotAdjusted, 0, kRestart, {"privilege"},
     kExitPrivilegeRestart},
    {"NtAccountWithoutPrivilege", true, kAdjusted, ERROR_PRIVILEGE_NOT_HELD, kShutDown, {"privilege", kPowerOff},
     kExitPrivilegeShutdown, L"(コード 1314)"},
    {"NtRestartRefused", true, kAdjusted, ERROR_ACCESS_DENIED, kRestart, {"privilege", kReboot},
     kExitPrivilegeRestart, L"(コード 5)"},
    {"OlderShutDownRefused", false, kAdjusted, 1, kShutDown, {"exit 9"}, kExitPowerOffFailed},
    {"OlderRestartRefused", false, kAdjusted, 1, kRestart, {"exit 2"}, kExitRebootFailed},
    {"LogOffRefusedShowsTheWindowAgain", true, kAdjusted, 1, [](TExitWin& e) { e.LogOff(); },
     {"hide", "exit 0", "show"}, kExitLogOffFailed},
    {"NtLogOffLeavesTheWindowHidden", true, kAdjusted, 0, [](TExitWin& e) { e.LogOff(); }, {"hide", "exit 0"},
     nullptr},
    {"ChoiceShutDown", true, kAdjusted, 0, [](TExitWin& e) { e.ActOnChoice(ecShutdown); },
     {"privilege", kPowerOff}, nullptr},
    {"ChoiceRestart", true, kAdjusted, 0, [](TExitWin& e) { e.ActOnChoice(ecRestart); }, {"privilege", kReboot},
     nullptr},
    {"ChoiceLeaveProgram", true, kAdjusted, 0, [](TExitWin& e) { e.ActOnChoice(ecLeaveProgram); }, {"close"},
     nullptr},
    {"ChoiceCarryOn", true, kAdjusted, 0, [](TExitWin& e) { e.ActOnChoice(ecCarryOn); }, {}, nullptr},
    {"ChoiceOutOfRange", true, kAdjusted, 0, [](TExitWin& e) { e.ActOnChoice(7); }, {}, nullptr},
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
