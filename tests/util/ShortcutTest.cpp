#include "util/Shortcut.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <thread>

#include "UtilTestSupport.h"
#include "util/Files.h"

namespace kip {
namespace {

using Microsoft::WRL::ComPtr;
using test::ScratchFolder;

struct LinkProperties {
  std::wstring path, arguments, workingFolder, description, iconFile;
  int iconIndex = -1;
};

LinkProperties ReadLink(const std::wstring& linkFile) {
  LinkProperties out;
  ComPtr<IShellLinkW> link;
  ComPtr<IPersistFile> file;
  EXPECT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)));
  if (!link || FAILED(link.As(&file)) || FAILED(file->Load(linkFile.c_str(), STGM_READ))) {
    ADD_FAILURE() << "shortcut could not be loaded";
    return out;
  }
  wchar_t text[INFOTIPSIZE] = {};
  link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
  out.path = text;
  text[0] = 0;
  link->GetArguments(text, INFOTIPSIZE);
  out.arguments = text;
  text[0] = 0;
  link->GetWorkingDirectory(text, MAX_PATH);
  out.workingFolder = text;
  text[0] = 0;
  link->GetDescription(text, INFOTIPSIZE);
  out.description = text;
  text[0] = 0;
  link->GetIconLocation(text, MAX_PATH, &out.iconIndex);
  out.iconFile = text;
  return out;
}

TEST(CreateShortcut, WritesEveryPropertyAndReplacesAnExistingLink) {
  ScratchFolder scratch;
  const std::wstring program = ProgramPath();
  const std::wstring link = scratch / L"kIpConfig[office 2]";
  ASSERT_TRUE(CreateShortcut(program, L"\"old\" /n", ProgramFolder(), L"OLD", link, program));
  ASSERT_TRUE(CreateShortcut(program, L"\"a/b\" /s", ProgramFolder(), L"HARLUNE IP CONFIG", link, program));

  ASSERT_TRUE(FileExists(link + L".lnk"));
  const LinkProperties read = ReadLink(link + L".lnk");
  EXPECT_EQ(read.path, program);
  EXPECT_EQ(read.arguments, L"\"a/b\" /s");
  EXPECT_EQ(IncludeTrailingBackslash(read.workingFolder), ProgramFolder());
  EXPECT_EQ(read.description, L"HARLUNE IP CONFIG");
  EXPECT_EQ(read.iconFile, program);
  EXPECT_EQ(read.iconIndex, 0);
}

TEST(CreateShortcut, AppendsTheExtensionOnlyWhenMissing) {
  EXPECT_EQ(ShortcutFileName(L"C:\\d\\x.LNK"), L"C:\\d\\x.LNK");
  EXPECT_EQ(ShortcutFileName(L"C:\\d\\x.Lnk"), L"C:\\d\\x.Lnk");
  EXPECT_EQ(ShortcutFileName(L"C:\\d\\xlnk"), L"C:\\d\\xlnk.lnk");
  EXPECT_EQ(ShortcutFileName(L"C:\\d\\x.lnk.txt"), L"C:\\d\\x.lnk.txt.lnk");
  EXPECT_EQ(ShortcutFileName(L"lnk"), L"lnk.lnk");

  ScratchFolder scratch;
  const std::wstring program = ProgramPath();
  ASSERT_TRUE(CreateShortcut(program, L"", L"", L"", scratch / L"upper.LNK", program));
  ASSERT_TRUE(CreateShortcut(program, L"", L"", L"", scratch / L"nodotlnk", program));
  EXPECT_TRUE(FileExists(scratch / L"upper.LNK"));
  EXPECT_FALSE(FileExists(scratch / L"upper.LNK.lnk"));
  EXPECT_TRUE(FileExists(scratch / L"nodotlnk.lnk"));
  EXPECT_EQ(ReadLink(scratch / L"upper.LNK").path, program);
}

TEST(CreateShortcut, ReportsALinkThatCannotBeSaved) {
  ScratchFolder scratch;
  EXPECT_FALSE(CreateShortcut(ProgramPath(), L"", L"", L"", scratch / L"missing\\x", ProgramPath()));
  // A thread without COM gets no shell-link object: the user reads why, in Japanese.
  std::wstring message;
  std::thread([&] {
    try {
      CreateShortcut(ProgramPath(), L"", L"", L"", scratch / L"x", ProgramPath());
    } catch (const ShortcutError& error) {
      message = error.Message();
    }
  }).join();
  EXPECT_EQ(message.rfind(L"ショートカットを作成できません", 0), 0u) << ToUtf8(message);
}

}  // namespace
}  // namespace kip
