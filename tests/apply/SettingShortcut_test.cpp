// A setting's desktop shortcut, read back through the shell-link object.
#include "apply/SettingShortcut.h"

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include "util/Files.h"

namespace kip {
namespace {

std::wstring LinkArguments(const std::wstring& file) {
  Microsoft::WRL::ComPtr<IShellLinkW> link;
  Microsoft::WRL::ComPtr<IPersistFile> persist;
  wchar_t text[INFOTIPSIZE] = {};
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))) &&
      SUCCEEDED(link.As(&persist)) && SUCCEEDED(persist->Load(file.c_str(), STGM_READ))) {
    link->GetArguments(text, INFOTIPSIZE);
  }
  return text;
}

// The name goes into the file name made safe but into the arguments as the
// tab shows it: the command line finds the tab by that text. No switch is
// added while the post-commit dialog's list has no selection (-1).
TEST(SettingShortcut, SafeFileNameAndQuotedNameWithTheSwitch) {
  const std::wstring folder = GetTempFolder();
  const SettingShortcut shortcut = MakeSettingShortcut(L"LAN:2F", -1, ProgramPath(), folder);
  ASSERT_EQ(shortcut.file, folder + L"kIpConfig[LAN：2F].lnk");
  ASSERT_TRUE(WriteSettingShortcut(shortcut));
  EXPECT_EQ(LinkArguments(shortcut.file), L"\"LAN:2F\"");
  DeleteFileW(shortcut.file.c_str());

  const wchar_t* const expected[] = {L"\"a b\"", L"\"a b\" /s", L"\"a b\" /r", L"\"a b\" /c", L"\"a b\" /n", L"\"a b\""};
  for (int item = -1; item <= 4; ++item) {
    EXPECT_EQ(MakeSettingShortcut(L"a b", item, L"C:\\k\\k.exe", L"D:\\").arguments, expected[item + 1]) << item;
  }
  EXPECT_FALSE(WriteSettingShortcut(MakeSettingShortcut(L"x", 0, ProgramPath(), folder + L"missing\\")));
}

}  // namespace
}  // namespace kip
