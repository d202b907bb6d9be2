// The three address dialogs, driven as a user would while they wait:
// typed characters, Enter, Escape and the close box go through the message
// queue and the program's own message filter.
#include <gtest/gtest.h>

#include <functional>

#include "AddressDialogIds.h"
#include "WinTestForm.h"
#include "support/FocusLock.h"
#include "support/QueuedSteps.h"
#include "support/ScriptedPrompts.h"
#include "ui/UDNSEdit.h"
#include "ui/UGWEdit.h"
#include "ui/UIPEdit.h"
#include "ui/win/Layout.h"

namespace kip {
namespace {

using test::QueuedSteps;

enum class Kind { IP, GW, DNS };

const wchar_t* Name(Kind kind) {
  switch (kind) {
    case Kind::IP:
      return L"IP";
    case Kind::GW:
      return L"GW";
    default:
      return L"DNS";
  }
}

class AddressDialogTest : public testing::Test {
 protected:
  AddressDialogTest() {
    owner.SetPosition(40, 30);
    for (AddressDialog* dialog : {static_cast<AddressDialog*>(&ip), static_cast<AddressDialog*>(&gw),
                                  static_cast<AddressDialog*>(&dns)}) {
      dialog->SetPrompts(&prompts);
    }
  }

  AddressDialog& Dialog(Kind kind) {
    if (kind == Kind::IP) return ip;
    if (kind == Kind::GW) return gw;
    return dns;
  }

  // Shows the dialog with the steps running meanwhile; true when confirmed.
  static bool Run(AddressDialog& dialog, QueuedSteps& steps) {
    CloseIfLeftOpen(dialog, steps);
    steps.Start();
    return dialog.Execute();
  }

  // A last step that ends the showing, should the steps before have left the
  // dialog open, so that a fault fails the test instead of hanging it.
  static void CloseIfLeftOpen(AddressDialog& dialog, QueuedSteps& steps) {
    steps.Then([&dialog] {
      if (!IsWindowVisible(dialog.Handle())) return;
      ADD_FAILURE() << "the dialog was left open";
      dialog.ButtonCancelClick();
    });
  }

  static int FocusedId() { return GetDlgCtrlID(QueuedSteps::Focus()); }

  test::FocusLock focusLock;
  win::test::TestForm owner;
  UniqueHFont font = win::CreateUiFont(96);
  ScriptedPrompts prompts;
  TFormIPEdit ip;
  TFormGWEdit gw;
  TFormDNSEdit dns;

  void SetUp() override {
    ip.Create(owner.Handle(), font.get());
    gw.Create(owner.Handle(), font.get());
    dns.Create(owner.Handle(), font.get());
  }
};

TEST_F(AddressDialogTest, CreatedHiddenAtTheOwnersCornerWithTheirCaptionsAndLimits) {
  struct Case {
    Kind kind;
    const wchar_t* title;
    const wchar_t* firstLabel;
    const wchar_t* secondLabel;  // null: none
    std::vector<int> limits;
  };
  const Case cases[] = {
      {Kind::IP, L"IP アドレス入力", L"IP アドレス", L"ネットワーク マスク", {3, 3, 3, 3, 3, 3, 3, 3}},
      {Kind::GW, L"ゲートウェイ アドレス入力", L"ゲートウェイ アドレス", L"メトリック", {3, 3, 3, 3, 4}},
      {Kind::DNS, L"アドレス入力", L"アドレス", nullptr, {3, 3, 3, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Name(c.kind));
    AddressDialog& dialog = Dialog(c.kind);
    EXPECT_EQ(dialog.Text(), c.title);
    EXPECT_FALSE(IsWindowVisible(dialog.Handle()));
    EXPECT_TRUE(dialog.Cancelled);
    EXPECT_EQ(dialog.Position().x, owner.Position().x);
    EXPECT_EQ(dialog.Position().y, owner.Position().y);
    wchar_t text[64] = {};
    GetWindowTextW(GetDlgItem(dialog.Handle(), IDT_LabelFirst), text, 64);
    EXPECT_STREQ(text, c.firstLabel);
    text[0] = 0;
    GetWindowTextW(GetDlgItem(dialog.Handle(), IDT_LabelSecond), text, 64);
    EXPECT_STREQ(text, c.secondLabel ? c.secondLabel : L"");
    EXPECT_EQ(dialog.ButtonApply.Text(), L"OK");
    EXPECT_EQ(dialog.ButtonCancel.Text(), L"キャンセル");
    ASSERT_EQ(dialog.BoxCount(), static_cast<int>(c.limits.size()));
    for (int n = 1; n <= dialog.BoxCount(); ++n) {
      EXPECT_EQ(dialog.Box(n).Id(), IDE_EditIP1 + n - 1);
      EXPECT_EQ(SendMessageW(dialog.Box(n).Handle(), EM_GETLIMITTEXT, 0, 0), c.limits[static_cast<size_t>(n - 1)]);
    }
  }
}

TEST_F(AddressDialogTest, TypedDotsMoveThroughTheBoxesAndNeverReachThem) {
  struct Case {
    Kind kind;
    const wchar_t* typed;
    BoxTexts boxes;
    AddressRow composed;
  };
  const Case cases[] = {
      {Kind::DNS, L"10.0.0.1", {L"10", L"0", L"0", L"1"}, {L"10.0.0.1", L""}},
      // From the last address box on into the mask boxes.
      {Kind::IP,
       L"192.168.1.20.255.255.255.0",
       {L"192", L"168", L"1", L"20", L"255", L"255", L"255", L"0"},
       {L"192.168.1.20", L"255.255.255.0"}},
      // From the last address box on into the metric box.
      {Kind::GW, L"10.0.0.254.20", {L"10", L"0", L"0", L"254", L"20"}, {L"10.0.0.254", L"20"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Name(c.kind));
    AddressDialog& dialog = Dialog(c.kind);
    // The offered defaults are replaced by what is typed: each box is
    // entered with its text selected.
    QueuedSteps steps;
    steps.Type(c.typed).Key(VK_RETURN);
    CloseIfLeftOpen(dialog, steps);
    steps.Start();
    std::optional<AddressRow> row = dialog.Ask({L"0.0.0.0", c.kind == Kind::GW ? L"1" : L"255.255.0.0"});
    EXPECT_EQ(dialog.Texts(), c.boxes);
    ASSERT_TRUE(row.has_value());
    EXPECT_EQ(row->address, c.composed.address);
    EXPECT_EQ(row->second, c.composed.second);
    EXPECT_FALSE(dialog.Cancelled);
    EXPECT_TRUE(prompts.messages.empty());
  }
}

TEST_F(AddressDialogTest, DotInTheLastBoxOfTheOneAddressDialogMovesToOk) {
  dns.FillBoxes(L"10.0.0.1");
  int afterThreeDots = 0, afterFourDots = 0;
  QueuedSteps steps;
  steps.Type(L"...").Then([&] { afterThreeDots = FocusedId(); });
  steps.Type(L".").Then([&] { afterFourDots = FocusedId(); }).Key(VK_RETURN);
  EXPECT_TRUE(Run(dns, steps));
  EXPECT_EQ(afterThreeDots, IDE_EditIP4);
  EXPECT_EQ(afterFourDots, IDOK);
  EXPECT_EQ(dns.Texts(), (BoxTexts{L"10", L"0", L"0", L"1"}));
}

TEST_F(AddressDialogTest, EnterConfirmsWhileEscapeAndTheCloseBoxCancelOnEveryUse) {
  for (Kind kind : {Kind::IP, Kind::GW, Kind::DNS}) {
    SCOPED_TRACE(Name(kind));
    AddressDialog& dialog = Dialog(kind);
    dialog.FillBoxes(L"10.0.0.1", 0);
    dialog.FillBoxes(kind == Kind::GW ? L"1" : L"255.255.0.0", 4);
    struct Use {
      WPARAM key;  // 0: the title-bar close box
      bool confirmed;
    };
    for (Use use : {Use{VK_RETURN, true}, Use{VK_ESCAPE, false}, Use{VK_RETURN, true}, Use{0, false}}) {
      QueuedSteps steps;
      if (use.key) {
        steps.Key(use.key);
      } else {
        steps.Then([&] { SendMessageW(dialog.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); });
      }
      EXPECT_EQ(Run(dialog, steps), use.confirmed) << "key " << use.key;
      EXPECT_EQ(dialog.Cancelled, !use.confirmed);
      EXPECT_FALSE(IsWindowVisible(dialog.Handle()));
    }
  }
}

TEST_F(AddressDialogTest, OkRefusesTheFirstBoxOutOfRangeAndStaysOpen) {
  struct Case {
    Kind kind;
    AddressRow boxes;
    const wchar_t* message;
    int box;  // the box that gets the focus
  };
  // The messages per box are the pure limits' (AddressBoxes_test); here:
  // the dialog checks in tab order, stays open and focuses the box.
  const Case cases[] = {
      // The default 0.0.0.0 must become a real address before OK.
      {Kind::DNS, {L"0.0.0.0", L""}, L"IPアドレスは 1から254までです.", IDE_EditIP4},
      {Kind::IP, {L"300.0.0.0", L"255.256.0.0"}, L"IPアドレスは 0から223までです.", IDE_EditIP1},
      {Kind::IP, {L"10.0.0.1", L"255.256.0.0"}, L"IPアドレスは 0から255までです.", IDE_EditIP6},
      {Kind::GW, {L"10.0.0.1", L""}, L"メトリックは 1以上です.", IDE_EditIP5},
  };

  for (const Case& c : cases) {
    SCOPED_TRACE(std::wstring(Name(c.kind)) + L" " + c.boxes.address + L" " + c.boxes.second);
    AddressDialog& dialog = Dialog(c.kind);
    prompts.messages.clear();
    dialog.FillBoxes(c.boxes.address, 0);
    if (c.kind != Kind::DNS) dialog.FillBoxes(c.boxes.second, 4);
    bool cancelledBefore = false, cancelledAfter = false, open = false;
    int focused = 0;
    QueuedSteps steps;
    steps.Then([&] { cancelledBefore = dialog.Cancelled; }).Key(VK_RETURN).Then([&] {
      cancelledAfter = dialog.Cancelled;
      open = IsWindowVisible(dialog.Handle()) != FALSE;
      focused = FocusedId();
    });
    steps.Key(VK_ESCAPE);
    EXPECT_FALSE(Run(dialog, steps));
    EXPECT_EQ(prompts.messages, std::vector<std::wstring>{c.message});
    EXPECT_TRUE(open);
    EXPECT_EQ(focused, c.box);
    EXPECT_EQ(cancelledAfter, cancelledBefore);
  }
}

TEST_F(AddressDialogTest, TheOwnerIgnoresInputWhileTheDialogIsOpen) {
  bool ownerEnabled = true;
  QueuedSteps steps;
  steps.Then([&] { ownerEnabled = IsWindowEnabled(owner.Handle()) != FALSE; }).Key(VK_ESCAPE);
  Run(gw, steps);
  EXPECT_FALSE(ownerEnabled);
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));

  // An owner that was disabled before stays so.
  EnableWindow(owner.Handle(), FALSE);
  QueuedSteps again;
  again.Key(VK_ESCAPE);
  Run(gw, again);
  EXPECT_FALSE(IsWindowEnabled(owner.Handle()));
}

TEST_F(AddressDialogTest, FillBoxesEmptiesOnlyTheGroupAtItsOffset) {
  ip.FillBoxes(L"10.1.2.3", 0);
  ip.FillBoxes(L"1.2", 4);
  EXPECT_EQ(ip.Texts(), (BoxTexts{L"10", L"1", L"2", L"3", L"1", L"2", L"", L""}));
  gw.FillBoxes(L"10.0.0.1", 0);
  gw.FillBoxes(L"1", 4);  // the metric box is a group of one
  EXPECT_EQ(gw.Texts(), (BoxTexts{L"10", L"0", L"0", L"1", L"1"}));
}

}  // namespace
}  // namespace kip
