#pragma once

// What both design windows do alike and no toolkit decides: when the autosave follows a change,
// the window's sizes on a screen, and the conditions grid's cell cursor with its selection.

#include <cstddef>

#include "kelnor/sheet/clipboard.h"
#include "kelnor/sheet/design_presenter.h"
#include "kelnor/text/rect.h"

namespace kelnor::sheet {

// The autosave follows the last change of the sheet after this long.
inline constexpr int kAutosaveDelayMs = 1000;

// A size in device pixels at 96 dpi.
struct WindowSize {
    int width = 0;
    int height = 0;
};

// Room for the names, two conditions and the sketch.
inline constexpr WindowSize kMinimumWindowSize{640, 480};
// What four conditions, the dam's panel, every result and the sketch take at the usual font:
// larger only leaves room empty.
inline constexpr WindowSize kPreferredWindowSize{1280, 840};

// The window's first size (its frame) on a screen whose area free of task bars is
// `available`: the preferred size, cut to that area, never below the minimum.
WindowSize firstWindowSize(WindowSize available);

// A control's place in the window's client area, device pixels.
using kelnor::Rect;

// What the window's controls take, in device pixels, as its toolkit measures them.
struct LayoutMetrics {
    int margin = 6;            // around the whole, and between the controls
    int rowHeight = 18;        // a grid's row
    int headerHeight = 20;     // a grid's column header
    int frame = 2;             // a grid's borders, both sides together
    int scrollBar = 17;        // a scroll bar's thickness
    int namesWidth = 190;      // the grids' names column
    int conditionWidth = 100;  // a condition's column
    int lineHeight = 20;       // the summary line
    int entryHeight = 24;      // an entry of the dam's panel, with the gap under it
    int statusHeight = 0;      // a status line inside the client area
};

// Where each part of the window goes: the conditions grid with the results under it, the
// summary line across the whole under both, and on the right the dam's entries, the settled
// crest under them and the sketch under that.
struct DesignLayout {
    Rect grid;
    Rect results;
    Rect summary;
    Rect dam;  // the entries with their captions
    Rect settled;
    Rect picture;
};

// The layout of a client area of `client`: the grids as large as their rows and columns need
// where there is room, shared in proportion where there is not; what is left goes to the
// sketch, so no part of the window stays empty.
DesignLayout designLayout(WindowSize client, const LayoutMetrics& metrics, std::size_t conditions,
                          std::size_t damEntries, std::size_t settledRows);

// The layout of a dike's sections: the sections' grid across the left with their results in
// it (`results` is empty), the long section under it, the dike's entries and its settled crest
// on the right, the summary line across the whole under them.
DesignLayout dikeLayout(WindowSize client, const LayoutMetrics& metrics, std::size_t damEntries,
                        std::size_t settledRows);

// The keys that move the grid's cursor.
enum class GridKey { Left, Right, Up, Down, PageUp, PageDown, Home, End, Tab, Enter };

// The conditions grid's cell cursor, in the sheet's places: the current cell (a condition and
// a field) and the anchor where a selection stretched with Shift began. On screen a dam's
// conditions are the columns and the fields the rows: Left and Right go from condition to
// condition, Up and Down from field to field. A dike's sections are the rows: Left and Right go
// from field to field, Up and Down from section to section, as in a spreadsheet.
class GridCursor {
  public:
    // The grid now has `conditions` × `fields` cells, the conditions as rows where
    // `conditionsAsRows`: the cursor stays where it was, moved in where its cell is gone.
    void resize(std::size_t conditions, std::size_t fields, bool conditionsAsRows = false);

    std::size_t condition() const { return current_.condition; }
    std::size_t field() const { return current_.field; }

    // Makes the cell current; with `stretch` the selection reaches it from the anchor, else it
    // is that cell alone.
    void moveTo(std::size_t condition, std::size_t field, bool stretch = false);
    // The arrows, Page Up and Page Down (`page` rows at a time), Home and End (the first and
    // last column) stretch the selection with Shift. Tab goes to the next column and
    // Shift+Tab back, Enter to the next row, each leaving the selection the one cell.
    void press(GridKey key, bool shift, std::size_t page = 1);

    bool selected(std::size_t condition, std::size_t field) const;
    // The current cell and the rectangle from the anchor to it; nothing without a condition.
    GridSelection selection() const;

  private:
    struct Cell {
        std::size_t condition = 0;
        std::size_t field = 0;
    };

    Cell clamped(Cell cell) const;

    std::size_t conditions_ = 0;
    std::size_t fields_ = 0;
    bool conditionsAsRows_ = false;
    Cell current_;
    Cell anchor_;
};

}  // namespace kelnor::sheet
