// The card copy dialog, driven through its controls.
#include "ui/UOtherLAN.h"

#include <gtest/gtest.h>

#include <optional>

#include "WinTestForm.h"
#include "ui/win/Layout.h"

namespace kip {
namespace {

using win::test::UserClick;

struct CopyCall {
  std::wstring from, to, label;
  bool operator==(const CopyCall&) const = default;
};

class OtherLANTest : public testing::Test {
 protected:
  void SetUp() override {
    dialog.Create(nullptr, font.get());
    dialog.OnFillLists = [this] {
      ++fills;
      dialog.SetTargetCards({L"Wi-Fi", L"Realtek"}, {L"{T0}", L"{T1}"});
      if (sourcesReadable) dialog.SetSourceCards({L"○ Realtek", L"× Old card"}, {L"{T1}", L"{OLD}"});
    };
    dialog.OnCopy = [this](const std::wstring& from, const std::wstring& to, const std::wstring& label) {
      calls.push_back({from, to, label});
      return closeAfterCopy;
    };
  }

  // The selection a user leaves in a list (the dialog reads it on コピー).
  static void Pick(win::ComboList& combo, int index) {
    SendMessageW(combo.Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
  // Activation and showing as Windows reports them, without taking the
  // foreground from the GUI tests running beside this one.
  void Activate() { SendMessageW(dialog.Handle(), WM_ACTIVATE, WA_ACTIVE, 0); }
  void ShowQuietly() { ShowWindow(dialog.Handle(), SW_SHOWNOACTIVATE); }

  UniqueHFont font = win::CreateUiFont(96);
  TFormOtherLAN dialog;
  int fills = 0;
  bool sourcesReadable = true;
  bool closeAfterCopy = true;
  std::vector<CopyCall> calls;
};

TEST_F(OtherLANTest, ListsAreFilledAtTheFirstActivationAndOnRefreshWithoutASelection) {
  Activate();
  Activate();
  EXPECT_EQ(fills, 1);
  EXPECT_EQ(dialog.ComboFrom.Count(), 2);
  EXPECT_EQ(dialog.ComboFrom.Item(1), L"× Old card");
  EXPECT_EQ(dialog.ComboTo.Item(0), L"Wi-Fi");
  EXPECT_EQ(dialog.ComboFrom.ItemIndex(), -1);
  EXPECT_EQ(dialog.ComboTo.ItemIndex(), -1);

  // A setting whose key does not open leaves the source list as it was,
  // but no choice survives a refresh.
  Pick(dialog.ComboFrom, 1);
  Pick(dialog.ComboTo, 1);
  sourcesReadable = false;
  dialog.SetSourceCards({L"× Stale"}, {L"{STALE}"});
  UserClick(dialog.ButtonRefresh);
  EXPECT_EQ(fills, 2);
  EXPECT_EQ(dialog.ComboFrom.Count(), 1);
  EXPECT_EQ(dialog.ComboFrom.Item(0), L"× Stale");
  EXPECT_EQ(dialog.ComboFrom.ItemIndex(), -1);
  EXPECT_EQ(dialog.ComboTo.ItemIndex(), -1);
}

TEST_F(OtherLANTest, CopyHandsOverOnlyChoicesInsideTheLists) {
  Activate();
  // The caller's source list may hold fewer identifiers than items.
  dialog.SetSourceCards({L"○ Realtek", L"× Old card", L"× No identifier"}, {L"{T1}", L"{OLD}"});
  struct Case {
    int from, to;
    CopyCall expected;
  } cases[] = {
      {1, 1, {L"{OLD}", L"{T1}", L"Realtek"}},
      {-1, 1, {L"", L"{T1}", L"Realtek"}},
      {0, -1, {L"{T1}", L"", L""}},
      {-1, -1, {L"", L"", L""}},
      {2, 0, {L"", L"{T0}", L"Wi-Fi"}},
  };
  for (const Case& c : cases) {
    calls.clear();
    Pick(dialog.ComboFrom, c.from);
    Pick(dialog.ComboTo, c.to);
    UserClick(dialog.ButtonCopy);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], c.expected) << c.from << " -> " << c.to;
  }
}

TEST_F(OtherLANTest, TheDialogClosesWhenTheCallerSaysSoAndOnCancelOrEscape) {
  Activate();
  ShowQuietly();
  closeAfterCopy = false;
  UserClick(dialog.ButtonCopy);
  EXPECT_TRUE(dialog.Visible());
  closeAfterCopy = true;
  UserClick(dialog.ButtonCopy);
  EXPECT_FALSE(dialog.Visible());

  ShowQuietly();
  UserClick(dialog.ButtonCancel);
  EXPECT_FALSE(dialog.Visible());
  ShowQuietly();
  SendMessageW(dialog.Handle(), WM_COMMAND, IDCANCEL, 0);  // Esc in a dialog
  EXPECT_FALSE(dialog.Visible());
  EXPECT_EQ(calls.size(), 2u);
}

}  // namespace
}  // namespace kip
