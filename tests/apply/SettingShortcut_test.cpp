// A setting's desktop shortcut, read back through the shell-link object.
#include "apply/SettingShortcut.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include "util/Files.h"

namespace kip {
namespace {

using Microsoft::WRL::ComPtr;

// A fresh folder under %TEMP% standing in for the desktop; emptied and
// removed at the end.
class ScratchDesktop {
 public:
  ScratchDesktop() : path_(GetTempFolder() + L"kipdesk" + std::to_wstring(GetCurrentProcessId()) + L"\\") {
    CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~ScratchDesktop() {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path_ + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do DeleteFileW((path_ + found.cFileName).c_str());
      while (FindNextFileW(search, &found));
      FindClose(search);
    }
    RemoveDirectoryW(path_.c_str());
  }
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

struct LinkRead {
  std::wstring path, arguments, workingFolder, description, iconFile;
  int iconIndex = -1;
};

LinkRead ReadLink(const std::wstring& file) {
  LinkRead out;
  ComPtr<IShellLinkW> link;
  ComPtr<IPersistFile> persist;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))) ||
      FAILED(link.As(&persist)) || FAILED(persist->Load(file.c_str(), STGM_READ))) {
    ADD_FAILURE() << "the shortcut could not be loaded";
    return out;
  }
  wchar_t text[INFOTIPSIZE] = {};
  link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
  out.path = text;
  link->GetArguments(text, INFOTIPSIZE);
  out.arguments = text;
  link->GetWorkingDirectory(text, MAX_PATH);
  out.workingFolder = text;
  link->GetDescription(text, INFOTIPSIZE);
  out.description = text;
  link->GetIconLocation(text, MAX_PATH, &out.iconIndex);
  out.iconFile = text;
  return out;
}

// The name goes into the file name made safe but into the arguments as the
// tab shows it: the command line finds the tab by that text.
TEST(SettingShortcut, NameWithAColonKeepsItInTheArgumentsOnly) {
  ScratchDesktop desktop;
  const std::wstring program = ProgramPath();
  const SettingShortcut shortcut = MakeSettingShortcut(L"LAN:2F", -1, program, desktop.path());
  EXPECT_EQ(shortcut.file, desktop.path() + L"kIpConfig[LAN：2F].lnk");
  ASSERT_TRUE(WriteSettingShortcut(shortcut));

  const LinkRead read = ReadLink(desktop.path() + L"kIpConfig[LAN：2F].lnk");
  EXPECT_EQ(read.path, program);
  EXPECT_EQ(read.arguments, L"\"LAN:2F\"");
  EXPECT_EQ(IncludeTrailingBackslash(read.workingFolder), ProgramFolder());
  EXPECT_EQ(read.description, L"HARLUNE IP CONFIG");
  EXPECT_EQ(read.iconFile, program);
  EXPECT_EQ(read.iconIndex, 0);
}

TEST(SettingShortcut, ExitItemBecomesTheSwitch) {
  const struct {
    int item;
    const wchar_t* arguments;
  } cases[] = {
      {-1, L"\"Office 2\""},  // the post-commit dialog was not shown in this run
      {0, L"\"Office 2\" /s"},
      {1, L"\"Office 2\" /r"},
      {2, L"\"Office 2\" /c"},
      {3, L"\"Office 2\" /n"},
      {4, L"\"Office 2\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.item);
    const SettingShortcut shortcut = MakeSettingShortcut(L"Office 2", c.item, L"C:\\kip\\kIpCnfg.exe", L"D:\\");
    EXPECT_EQ(shortcut.arguments, c.arguments);
    EXPECT_EQ(shortcut.target, L"\"C:\\kip\\kIpCnfg.exe\"");
    EXPECT_EQ(shortcut.workingFolder, L"C:\\kip\\");
    EXPECT_EQ(shortcut.file, L"D:\\kIpConfig[Office 2].lnk");
  }
}

TEST(SettingShortcut, ReportsAFileThatCannotBeWritten) {
  ScratchDesktop desktop;
  const SettingShortcut shortcut = MakeSettingShortcut(L"x", 0, ProgramPath(), desktop.path() + L"missing\\");
  EXPECT_FALSE(WriteSettingShortcut(shortcut));
  EXPECT_FALSE(FileExists(shortcut.file));
}

}  // namespace
}  // namespace kip
