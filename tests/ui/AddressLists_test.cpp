// Add, edit and delete on a real (hidden) grid, with the dialog answered by
// the test.
#include <deque>

#include "WinTestForm.h"
#include "ui/AddressLists.h"

namespace kip {
namespace {

using Rows = std::vector<std::vector<std::wstring>>;

// Records what the lists offer and answers from a queue (cancel when empty).
class ScriptedEntry : public AddressEntry {
 public:
  std::optional<AddressRow> Ask(const AddressRow& offered) override {
    this->offered.push_back(offered);
    if (answers.empty()) return std::nullopt;
    std::optional<AddressRow> answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::vector<AddressRow> offered;
  std::deque<std::optional<AddressRow>> answers;
};

class AddressListsTest : public win::test::WinTest {
 protected:
  void SetUp() override {
    grid.Create(form, 10, {0, 0, 300, 200}, {L"IP アドレス", L"サブネット マスク"});
    single.Create(form, 11, {0, 0, 300, 200}, {L"DNS サーバーアドレス"});
  }

  static void Load(win::Grid& target, const Rows& rows) {
    target.SetRowCount(static_cast<int>(rows.size()) + 1);
    for (size_t r = 0; r < rows.size(); ++r) {
      for (size_t c = 0; c < rows[r].size(); ++c) {
        target.SetCell(static_cast<int>(c), static_cast<int>(r) + 1, rows[r][c]);
      }
    }
  }

  static Rows DataRows(const win::Grid& source) {
    Rows rows;
    for (int r = 1; r < source.RowCount(); ++r) {
      std::vector<std::wstring> row;
      for (int c = 0; c < source.ColCount(); ++c) row.push_back(source.Cell(c, r));
      rows.push_back(row);
    }
    return rows;
  }

  win::Grid grid;    // two columns: address and mask or metric
  win::Grid single;  // one column: DNS or WINS
  ScriptedEntry dialog;
};

TEST_F(AddressListsTest, AddOffersTheDefaultsAndFillsRowOneOrAppends) {
  struct Case {
    const char* name;
    Rows before;
    Rows after;
  };
  const AddressRow entry{L"10.0.0.1", L"255.0.0.0"};
  const Case cases[] = {
      {"empty list", {{L"", L""}}, {{L"10.0.0.1", L"255.0.0.0"}}},
      {"second add", {{L"192.168.0.1", L"255.255.0.0"}},
       {{L"192.168.0.1", L"255.255.0.0"}, {L"10.0.0.1", L"255.0.0.0"}}},
      // A load can leave empty rows at the end: the entry still goes last.
      {"empty rows left by a load", {{L"1.1.1.1", L""}, {L"", L""}, {L"", L""}},
       {{L"1.1.1.1", L""}, {L"", L""}, {L"", L""}, {L"10.0.0.1", L"255.0.0.0"}}},
      // Only the first row's address decides.
      {"first row empty", {{L"", L""}, {L"2.2.2.2", L""}}, {{L"10.0.0.1", L"255.0.0.0"}, {L"2.2.2.2", L""}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Load(grid, c.before);
    dialog.answers = {entry};
    EXPECT_TRUE(AddAddressRow(grid, kIPList, dialog));
    EXPECT_EQ(DataRows(grid), c.after);
  }
  for (const AddressRow& offered : dialog.offered) {
    EXPECT_EQ(offered.address, L"0.0.0.0");
    EXPECT_EQ(offered.second, L"255.255.0.0");
  }
}

TEST_F(AddressListsTest, EachListOffersItsOwnDefaultsAndWritesItsColumns) {
  struct Case {
    const AddressListKind* kind;
    win::Grid* target;
    AddressRow offered;
    Rows after;
  };
  const Case cases[] = {
      {&kIPList, &grid, {L"0.0.0.0", L"255.255.0.0"}, {{L"10.0.0.1", L"0"}}},
      {&kGatewayList, &grid, {L"0.0.0.0", L"1"}, {{L"10.0.0.1", L"0"}}},
      {&kDNSList, &single, {L"0.0.0.0", L""}, {{L"10.0.0.1"}}},
      {&kWINSList, &single, {L"0.0.0.0", L""}, {{L"10.0.0.1"}}},
  };
  for (const Case& c : cases) {
    Load(*c.target, {{L"", L""}});
    dialog.offered.clear();
    // The gateway dialog composes an emptied metric box as 0.
    dialog.answers = {AddressRow{L"10.0.0.1", L"0"}};
    EXPECT_TRUE(AddAddressRow(*c.target, *c.kind, dialog));
    ASSERT_EQ(dialog.offered.size(), 1u);
    EXPECT_EQ(dialog.offered[0].address, c.offered.address);
    EXPECT_EQ(dialog.offered[0].second, c.offered.second);
    EXPECT_EQ(DataRows(*c.target), c.after);
  }
}

TEST_F(AddressListsTest, CancelledDialogsChangeNothing) {
  const Rows rows = {{L"1.1.1.1", L"255.0.0.0"}, {L"2.2.2.2", L"255.255.0.0"}};
  Load(grid, rows);
  grid.SetRow(2);
  EXPECT_FALSE(AddAddressRow(grid, kIPList, dialog));
  EXPECT_FALSE(EditAddressRow(grid, kIPList, dialog));
  EXPECT_EQ(DataRows(grid), rows);
  EXPECT_EQ(dialog.offered.size(), 2u);
}

TEST_F(AddressListsTest, EditOffersTheSelectedRowAndWritesItBack) {
  struct Case {
    const AddressListKind* kind;
    std::vector<std::wstring> selected;
    AddressRow offered;
  };
  const Case cases[] = {
      {&kIPList, {L"10.0.0.2", L"255.0.0.0"}, {L"10.0.0.2", L"255.0.0.0"}},
      // Empty cells offer the defaults; the mask is a 16-bit one.
      {&kIPList, {L"10.0.0.2", L""}, {L"10.0.0.2", L"255.255.0.0"}},
      {&kIPList, {L"", L""}, {L"0.0.0.0", L"255.255.0.0"}},
      {&kGatewayList, {L"10.0.0.254", L""}, {L"10.0.0.254", L"1"}},
      {&kGatewayList, {L"10.0.0.254", L"20"}, {L"10.0.0.254", L"20"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.selected));
    Load(grid, {{L"1.1.1.1", L"x"}, c.selected, {L"3.3.3.3", L"y"}});
    grid.SetRow(2);
    dialog.offered.clear();
    dialog.answers = {AddressRow{L"9.9.9.9", L"7"}};
    EXPECT_TRUE(EditAddressRow(grid, *c.kind, dialog));
    ASSERT_EQ(dialog.offered.size(), 1u);
    EXPECT_EQ(dialog.offered[0].address, c.offered.address);
    EXPECT_EQ(dialog.offered[0].second, c.offered.second);
    EXPECT_EQ(DataRows(grid), (Rows{{L"1.1.1.1", L"x"}, {L"9.9.9.9", L"7"}, {L"3.3.3.3", L"y"}}));
  }

  Load(single, {{L""}});
  dialog.offered.clear();
  dialog.answers = {AddressRow{L"8.8.8.8", L""}};
  EXPECT_TRUE(EditAddressRow(single, kDNSList, dialog));
  EXPECT_EQ(dialog.offered[0].address, L"0.0.0.0");
  EXPECT_EQ(DataRows(single), (Rows{{L"8.8.8.8"}}));
}

TEST_F(AddressListsTest, DeleteMovesTheRowsBelowUpAndKeepsOneDataRow) {
  struct Case {
    const char* name;
    Rows before;
    int selected;
    Rows after;
  };
  const Case cases[] = {
      {"the only row", {{L"1.1.1.1", L"255.0.0.0"}}, 1, {{L"", L""}}},
      {"the middle of three", {{L"1.1.1.1", L"a"}, {L"2.2.2.2", L"b"}, {L"3.3.3.3", L"c"}}, 2,
       {{L"1.1.1.1", L"a"}, {L"3.3.3.3", L"c"}}},
      {"the first of two", {{L"1.1.1.1", L"a"}, {L"2.2.2.2", L"b"}}, 1, {{L"2.2.2.2", L"b"}}},
      {"the last of three", {{L"1.1.1.1", L"a"}, {L"2.2.2.2", L"b"}, {L"3.3.3.3", L"c"}}, 3,
       {{L"1.1.1.1", L"a"}, {L"2.2.2.2", L"b"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Load(grid, c.before);
    grid.SetRow(c.selected);
    EXPECT_TRUE(DeleteAddressRow(grid));
    EXPECT_EQ(DataRows(grid), c.after);
  }

  // A grid without data rows has nothing to delete.
  grid.SetRowCount(1);
  EXPECT_FALSE(DeleteAddressRow(grid));
  EXPECT_EQ(grid.RowCount(), 1);
}

}  // namespace
}  // namespace kip
