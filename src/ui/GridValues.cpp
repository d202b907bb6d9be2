#include "ui/GridValues.h"

namespace kip {

void ClearGridCells(win::Grid& grid) {
  for (int row = 1; row < grid.RowCount(); ++row) {
    for (int col = 0; col < grid.ColCount(); ++col) grid.SetCell(col, row, L"");
  }
}

void ResetGrid(win::Grid& grid) {
  grid.SetRowCount(2);
  ClearGridCells(grid);
}

void FillGridColumn(win::Grid& grid, int col, const StringList& entries) {
  int count = static_cast<int>(entries.size());
  if (count >= grid.RowCount()) grid.SetRowCount(count + 1);
  for (int i = 0; i < count; ++i) grid.SetCell(col, i + 1, entries[static_cast<size_t>(i)]);
}

StringList ColumnCells(const win::Grid& grid, int col) {
  StringList cells;
  for (int row = 1; row < grid.RowCount(); ++row) cells.push_back(grid.Cell(col, row));
  return cells;
}

StringList NonBlankCells(const win::Grid& grid, int col) {
  StringList cells = ColumnCells(grid, col);
  std::erase_if(cells, [](const std::wstring& cell) { return IsBlank(cell); });
  return cells;
}

}  // namespace kip
