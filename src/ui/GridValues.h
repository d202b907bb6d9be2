// Moving lists of addresses between the address grids and plain lists.
#pragma once

#include <string>

#include "ui/win/Controls.h"
#include "util/Text.h"

namespace kip {

// Empties every data cell and leaves the title row and one empty data row.
void ResetGrid(win::Grid& grid);
// Empties the data cells of rows 1 to the last, keeping the row count.
void ClearGridCells(win::Grid& grid);
// Puts entry i into row i + 1 of the column, growing the grid when the list
// has as many entries as the grid has rows or more. Never shrinks it.
void FillGridColumn(win::Grid& grid, int col, const StringList& entries);
// Every data cell of a column, blank ones included, in row order.
StringList ColumnCells(const win::Grid& grid, int col);
// The cells of a column that are not blank, in row order (untrimmed).
StringList NonBlankCells(const win::Grid& grid, int col);

// Address text of a blank row in stored lists and scripts.
inline constexpr wchar_t kBlankAddress[] = L"0.0.0.0";

}  // namespace kip
