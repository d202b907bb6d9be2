// Export, import, the copy between cards and its undo through the window.
#include <gtest/gtest.h>

#include "store/Snapshot.h"
#include "store/SettingStore.h"
#include "store/StoreKeys.h"
#include "support/FormFixture.h"
#include "support/ScratchFolder.h"
#include "ui/UOtherLAN.h"
#include "util/Files.h"

namespace kip {
namespace {

const std::wstring kRoot = kStoreRootKey;
const std::wstring kCardA = L"{0000000A-0000-0000-0000-4E6574446576}";
const std::wstring kCardB = L"{0000000B-0000-0000-0000-4E6574446576}";

// The snapshot files live in the current directory: a scratch one per test.
class FormSnapshotsTest : public FormTest {
 protected:
  void SetUp() override {
    SetString(HKEY_LOCAL_MACHINE, kRoot + L"\\Office\\" + kCardA, L"Description", L"LAN A");
    SetMultiString(HKEY_LOCAL_MACHINE, kRoot + L"\\Office\\" + kCardA, L"IPAddress", {L"10.0.0.1"});
    SetString(HKEY_LOCAL_MACHINE, kRoot + L"\\Office", L"Machine Name", L"PC");
    MakeForm();
    Form().Editor().SetCards({kCardA, kCardB}, {L"LAN A", L"LAN B"});
    Form().Editor().Open(ListSettingNames());
    otherLan_.Create(Form().Handle(), Form().FormFont());
    Form().AttachDialogs({nullptr, nullptr, nullptr, nullptr, &otherLan_, nullptr});
  }
  test::ScratchFolder folder_;
  test::CurrentDirectory inFolder_{folder_.path()};
  TFormOtherLAN otherLan_;
};

TEST_F(FormSnapshotsTest, ImportBringsTheExportedStoreBackAndEndsAFailedOneKeepsTheWindow) {
  TFormIpconfig& form = Form();
  form.ActionImportExecute();
  EXPECT_EQ(prompts.messages, std::vector<std::wstring>{L"インポートに失敗しました."});
  EXPECT_TRUE(IsWindow(form.Handle()));

  form.ActionExportExecute();
  form.ActionExportExecute();  // the second export replaces the first
  EXPECT_EQ(prompts.messages.back(), L"エクスポートに成功しました.");
  DeleteKey(HKEY_LOCAL_MACHINE, kRoot + L"\\Office");
  SetString(HKEY_LOCAL_MACHINE, kRoot + L"\\Later", L"Machine Name", L"later");
  form.Editor().Edited();  // edits of the replaced store are not saved over the import
  HWND window = form.Handle();
  form.ActionImportExecute();
  EXPECT_EQ(prompts.messages.back(), L"インポートに成功しました.");
  EXPECT_FALSE(IsWindow(window));
  // The settings are those exported (the options key is written by the close).
  EXPECT_EQ(SubKeyNames(HKEY_LOCAL_MACHINE, kRoot), (StringList{L"Office", L"TFormIpconfig"}));
  EXPECT_EQ(GetMultiString(HKEY_LOCAL_MACHINE, kRoot + L"\\Office\\" + kCardA, L"IPAddress"),
            StringList{L"10.0.0.1"});
  EXPECT_TRUE(prompts.questions.empty());
}

TEST_F(FormSnapshotsTest, CopyBetweenCardsCanBeUndoneUntilASaveDropsTheSnapshot) {
  TFormIpconfig& form = Form();
  // Nothing chosen: no copy, no message, the dialog stays; the snapshot is taken.
  EXPECT_FALSE(form.CopyOtherLanCard(L"", kCardB, L"LAN B"));
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_TRUE(form.Actions().undoOtherLan.Enabled());

  EXPECT_TRUE(form.CopyOtherLanCard(kCardA, kCardB, L"LAN B"));
  EXPECT_EQ(prompts.messages.back(), L"設定のコピーに成功しました.");
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, kRoot + L"\\Office\\" + kCardB, L"Description"), L"LAN B");

  // A Yes to the save question drops the snapshot; the undo then fails.
  form.Editor().Edited();
  prompts.answers = {Answer::Yes};
  form.Editor().SelectSetting(0);
  form.ActionUndoOtherLANExecute();
  EXPECT_EQ(prompts.messages.back(), L"アンドゥに失敗しました.");

  EXPECT_TRUE(form.CopyOtherLanCard(kCardA, kCardB, L"LAN B"));
  DeleteKey(HKEY_LOCAL_MACHINE, kRoot + L"\\Office\\" + kCardB);
  SetString(HKEY_LOCAL_MACHINE, kRoot + L"\\Office\\" + kCardB, L"Description", L"before the undo");
  HWND window = form.Handle();
  form.ActionUndoOtherLANExecute();
  EXPECT_EQ(prompts.messages.back(), L"アンドゥに成功しました.");
  EXPECT_FALSE(FileExists(kUndoFileName));
  EXPECT_FALSE(IsWindow(window));
  // The store is as it was before the last copy (after the save above).
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, kRoot + L"\\Office\\" + kCardB, L"Description"), L"LAN B");
}

// A copy between cards that could not be taken back is not made: without
// its undo snapshot it does not start, and the user is told why.
TEST_F(FormSnapshotsTest, NoCopyBetweenCardsWithoutItsUndoSnapshot) {
  ASSERT_TRUE(CreateDirectoryW(kUndoFileName, nullptr));  // no file can take that name
  const std::optional<SnapshotKey> before = ReadStoreTree();
  EXPECT_TRUE(Form().CopyOtherLanCard(kCardA, kCardB, L"LAN B"));
  EXPECT_EQ(prompts.messages,
            std::vector<std::wstring>{L"アンドゥ用のファイルを保存できないため、設定のコピーを中止しました."});
  EXPECT_EQ(ReadStoreTree(), before);
  EXPECT_FALSE(Form().Actions().undoOtherLan.Enabled());
}

}  // namespace
}  // namespace kip
