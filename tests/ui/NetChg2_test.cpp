// The post-commit dialog: what it preselects, what OK and Cancel report,
// and the check box that switches the dialog off for later commits.
#include <gtest/gtest.h>

#include <optional>

#include "WinTestForm.h"
#include "ui/UNetChg2.h"
#include "ui/win/Layout.h"

namespace kip {
namespace {

using win::test::UserClick;

class NetChg2Test : public ::testing::Test {
 protected:
  NetChg2Test() : font_(win::CreateUiFont(96)) {
    dialog.Create(nullptr, font_.get());
    dialog.OnChoice = [this](int choice) { chosen = choice; };
    dialog.OnShowExitWinChange = [this](bool show) { marks.push_back(show); };
  }
  ~NetChg2Test() override { DestroyWindow(dialog.Handle()); }

  bool Visible() const { return IsWindowVisible(dialog.Handle()) != FALSE; }

  UniqueHFont font_;
  TNetChg2 dialog;
  std::optional<int> chosen;
  std::vector<bool> marks;
};

TEST_F(NetChg2Test, FirstShowingSelectsTheExitChoiceLaterOnesKeepTheUsersSelection) {
  // 2 is also what a missing "Shutdown Index" leaves as the exit choice.
  dialog.ShowAfterCommit(2, true);
  EXPECT_EQ(dialog.ComboBoxSelect.Item(dialog.Choice()), L"プログラム終了");
  dialog.ComboBoxSelect.SetItemIndex(1);
  UserClick(dialog.ButtonCancel);
  dialog.ShowAfterCommit(3, true);
  EXPECT_EQ(dialog.Choice(), 1);
}

TEST_F(NetChg2Test, OkHandsOverTheChoiceAndClosesUnlessWindowsIsEnding) {
  struct Case {
    int item;
    bool staysOpen;
  };
  for (const Case c : {Case{0, true}, Case{1, true}, Case{2, false}, Case{3, false}}) {
    chosen.reset();
    dialog.ShowAfterCommit(2, true);
    dialog.ComboBoxSelect.SetItemIndex(c.item);
    UserClick(dialog.ButtonOK);
    EXPECT_EQ(chosen, c.item);
    EXPECT_FALSE(dialog.Cancelled);
    EXPECT_EQ(Visible(), c.staysOpen) << c.item;
    dialog.Hide();
  }
  EXPECT_TRUE(marks.empty());
}

TEST_F(NetChg2Test, CancelAfterTickingTheBoxSwitchesTheDialogOffAndChoosesNothing) {
  dialog.ShowAfterCommit(0, true);
  UserClick(dialog.CheckExitWin);
  EXPECT_EQ(marks, std::vector<bool>{false});  // at once, before any button
  UserClick(dialog.ButtonCancel);
  EXPECT_TRUE(dialog.Cancelled);
  EXPECT_FALSE(Visible());
  EXPECT_FALSE(chosen.has_value());
  EXPECT_FALSE(dialog.ShowExitWin());
  // The box keeps its state for the run; unticking it switches the dialog on.
  dialog.ShowAfterCommit(0, false);
  EXPECT_TRUE(dialog.CheckExitWin.Checked());
  UserClick(dialog.CheckExitWin);
  EXPECT_TRUE(dialog.ShowExitWin());
  EXPECT_EQ(marks, (std::vector<bool>{false, true}));
}

}  // namespace
}  // namespace kip
