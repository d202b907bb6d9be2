// The about box and the help page, against the built program file.
#include "ui/UAbout.h"

#include <gtest/gtest.h>

#include "WinTestForm.h"
#include "util/Files.h"
#include "version.h"

namespace kip {
namespace {

using win::test::DispatchPending;
using win::test::UserClick;

// The program as the build places it (build/bin), seen from the test
// programs (build/tests/bin).
std::wstring BuiltProgram() {
  const std::wstring relative = ProgramFolder() + L"..\\..\\bin\\kIpCnfg.exe";
  wchar_t full[MAX_PATH];
  const DWORD length = GetFullPathNameW(relative.c_str(), MAX_PATH, full, nullptr);
  return length > 0 && length < MAX_PATH ? std::wstring(full, length) : relative;
}

SIZE IconSize(HICON icon) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return {0, 0};
  BITMAP bitmap{};
  GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  SIZE size{bitmap.bmWidth, info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2};
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return size;
}

int CountAboutWindows() {
  int count = 0;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM counter) {
        wchar_t name[32] = {};
        if (GetClassNameW(hwnd, name, 32) && lstrcmpW(name, L"TAboutForm") == 0) ++*reinterpret_cast<int*>(counter);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count;
}

class AboutTest : public testing::Test {
 protected:
  UniqueHFont font = win::CreateUiFont(96);
};

TEST_F(AboutTest, ShowsTheProgramsVersionResourceAndItsIconAt64Pixels) {
  struct Case {
    std::wstring program;
    std::wstring title, version, author;
    LONG iconSide;
  } cases[] = {
      {BuiltProgram(), L"" KIP_PRODUCT_NAME, L"バージョン " KIP_VERSION_TEXT, L"作者 harlune", 64},
      // The test program has neither a version resource nor the icon.
      {ProgramPath(), L"", L"バージョン ", L"作者 ", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.program));
    ASSERT_TRUE(FileExists(c.program));
    TAboutForm about;
    about.Create(nullptr, font.get(), c.program);
    EXPECT_EQ(about.Text(), L"バージョン情報");
    EXPECT_EQ(about.LabelTitle.Text(), c.title);
    EXPECT_EQ(about.LabelVersion.Text(), c.version);
    EXPECT_EQ(about.LabelCopyLeft.Text(), c.author);
    EXPECT_EQ(IconSize(about.MainIcon()).cx, c.iconSide);
    EXPECT_EQ(IconSize(about.MainIcon()).cy, c.iconSide);
    auto shown = reinterpret_cast<HICON>(SendMessageW(about.ImageMain.Handle(), STM_GETICON, 0, 0));
    EXPECT_EQ(shown, about.MainIcon());
  }
}

TEST_F(AboutTest, OpensOnceClosesOnEscapeAndOkAndOpensItsLinks) {
  win::test::TestForm owner;
  AboutBox box;
  TAboutForm& first = box.Show(owner.Handle(), font.get(), BuiltProgram());
  std::vector<std::wstring> opened;
  first.OpenAddress = [&](const std::wstring& address) { opened.push_back(address); };
  HWND handle = first.Handle();
  EXPECT_TRUE(first.Visible());

  EXPECT_EQ(&box.Show(owner.Handle(), font.get(), BuiltProgram()), &first);
  EXPECT_EQ(first.Handle(), handle);
  EXPECT_EQ(CountAboutWindows(), 1);

  SendMessageW(handle, WM_COMMAND, IDCANCEL, 0);  // Esc
  EXPECT_FALSE(first.Visible());
  box.Show(owner.Handle(), font.get(), BuiltProgram());
  EXPECT_TRUE(first.Visible());
  EXPECT_EQ(CountAboutWindows(), 1);
  UserClick(first.BtnCancel);
  EXPECT_FALSE(first.Visible());

  for (AboutLabel* link : {&first.Label3, &first.Label4}) SendMessageW(link->Handle(), WM_LBUTTONDOWN, 0, 0);
  DispatchPending();
  EXPECT_EQ(opened, (std::vector<std::wstring>{HelpPagePath(BuiltProgram()), ReadmePath(BuiltProgram())}));
  EXPECT_EQ(first.Label3.Text(), kHelpPageName);
  EXPECT_TRUE(FileExists(ReadmePath(BuiltProgram())));  // both documents come with the program
}

TEST_F(AboutTest, TheHelpPageLiesBesideTheBuiltProgram) {
  const std::wstring help = HelpPagePath(BuiltProgram());
  EXPECT_TRUE(help.ends_with(L"\\bin\\help\\kIpCnfg.html")) << ToUtf8(help);
  const std::string page = ReadWholeFile(help);
  ASSERT_FALSE(page.empty());
  // The page covers the command line, the shortcuts, export and import and
  // the card copy, in the page's own encoding.
  for (const char* topic : {"charset=\"utf-8\"", "<code>/s</code>", "<code>-r</code>", "<code>/c</code>",
                            "<code>/n</code>", "kIpConfig[", "kIpBackup", "kIpUndo", "他のLANカード設定をコピーする"})
    EXPECT_NE(page.find(topic), std::string::npos) << topic;
}

}  // namespace
}  // namespace kip
