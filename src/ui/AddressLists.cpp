#include "ui/AddressLists.h"

#include "util/Text.h"

namespace kip {

namespace {

std::wstring CellOr(const win::Grid& grid, int col, int row, std::wstring_view fallback) {
  std::wstring cell = grid.Cell(col, row);
  return IsBlank(cell) ? std::wstring(fallback) : cell;
}

void WriteRow(win::Grid& grid, int row, const AddressListKind& kind, const AddressRow& entry) {
  grid.SetCell(0, row, entry.address);
  if (kind.hasSecond) grid.SetCell(1, row, entry.second);
}

}  // namespace

bool AddAddressRow(win::Grid& grid, const AddressListKind& kind, AddressEntry& dialog) {
  std::optional<AddressRow> entry =
      dialog.Ask({std::wstring(kind.defaultAddress), kind.hasSecond ? std::wstring(kind.defaultSecond) : L""});
  if (!entry) return false;
  // A grid always has a data row; one that lost it gets it back.
  if (grid.RowCount() < 2) grid.SetRowCount(2);
  int target = 1;
  if (!IsBlank(grid.Cell(0, 1))) {
    grid.SetRowCount(grid.RowCount() + 1);
    target = grid.RowCount() - 1;
  }
  WriteRow(grid, target, kind, *entry);
  return true;
}

bool EditAddressRow(win::Grid& grid, const AddressListKind& kind, AddressEntry& dialog) {
  // The row read here is the row written, whatever is selected afterwards.
  const int row = grid.Row();
  if (row < 1) return false;
  AddressRow offered{CellOr(grid, 0, row, kind.defaultAddress),
                     kind.hasSecond ? CellOr(grid, 1, row, kind.defaultSecond) : L""};
  std::optional<AddressRow> entry = dialog.Ask(offered);
  if (!entry) return false;
  WriteRow(grid, row, kind, *entry);
  return true;
}

bool DeleteAddressRow(win::Grid& grid) {
  const int rows = grid.RowCount();
  if (rows < 2) return false;
  const int selected = grid.Row();
  for (int row = selected; row + 1 < rows; ++row) {
    for (int col = 0; col < grid.ColCount(); ++col) grid.SetCell(col, row, grid.Cell(col, row + 1));
  }
  for (int col = 0; col < grid.ColCount(); ++col) grid.SetCell(col, rows - 1, L"");
  if (rows > 2) grid.SetRowCount(rows - 1);
  return true;
}

}  // namespace kip
