#include "util/Files.h"

#include <shlobj.h>

#include <optional>

#include <gtest/gtest.h>

#include "UtilTestSupport.h"

namespace kip {
namespace {

using test::EnvOverride;
using test::ScratchFolder;
using test::CountingWindow;

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(MakeSafeFileName, ReplacesEveryForbiddenCharacterByItsFullWidthLookAlike) {
  EXPECT_EQ(MakeSafeFileName(L"\\/:,;*?\"<>|"),
            L"\xFFE5\xFF0F\xFF1A\xFF0C\xFF1B\xFF0A\xFF1F\x201D\xFF1C\xFF1E\xFF5C");
  EXPECT_EQ(MakeSafeFileName(L"a/b:c"), L"a\xFF0F" L"b\xFF1A" L"c");
  EXPECT_EQ(MakeSafeFileName(L"say \"hi\""), L"say \x201Dhi\x201D");
  EXPECT_EQ(MakeSafeFileName(L"C:\\x\\\\y"), L"C\xFF1A\xFFE5x\xFFE5\xFFE5y");
}

TEST(MakeSafeFileName, LeavesOtherNamesUnchanged) {
  EXPECT_EQ(MakeSafeFileName(L""), L"");
  EXPECT_EQ(MakeSafeFileName(L"Office LAN-2 (5F)"), L"Office LAN-2 (5F)");
  // Japanese text whose code page 932 bytes include 0x5C ("表" is 95 5C)
  // and a character outside the basic plane stay whole.
  const std::wstring japanese = L"\x8868\x793A\x3000\x30BD\x30D5\x30C8 \xD83D\xDE00";
  EXPECT_EQ(MakeSafeFileName(japanese), japanese);
  EXPECT_EQ(MakeSafeFileName(L"\x8868/"), L"\x8868\xFF0F");
}

TEST(PathPieces, SplitAtTheLastFolderSeparatorOnly) {
  EXPECT_EQ(ExtractFilePath(L"C:\\a.b\\kIpCnfg.exe"), L"C:\\a.b\\");
  EXPECT_EQ(ExtractFileName(L"C:\\a.b\\kIpCnfg.exe"), L"kIpCnfg.exe");
  EXPECT_EQ(ExtractFileExt(L"C:\\a.b\\kIpCnfg.EXE"), L".EXE");
  EXPECT_EQ(ExtractFileExt(L"C:\\a.b\\noext"), L"");
  EXPECT_EQ(ExtractFilePath(L"C:x.exe"), L"C:");
  EXPECT_EQ(ExtractFilePath(L"x.exe"), L"");
  EXPECT_EQ(ChangeFileExt(L"C:\\p\\kIpCnfg.exe", L".jpn"), L"C:\\p\\kIpCnfg.jpn");
  EXPECT_EQ(ChangeFileExt(L"C:\\a.b\\noext", L".log"), L"C:\\a.b\\noext.log");
  EXPECT_EQ(ChangeFileExt(L"C:\\p\\x.tar.gz", L""), L"C:\\p\\x.tar");
  EXPECT_EQ(IncludeTrailingBackslash(L"C:\\t"), L"C:\\t\\");
  EXPECT_EQ(IncludeTrailingBackslash(L"C:\\t\\"), L"C:\\t\\");
  EXPECT_EQ(IncludeTrailingBackslash(L""), L"");
}

TEST(ProgramPath, NamesThisRunningProgram) {
  EXPECT_TRUE(FileExists(ProgramPath()));
  EXPECT_EQ(ProgramFolder() + ExtractFileName(ProgramPath()), ProgramPath());
  EXPECT_TRUE(IsFolder(ProgramFolder()));
  EXPECT_FALSE(FileExists(ProgramFolder()));
}

TEST(GetTempFolder, IsTheTrimmedVariableEndingInExactlyOneBackslash) {
  const struct {
    std::optional<std::wstring> value;
    std::wstring folder;
  } cases[] = {
      {L"C:\\scratch", L"C:\\scratch\\"},
      {L"C:\\scratch\\", L"C:\\scratch\\"},
      {L"  C:\\scratch \t", L"C:\\scratch\\"},
      {std::nullopt, L"\\"},
      {L"C:\\" + std::wstring(256, L'x'), L"C:\\" + std::wstring(256, L'x') + L"\\"},  // 259 characters
      {L"C:\\" + std::wstring(257, L'x'), L"\\"},                                      // 260: not taken
  };
  for (const auto& c : cases) {
    EnvOverride temp(L"temp", c.value);
    EXPECT_EQ(GetTempFolder(), c.folder) << c.folder.size();
  }
}

TEST(SystemFolders, AreExistingFoldersWithATrailingBackslash) {
  for (const std::wstring& folder : {GetSystemFolder(), GetDesktopFolder(), GetSpecialFolder(CSIDL_APPDATA)}) {
    SCOPED_TRACE(testing::Message() << "folder " << folder.size());
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), L'\\');
    EXPECT_NE(folder.substr(folder.size() - 2), L"\\\\");
    EXPECT_TRUE(IsFolder(folder));
  }
  EXPECT_TRUE(FileExists(GetSystemFolder() + L"kernel32.dll"));
}

TEST(RewriteWithRetry, TruncatesAnExistingFileAndHandsItOverForWriting) {
  ScratchFolder scratch;
  const std::wstring path = scratch / L"kipconfig.sh";
  ASSERT_TRUE(WriteWholeFile(path, "old content that is longer"));
  {
    UniqueFileHandle file = RewriteWithRetry(path, 0);
    ASSERT_TRUE(file);
    EXPECT_EQ(ReadWholeFile(path), "");
    EXPECT_TRUE(WriteAll(file.get(), "new"));
  }
  EXPECT_EQ(ReadWholeFile(path), "new");
}

TEST(RewriteWithRetry, WithoutRetriesFailsWithoutWaiting) {
  ScratchFolder scratch;
  // A retry waits while handling window messages: a message still queued
  // afterwards shows that no wait took place.
  CountingWindow window;
  PostMessageW(window.hwnd(), WM_APP, 0, 0);
  EXPECT_FALSE(RewriteWithRetry(scratch / L"missing\\kipconfig.sh", 0));
  EXPECT_EQ(window.count(), 0);
}

}  // namespace
}  // namespace kip
