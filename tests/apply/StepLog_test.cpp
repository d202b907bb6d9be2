// Which step logs a run refuses before it does anything: every place that
// is no file of its own to append to.
#include "apply/StepLog.h"

#include <gtest/gtest.h>

#include "support/ScratchFolder.h"
#include "util/Text.h"
#include "util/UniqueHandle.h"

namespace kip {
namespace {

TEST(StepLog, OnlyAFileNoOtherProgramWritesIsUsable) {
  test::ScratchFolder folder;
  const std::wstring held = folder / L"held.log";
  // Another writer, sharing the file with readers and writers alike.
  UniqueFileHandle writer(CreateFileW(held.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(writer);
  const struct {
    std::wstring path;
    bool usable;
  } cases[] = {
      {folder / L"new.log", true},
      {L"", true},  // no log at all
      {folder.path(), false},
      {folder / L"missing\\x.log", false},
      {L"NUL", false},
      {L"COM1.log", false},
      {L"\\\\.\\C:", false},
      {L"//./PhysicalDrive0", false},
      {L"\\??\\C:\\x.log", false},          // the object manager's own form
      {folder / L"nul.txt", false},        // a reserved name in any folder
      {folder / L"Com9 .log", false},
      {L"\\\\?\\" + (folder / L"long.log"), true},  // a long file path
      {held, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.path));
    EXPECT_EQ(StepLog(c.path).OpenFailure().empty(), c.usable);
  }
}

}  // namespace
}  // namespace kip
