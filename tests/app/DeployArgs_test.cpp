// The deployment switches beside the classic arguments.
#include <gtest/gtest.h>

#include "app/DeployArgs.h"

namespace kip {
namespace {

TEST(DeployArgs, TakesItsSwitchesAndTheirFilesAndLeavesTheClassicArgumentsInOrder) {
  const struct {
    StringList arguments;
    bool quiet, usage;
    std::optional<std::wstring> importFile;
    std::wstring logFile;
    StringList classic;
  } cases[] = {
      {{L"会社", L"/c"}, false, false, std::nullopt, L"", {L"会社", L"/c"}},
      {{L"-Q", L"/c", L"会社", L"/LOG", L"C:\\a b.log"}, true, false, std::nullopt, L"C:\\a b.log", {L"/c", L"会社"}},
      // A switch never becomes the file of the switch before it.
      {{L"/import", L"/q", L"自宅"}, true, true, L"", L"", {L"自宅"}},
      {{L"/log", L"-q", L"X"}, true, true, std::nullopt, L"", {L"X"}},
      {{L"/quiet", L"/?"}, false, true, std::nullopt, L"", {L"/quiet"}},
      // A switch without its file shows the usage.
      {{L"/q", L"/log"}, true, true, std::nullopt, L"", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.arguments[0]));
    const DeployOptions options = ParseDeployOptions(c.arguments);
    EXPECT_EQ(options.quiet, c.quiet);
    EXPECT_EQ(options.usage, c.usage);
    EXPECT_EQ(options.importFile, c.importFile);
    EXPECT_EQ(options.logFile, c.logFile);
    EXPECT_EQ(options.classicArguments, c.classic);
  }
  // Taken as a classic switch, "/resident" would be "/r": restart Windows.
  const DeployOptions resident = ParseDeployOptions({L"/RESIDENT", L"/log", L"x.log"});
  EXPECT_TRUE(resident.resident);
  EXPECT_TRUE(resident.classicArguments.empty());
}

}  // namespace
}  // namespace kip
