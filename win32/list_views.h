#pragma once

// The design window's two grids as Windows list views: report mode, their items given on
// demand, a names' column and one column per condition, drawn cell by cell.

#include <windows.h>

#include <commctrl.h>

#include <optional>

#include "kelnor/design/drawing.h"
#include "kelnor/sheet/evaluation.h"
#include "kelnor/sheet/grid.h"

namespace kelnor::win32 {

// Device pixels at 96 dpi.
inline constexpr int kNameColumnWidth = 190;
inline constexpr int kConditionColumnWidth = 110;

inline COLORREF colourOf(design::Rgb c) {
    return RGB(c.r, c.g, c.b);
}

// Where a list view's custom drawing stands: before the whole, before a row, before a cell.
// The row stage drops the list view's own row highlight and focus rectangle, which are not the
// grid's cursor; only the cell stage needs more of the window, with the cell's plain colours
// set (the names' column on the face colour, as a header).
std::optional<LRESULT> beforeCell(NMLVCUSTOMDRAW& draw);

// A report-mode list view whose items the window gives on demand: one item per row.
HWND makeListView(HWND parent, int id, HINSTANCE instance, DWORD style);

// Sets a list view's columns: the names' column, then one per condition.
void setColumns(HWND list, int conditions, const sheet::SheetEvaluation& evaluation, UINT dpi,
                int alignment);

// Sets the conditions grid's columns: the names' column, then a dam's conditions, or a dike's
// fields and results each as wide as its header.
void setGridColumns(HWND list, const sheet::Sheet& sheet, const sheet::SheetEvaluation& evaluation,
                    UINT dpi);

// The columns' widths at `dpi`.
void scaleColumns(HWND list, UINT dpi);

// A result cell's colours and font as a grid draws it: toned, bold where it governs.
void toneResult(NMLVCUSTOMDRAW& draw, const sheet::ResultCell& cell, HFONT bold);

}  // namespace kelnor::win32
