// Grid, check list, combo list, edit and memo.
#include "WinTestForm.h"

#include <commctrl.h>

#include "support/FocusLock.h"
#include "ui/win/Menus.h"

namespace kip::win::test {
namespace {

class GridTest : public WinTest {
 protected:
  void SetUp() override { grid.Create(form, 10, {0, 0, 300, 200}, {L"IP アドレス", L"サブネット マスク"}); }
  Grid grid;
};

// Row 0 is the titles: a grid starts with it and one empty data row (always
// a current one), and writing titles adds no row. Cells beyond the grid
// read empty and ignore writes.
TEST_F(GridTest, TitleRowOneDataRowAndNothingBeyond) {
  EXPECT_EQ(grid.ColCount(), 2);
  EXPECT_EQ(grid.Cell(0, 0), L"IP アドレス");
  EXPECT_EQ(grid.Row(), 1);
  grid.SetCell(1, 0, L"マスク");
  EXPECT_EQ(grid.Cell(1, 0), L"マスク");
  const std::pair<int, int> outside[] = {{2, 1}, {0, 2}, {-1, 1}, {0, -1}};
  for (const auto& [col, row] : outside) grid.SetCell(col, row, L"x");
  EXPECT_EQ(grid.RowCount(), 2);
  EXPECT_EQ(grid.Cell(1, 1), L"");
  EXPECT_EQ(grid.Cell(0, 1), L"");
  EXPECT_EQ(grid.Cell(2, 1), L"");
  EXPECT_EQ(grid.Cell(-1, 0), L"");
}

TEST_F(GridTest, RowCountGrowsWithEmptyRowsAndShrinksFromTheEnd) {
  grid.SetRowCount(4);
  grid.SetCell(0, 1, L"10.0.0.1");
  grid.SetCell(1, 3, L"255.255.0.0");
  EXPECT_EQ(grid.RowCount(), 4);
  EXPECT_EQ(grid.Cell(1, 3), L"255.255.0.0");

  grid.SetRowCount(3);
  EXPECT_EQ(grid.RowCount(), 3);
  EXPECT_EQ(grid.Cell(0, 1), L"10.0.0.1");
  grid.SetRowCount(4);
  EXPECT_EQ(grid.Cell(1, 3), L"");  // the removed row does not come back

  grid.SetRowCount(0);
  EXPECT_EQ(grid.RowCount(), 1);
  grid.SetRowCount(-3);
  EXPECT_EQ(grid.RowCount(), 1);
  EXPECT_EQ(grid.Row(), 0);  // no data row at all
  EXPECT_EQ(grid.Cell(0, 0), L"IP アドレス");
}

TEST_F(GridTest, LongCellTextIsReadWhole) {
  std::wstring text(3000, L'8');
  text += L"end";
  grid.SetCell(1, 1, text);
  EXPECT_EQ(grid.Cell(1, 1), text);
}

TEST_F(GridTest, RowSelection) {
  grid.SetRowCount(5);
  grid.SetRow(3);
  EXPECT_EQ(grid.Row(), 3);
  grid.SetRow(0);  // the title row cannot be selected
  grid.SetRow(5);  // beyond the last row
  EXPECT_EQ(grid.Row(), 3);
  grid.SetRowCount(3);  // the selected row is removed
  EXPECT_EQ(grid.Row(), 1);
}

TEST_F(GridTest, UserClickOnARowSelectsItAndRunsOnClick) {
  grid.SetRowCount(4);
  int clicks = 0;
  grid.OnClick = [&] { ++clicks; };
  RECT item{};
  item.left = LVIR_BOUNDS;
  ASSERT_TRUE(SendMessageW(grid.Handle(), LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item)));
  LPARAM at = MAKELPARAM(item.left + 5, (item.top + item.bottom) / 2);
  SendMessageW(grid.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(grid.Handle(), WM_LBUTTONUP, 0, at);
  DispatchPending();
  EXPECT_EQ(grid.Row(), 3);
  EXPECT_EQ(clicks, 1);
}

TEST_F(GridTest, ColorReachesTheControl) {
  grid.SetColor(RGB(192, 192, 192));
  EXPECT_EQ(static_cast<COLORREF>(SendMessageW(grid.Handle(), LVM_GETBKCOLOR, 0, 0)), RGB(192, 192, 192));
}

TEST_F(WinTest, CheckListFiresOnlyForTheUsersToggle) {
  CheckList list;
  list.Create(form, 20, {0, 0, 200, 150});
  std::vector<int> clicked;
  list.OnClickCheck = [&](int index) { clicked.push_back(index); };

  EXPECT_EQ(list.Add(L"プリンタ A", true), 0);
  EXPECT_EQ(list.Add(L"プリンタ B"), 1);
  list.SetChecked(1, true);
  list.SetChecked(0, false);
  list.SetChecked(7, true);  // no such row
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Item(1), L"プリンタ B");
  EXPECT_FALSE(list.Checked(0));
  EXPECT_TRUE(list.Checked(1));
  EXPECT_FALSE(list.Checked(5));
  EXPECT_TRUE(clicked.empty());

  // The space bar toggles the focused row, as a click on its box does.
  LVITEMW focus{};
  focus.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
  focus.state = LVIS_FOCUSED | LVIS_SELECTED;
  SendMessageW(list.Handle(), LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&focus));
  EXPECT_TRUE(clicked.empty());
  KeyDown(list.Handle(), VK_SPACE);
  DispatchPending();
  ASSERT_EQ(clicked.size(), 1u);
  EXPECT_EQ(clicked[0], 1);
  EXPECT_FALSE(list.Checked(1));

  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(clicked.size(), 1u);
}

class ComboTest : public WinTest {
 protected:
  void SetUp() override {
    combo.Create(form, 30, {0, 0, 150, 24});
    for (const wchar_t* item : {L"A", L"B", L"C"}) combo.Add(item);
    combo.OnChange = [this] { ++changes; };
  }
  ComboList combo;
  int changes = 0;
};

TEST_F(ComboTest, SetItemReplacesInPlaceAndKeepsTheSelection) {
  combo.SetItemIndex(1);
  combo.SetItem(1, L"b");
  EXPECT_EQ(combo.ItemIndex(), 1);
  EXPECT_EQ(combo.Count(), 3);
  EXPECT_EQ(combo.Item(1), L"b");
  combo.SetItem(0, L"a");
  combo.SetItem(2, L"c");
  EXPECT_EQ(combo.ItemIndex(), 1);
  EXPECT_EQ(combo.Item(0), L"a");
  EXPECT_EQ(combo.Item(2), L"c");
  combo.SetItem(3, L"x");
  combo.SetItem(-1, L"x");
  EXPECT_EQ(combo.Count(), 3);
  EXPECT_EQ(changes, 0);
}

TEST_F(ComboTest, OutOfRangeIndexSelectsNothing) {
  combo.SetItemIndex(2);
  combo.SetItemIndex(3);
  EXPECT_EQ(combo.ItemIndex(), -1);
  combo.SetItemIndex(0);
  combo.SetItemIndex(-2);
  EXPECT_EQ(combo.ItemIndex(), -1);
  EXPECT_EQ(combo.Item(5), L"");
  combo.Clear();
  EXPECT_EQ(combo.Count(), 0);
  EXPECT_EQ(combo.ItemIndex(), -1);
}

// Dropped, the list shows its longest item whole (a card's label is longer
// than the field), however narrow the field.
TEST_F(ComboTest, TheDroppedListShowsItsLongestItemWhole) {
  combo.Add(L"ローカル エリア接続 2 (USB-LAN アダプター 検証用) [Realtek RTL8139 Family PCI Fast Ethernet NIC]");
  SendMessageW(combo.Handle(), CB_SHOWDROPDOWN, TRUE, 0);
  SendMessageW(combo.Handle(), CB_SHOWDROPDOWN, FALSE, 0);
  EXPECT_GT(SendMessageW(combo.Handle(), CB_GETDROPPEDWIDTH, 0, 0), 400);
}

LRESULT CALLBACK CountMoves(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR moves) {
  if (message == WM_WINDOWPOSCHANGING) ++*reinterpret_cast<int*>(moves);
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

// Layout passes set every frame control's bounds again: a control already
// in place is not moved (a combo box lays out its list again on every
// move), while a change of the list's height alone still resizes it.
TEST_F(ComboTest, SetBoundsMovesOnlyWhatChanged) {
  Button button;
  button.Create(form, 31, L"b", {0, 40, 80, 24});
  for (Window* control : {static_cast<Window*>(&combo), static_cast<Window*>(&button)}) {
    int moves = 0;
    SetWindowSubclass(control->Handle(), CountMoves, 1, reinterpret_cast<DWORD_PTR>(&moves));
    control->SetBounds({10, 60, 200, 240});
    EXPECT_EQ(control->Bounds().x, 10);
    EXPECT_EQ(control->Bounds().y, 60);
    EXPECT_EQ(control->Bounds().width, 200);
    const int moved = moves;
    EXPECT_GT(moved, 0);
    control->SetBounds({10, 60, 200, 240});
    EXPECT_EQ(moves, moved);
    control->SetBounds({10, 60, 200, 120});
    EXPECT_GT(moves, moved);
    RemoveWindowSubclass(control->Handle(), CountMoves, 1);
  }
}

TEST_F(ComboTest, OnlyTheUsersChoiceRunsOnChange) {
  combo.SetItemIndex(0);
  EXPECT_EQ(changes, 0);
  KeyDown(combo.Handle(), VK_DOWN);
  EXPECT_EQ(combo.ItemIndex(), 1);
  EXPECT_EQ(changes, 1);
}

TEST_F(WinTest, EditReportsEveryChange) {
  Edit edit;
  edit.Create(form, 40, L"", {0, 0, 100, 20});
  int changes = 0;
  edit.OnChange = [&] { ++changes; };
  edit.SetText(L"192.168.0.1");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(edit.Text(), L"192.168.0.1");
  edit.SetMaxLength(3);
  SendMessageW(edit.Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  SendMessageW(edit.Handle(), WM_CHAR, L'1', 1);
  SendMessageW(edit.Handle(), WM_CHAR, L'2', 1);
  SendMessageW(edit.Handle(), WM_CHAR, L'3', 1);
  SendMessageW(edit.Handle(), WM_CHAR, L'4', 1);
  EXPECT_EQ(edit.Text(), L"123");
  edit.DisableImeInput();  // must not fail on a system without an IME
}

class MemoTest : public WinTest {
 protected:
  void SetUp() override { memo.Create(form, 50, {0, 0, 200, 100}); }
  Memo memo;
};

TEST_F(MemoTest, LinesRoundTrip) {
  EXPECT_TRUE(memo.Lines().empty());
  for (const StringList& lines : {StringList{L"@echo off", L"ipconfig /all"}, StringList{L"A", L""},
                                  StringList{L""}, StringList{L"", L"", L"x"}, StringList{}}) {
    memo.SetLines(lines);
    EXPECT_EQ(memo.Lines(), lines);
  }
}

TEST_F(MemoTest, AppendLineAddsALineAlsoAfterTextWithoutBreak) {
  memo.AppendLine(L"one");
  memo.AppendLine(L"two");
  EXPECT_EQ(memo.Lines(), (StringList{L"one", L"two"}));
  memo.SetText(L"typed");
  memo.AppendLine(L"three");
  EXPECT_EQ(memo.Lines(), (StringList{L"typed", L"three"}));
}

TEST_F(MemoTest, EnterReachesTheMemoThroughDialogNavigation) {
  Edit single;
  single.Create(form, 51, L"", {0, 120, 100, 20});
  int enters = 0;
  form.OnEnter = [&] { ++enters; };

  MSG msg{memo.Handle(), WM_KEYDOWN, VK_RETURN, 1, 0, {}};
  if (!PreTranslateUiMessage(msg)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  DispatchPending();
  EXPECT_EQ(memo.Text(), L"\r\n");
  EXPECT_EQ(enters, 0);

  // In a one-line edit Enter is the dialog's default command.
  MSG enter{single.Handle(), WM_KEYDOWN, VK_RETURN, 1, 0, {}};
  EXPECT_TRUE(PreTranslateUiMessage(enter));
  DispatchPending();
  EXPECT_EQ(enters, 1);
}

}  // namespace
}  // namespace kip::win::test

namespace kip::win::test {
namespace {

// Keys sent through the loop's dialog navigation to the focused memo.
class MemoKeysTest : public WinTest {
 protected:
  void SetUp() override {
    page.Create(form.Handle(), {0, 0, 300, 200});
    memo.Create(page, 1, {0, 0, 200, 100});
    after.Create(page, 2, L"", {0, 120, 100, 20});
    form.Show();
    SetForegroundWindow(form.Handle());
    memo.Focus();
  }
  void Press(WPARAM key) {
    MSG msg{GetFocus(), WM_KEYDOWN, key, 1, 0, {}};
    if (!PreTranslateUiMessage(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    DispatchPending();
  }
  kip::test::FocusLock focusLock;
  Panel page;
  Memo memo;
  Edit after;
};

TEST_F(MemoKeysTest, EscapeIsTheFormsCancelAndLeavesThePageAlone) {
  ASSERT_EQ(GetFocus(), memo.Handle());
  int escapes = 0;
  form.OnEscape = [&] { ++escapes; };
  Press(VK_ESCAPE);
  EXPECT_TRUE(IsWindow(page.Handle()));
  EXPECT_TRUE(IsWindow(memo.Handle()));
  EXPECT_EQ(escapes, 1);
}

TEST_F(MemoKeysTest, TabLeavesTheMemo) {
  ASSERT_EQ(GetFocus(), memo.Handle());
  Press(VK_TAB);
  EXPECT_EQ(GetFocus(), after.Handle());
  EXPECT_EQ(memo.Text(), L"");
}

}  // namespace
}  // namespace kip::win::test
