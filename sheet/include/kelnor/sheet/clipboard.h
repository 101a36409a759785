#pragma once

// The clipboard as a spreadsheet fills and reads it: cells separated by tabs, rows by line
// ends, a cell holding a tab, a line end or a quote in double quotes with its quotes doubled.

#include <cstddef>
#include <string>
#include <string_view>

#include "kelnor/sheet/evaluation.h"
#include "kelnor/sheet/sheet.h"

namespace kelnor::sheet {

// A rectangle of cells: conditions [firstRow, firstRow + rowCount), columns likewise.
struct CellRange {
    std::size_t firstRow = 0;
    std::size_t firstColumn = 0;
    std::size_t rowCount = 0;
    std::size_t columnCount = 0;
};

// The cells of `range` (cut to the sheet) as tab-separated text, each row ended by CR LF.
std::string copyCells(const Sheet& sheet, const CellRange& range);

// The results table (复制成果) as tab-separated text: a header, then one row per condition,
// failed and empty conditions with a dash in each result.
std::string copyResults(const Rows& rows, const SheetEvaluation& evaluation);

// Tab-separated text read back into cells; the line end after the last row adds no row.
Block readTabSeparated(std::string_view text);

// Pastes tab-separated `text` with its first cell at (row, column), as one step of undo;
// conditions are added where the text reaches past the last one.
void paste(Sheet& sheet, std::size_t row, std::size_t column, std::string_view text);

}  // namespace kelnor::sheet
