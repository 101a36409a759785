#include "kelnor/sheet/window_rules.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

#include "kelnor/sheet/fields.h"
#include "kelnor/sheet/grid.h"

namespace kelnor::sheet {

WindowSize firstWindowSize(WindowSize available) {
    return {
        std::max(kMinimumWindowSize.width, std::min(kPreferredWindowSize.width, available.width)),
        std::max(kMinimumWindowSize.height,
                 std::min(kPreferredWindowSize.height, available.height))};
}

namespace {

// Heights `need` shared in `room`: each whole where they fit, the room left to the last; else
// in proportion to their needs.
std::vector<int> share(int room, const std::vector<int>& need) {
    int total = 0;
    for (const int n : need) {
        total += n;
    }
    std::vector<int> out = need;
    if (total <= room) {
        out.back() += room - total;
        return out;
    }
    int given = 0;
    for (std::size_t i = 0; i + 1 < out.size(); ++i) {
        out[i] = total > 0 ? int(std::int64_t(room) * need[i] / total) : 0;
        given += out[i];
    }
    out.back() = std::max(0, room - given);
    return out;
}

}  // namespace

DesignLayout designLayout(WindowSize client, const LayoutMetrics& m, std::size_t conditions,
                          std::size_t damEntries, std::size_t settledRows) {
    DesignLayout out;
    const int width = std::max(0, client.width - 2 * m.margin);
    const int height = std::max(0, client.height - 2 * m.margin - m.statusHeight);

    // The grids as wide as their columns, and no wider than three fifths of the window: the
    // rest is the dam's panel and the sketch's.
    const int columns = m.namesWidth +
                        int(std::max<std::size_t>(conditions, 1)) * m.conditionWidth + m.frame +
                        m.scrollBar;
    const int left = std::clamp(columns, std::min(width, width * 2 / 5), width * 3 / 5);
    const int right = std::max(0, width - left - m.margin);
    const int sideways = columns > left ? m.scrollBar : 0;  // a scroll bar under each grid

    const int summary = m.lineHeight;
    const int grids = std::max(0, height - summary - m.margin);
    const int fieldRows = int(fields().size());
    const int results = int(resultRowCount());
    const std::vector<int> heights =
        share(grids, {m.headerHeight + fieldRows * m.rowHeight + m.frame + sideways + m.margin,
                      m.headerHeight + results * m.rowHeight + m.frame + sideways});
    out.grid = {m.margin, m.margin, left, std::max(0, heights[0] - m.margin)};
    out.results = {m.margin, out.grid.bottom() + m.margin, left, heights[1]};
    out.summary = {m.margin, out.results.bottom() + m.margin, width, summary};

    // On the right: the entries, the settled crest, and the sketch under them.
    const int x = m.margin + left + m.margin;
    const int column = out.results.bottom() - m.margin;
    const int entries = int(damEntries) * m.entryHeight;
    const int settled = m.headerHeight + int(settledRows) * m.rowHeight + m.frame;
    // The panel takes up to two thirds of the column, and never less than its entries whole:
    // what is typed comes before the sketch.
    const int panel =
        std::min(entries + settled + m.margin, std::max(std::min(entries, column), column * 2 / 3));
    out.dam = {x, m.margin, right, std::min(entries, panel)};
    // The settled crest's list shows its header and at least one line, or nothing: a sliver
    // would show neither, and the sketch is better given the room.
    const int room = panel - out.dam.height - m.margin;
    const int oneLine = m.headerHeight + m.rowHeight + m.frame;
    out.settled = {x, out.dam.bottom(), right, room >= oneLine ? room : 0};
    out.picture = {x, out.settled.bottom() + m.margin, right,
                   std::max(0, out.results.bottom() - out.settled.bottom() - m.margin)};
    return out;
}

DesignLayout dikeLayout(WindowSize client, const LayoutMetrics& m, std::size_t damEntries,
                        std::size_t settledRows) {
    DesignLayout out;
    const int width = std::max(0, client.width - 2 * m.margin);
    const int height = std::max(0, client.height - 2 * m.margin - m.statusHeight);
    // The entries and the settled crest take a quarter of the width, as wide as the dam's
    // panel at the preferred size; the sections the rest.
    const int right = std::min(width / 4, m.namesWidth + 2 * m.conditionWidth);
    const int left = std::max(0, width - right - m.margin);
    const int summary = m.lineHeight;
    const int column = std::max(0, height - summary - m.margin);
    // The long section takes two fifths under the grid: enough to read its levels, while the
    // grid keeps the most rows in sight.
    const std::vector<int> heights = share(column, {column * 3 / 5, column - column * 3 / 5});
    out.grid = {m.margin, m.margin, left, std::max(0, heights[0] - m.margin)};
    out.results = {m.margin, out.grid.bottom(), left, 0};
    out.picture = {m.margin, out.grid.bottom() + m.margin, left, heights[1]};
    out.summary = {m.margin, out.picture.bottom() + m.margin, width, summary};
    const int x = m.margin + left + m.margin;
    const int entries = std::min(int(damEntries) * m.entryHeight, column);
    out.dam = {x, m.margin, right, entries};
    const int room = std::max(0, column - entries - m.margin);
    const int oneLine = m.headerHeight + m.rowHeight + m.frame;
    const int settled = m.headerHeight + int(settledRows) * m.rowHeight + m.frame;
    out.settled = {x, out.dam.bottom() + m.margin, right,
                   room >= oneLine ? std::min(room, settled) : 0};
    return out;
}

void GridCursor::resize(std::size_t conditions, std::size_t fields, bool conditionsAsRows) {
    conditions_ = conditions;
    fields_ = fields;
    conditionsAsRows_ = conditionsAsRows;
    current_ = clamped(current_);
    anchor_ = clamped(anchor_);
}

GridCursor::Cell GridCursor::clamped(Cell cell) const {
    return {std::min(cell.condition, conditions_ == 0 ? 0 : conditions_ - 1),
            std::min(cell.field, fields_ == 0 ? 0 : fields_ - 1)};
}

void GridCursor::moveTo(std::size_t condition, std::size_t field, bool stretch) {
    current_ = clamped({condition, field});
    if (!stretch) {
        anchor_ = current_;
    }
}

void GridCursor::press(GridKey key, bool shift, std::size_t page) {
    using enum GridKey;
    // How far each key goes, in conditions and in fields (pages of them where `paged`); Home
    // and End all the way. Tab and Enter only move the cursor, Shift or not: Tab goes along a
    // row as a spreadsheet's does, Shift+Tab back.
    constexpr std::ptrdiff_t kAll = PTRDIFF_MAX / 2;
    struct Step {
        GridKey key;
        std::ptrdiff_t conditions;
        std::ptrdiff_t fields;
        bool paged;
    };
    static constexpr Step kSteps[] = {
        {Left, -1, 0, false},    {Right, 1, 0, false},  {Up, 0, -1, false},
        {Down, 0, 1, false},     {PageUp, 0, -1, true}, {PageDown, 0, 1, true},
        {Home, -kAll, 0, false}, {End, kAll, 0, false}, {Tab, 1, 0, false},
        {Enter, 0, 1, false},
    };
    const Step* step = std::find_if(std::begin(kSteps), std::end(kSteps),
                                    [key](const Step& s) { return s.key == key; });
    const bool selects = key != Tab && key != Enter;
    // The steps are on screen: across the columns, down the rows.
    std::ptrdiff_t across = key == Tab && shift ? -1 : step->conditions;
    std::ptrdiff_t down =
        step->fields * (step->paged ? std::ptrdiff_t(std::max<std::size_t>(page, 1)) : 1);
    const auto moved = [](std::size_t at, std::ptrdiff_t by, std::size_t count) {
        by = std::clamp(by, -std::ptrdiff_t(count) - 1, std::ptrdiff_t(count));
        return by < 0 && std::size_t(-by) > at ? std::size_t(0)
                                               : std::size_t(std::ptrdiff_t(at) + by);
    };
    if (conditionsAsRows_) {
        std::swap(across, down);
    }
    moveTo(moved(current_.condition, across, conditions_), moved(current_.field, down, fields_),
           selects && shift);
}

bool GridCursor::selected(std::size_t condition, std::size_t field) const {
    return conditions_ > 0 && condition >= std::min(anchor_.condition, current_.condition) &&
           condition <= std::max(anchor_.condition, current_.condition) &&
           field >= std::min(anchor_.field, current_.field) &&
           field <= std::max(anchor_.field, current_.field);
}

GridSelection GridCursor::selection() const {
    if (conditions_ == 0 || fields_ == 0) {
        return {};
    }
    const std::size_t top = std::min(anchor_.condition, current_.condition);
    const std::size_t left = std::min(anchor_.field, current_.field);
    return {Place{current_.condition, current_.field},
            CellRange{top, left, std::max(anchor_.condition, current_.condition) - top + 1,
                      std::max(anchor_.field, current_.field) - left + 1}};
}

}  // namespace kelnor::sheet
