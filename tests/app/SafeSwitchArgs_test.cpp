// The command lines of safe switching: the preview switch, which must never
// be taken for a commit (nor a classic run for a preview), and the helper's
// own command line, which must never accept what could reach outside its
// key.
#include <gtest/gtest.h>

#include "app/CommandLineArgs.h"

namespace kip {
namespace {

TEST(SafeSwitchArgs, ThePreviewSwitchAndNothingElseAsksForAPreview) {
  const std::wstring defaultFile = L"C:\\kip\\kIpCnfg.preview.txt";  // beside the program
  const struct {
    StringList arguments;
    std::optional<std::wstring> file;
  } cases[] = {
      {{L"会社", L"/preview:C:\\p.txt"}, L"C:\\p.txt"},
      {{L"-PREVIEW: D:\\out.txt ", L"会社"}, L"D:\\out.txt"},
      {{L"会社", L"/preview"}, L"C:\\kip\\kIpCnfg.preview.txt"},
      {{L"会社", L"/preview:"}, L"C:\\kip\\kIpCnfg.preview.txt"},
      {{L"会社", L"/p"}, std::nullopt},
      {{L"会社", L"/previews"}, std::nullopt},
      {{L"/preview:x.txt"}, L"x.txt"},
      {{L"会社", L"/c", L"/preview:x.txt"}, L"x.txt"},  // anywhere: it wins over the commit
      {{L"preview:x.txt", L"/c"}, std::nullopt},           // a setting's name
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.arguments[0] + L" " + (c.arguments.size() > 1 ? c.arguments[1] : L"")));
    EXPECT_EQ(PreviewFileArgument(c.arguments, defaultFile), c.file);
  }
}

TEST(SafeSwitchArgs, TheHelperTakesOnlyItsOwnCommandLine) {
  const struct {
    StringList arguments;
    bool accepted;
  } cases[] = {
      {{L"/autoreturn", L"1234-5678", L"42"}, true},
      {{L"/AUTORETURN", L"1234-5678", L"42"}, true},
      {{L"/autoreturn", L"..\\会社", L"42"}, false},
      {{L"/autoreturn", L"", L"42"}, false},
      {{L"/autoreturn", L"1234", L"-1"}, false},
      {{L"/autoreturn", L"1234", L"99999999999"}, false},
      {{L"/autoreturn", L"1234"}, false},
      {{L"/autoreturn", L"1234", L"42", L"/n"}, false},
      {{L"会社", L"/autoreturn", L"42"}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.arguments[0] + L" " + c.arguments[1]));
    const std::optional<AutoReturnArguments> parsed = ParseAutoReturnArguments(c.arguments);
    EXPECT_EQ(parsed.has_value(), c.accepted);
    if (parsed) {
      EXPECT_EQ(parsed->token, c.arguments[1]);
      EXPECT_EQ(parsed->windowProcessId, 42u);
    }
  }
}

}  // namespace
}  // namespace kip
