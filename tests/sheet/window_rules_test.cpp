// What both design windows do alike: the grid's cursor and its selection by key, committing a
// choice, the window's first size and the layout of its parts.

#include "kelnor/sheet/window_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "kelnor/sheet/dam_panel.h"
#include "kelnor/sheet/fields.h"
#include "kelnor/sheet/grid.h"

namespace kelnor::sheet {
namespace {

struct Cell {
    std::size_t condition;
    std::size_t field;
    bool operator==(const Cell&) const = default;
};

struct KeyCase {
    const char* what;
    Cell from;
    GridKey key;
    bool shift;
    Cell to;
    CellRange selected;  // conditions by fields
};

// Four conditions by 19 fields, a page of 5 fields.
TEST(GridCursor, MovesByKeyAndStretchesWithShift) {
    using enum GridKey;
    const KeyCase cases[] = {
        {"right", {1, 3}, Right, false, {2, 3}, {2, 3, 1, 1}},
        {"right at the last condition stays", {3, 3}, Right, false, {3, 3}, {3, 3, 1, 1}},
        {"left at the first stays", {0, 3}, Left, false, {0, 3}, {0, 3, 1, 1}},
        {"down", {1, 3}, Down, false, {1, 4}, {1, 4, 1, 1}},
        {"down at the last field stays", {1, 18}, Down, false, {1, 18}, {1, 18, 1, 1}},
        {"up at the first field stays", {1, 0}, Up, false, {1, 0}, {1, 0, 1, 1}},
        {"shift+right stretches", {1, 3}, Right, true, {2, 3}, {1, 3, 2, 1}},
        {"shift+up stretches upwards", {1, 3}, Up, true, {1, 2}, {1, 2, 1, 2}},
        {"page down", {1, 3}, PageDown, false, {1, 8}, {1, 8, 1, 1}},
        {"page down near the end stops at the last",
         {1, 16},
         PageDown,
         false,
         {1, 18},
         {1, 18, 1, 1}},
        {"page up near the top stops at the first", {1, 3}, PageUp, true, {1, 0}, {1, 0, 1, 4}},
        {"home: the first condition", {2, 3}, Home, false, {0, 3}, {0, 3, 1, 1}},
        {"shift+end: to the last condition", {1, 3}, End, true, {3, 3}, {1, 3, 3, 1}},
        {"tab: the next condition", {1, 3}, Tab, false, {2, 3}, {2, 3, 1, 1}},
        {"shift+tab: back, not a stretch", {1, 3}, Tab, true, {0, 3}, {0, 3, 1, 1}},
        {"enter: the next field, not a stretch", {1, 3}, Enter, true, {1, 4}, {1, 4, 1, 1}},
    };
    for (const KeyCase& c : cases) {
        GridCursor cursor;
        cursor.resize(4, 19);
        cursor.moveTo(c.from.condition, c.from.field);
        cursor.press(c.key, c.shift, 5);
        EXPECT_EQ((Cell{cursor.condition(), cursor.field()}), c.to) << c.what;
        const GridSelection s = cursor.selection();
        ASSERT_TRUE(s.current && s.range) << c.what;
        EXPECT_EQ((Cell{s.current->row, *s.current->column}), c.to) << c.what;
        const auto corners = [](const CellRange& r) {
            return std::array{r.firstRow, r.firstColumn, r.rowCount, r.columnCount};
        };
        EXPECT_EQ(corners(*s.range), corners(c.selected)) << c.what;
    }
}

TEST(GridCursor, ASelectionStretchedAndTheSheetShrunk) {
    GridCursor cursor;
    cursor.resize(4, 19);
    cursor.moveTo(1, 2);
    cursor.press(GridKey::Right, true);
    cursor.press(GridKey::Right, true);
    cursor.press(GridKey::Down, true);
    EXPECT_TRUE(cursor.selected(1, 2));
    EXPECT_TRUE(cursor.selected(3, 3));
    EXPECT_FALSE(cursor.selected(0, 2));
    EXPECT_FALSE(cursor.selected(2, 4));

    // Conditions removed under the cursor: it moves in to the last there is.
    cursor.resize(2, 19);
    EXPECT_EQ(cursor.condition(), 1u);
    ASSERT_TRUE(cursor.selection().range);
    EXPECT_EQ(cursor.selection().range->rowCount, 1u);

    // No condition at all: nothing selected, nothing current.
    cursor.resize(0, 19);
    EXPECT_FALSE(cursor.selection().current);
    EXPECT_FALSE(cursor.selected(0, 0));
    cursor.press(GridKey::Right, false);
    EXPECT_EQ(cursor.condition(), 0u);
}

TEST(CommittedText, AChoiceWritesItsValueAndNoChoiceKeepsTheCell) {
    const std::size_t formula = *columnIndex("formula");
    const std::size_t roughness = *columnIndex("roughness");
    const std::size_t depth = *columnIndex("depth");
    struct Case {
        std::size_t field;
        std::optional<std::size_t> chosen;
        std::string_view box;
        std::optional<std::string> written;
    };
    const Case cases[] = {
        {formula, 1, "莆田试验站公式", "putian"},
        {formula, 0, "", ""},  // the empty entry clears the cell
        {formula, std::nullopt, "smith", std::nullopt},
        {formula, 99, "", std::nullopt},
        {depth, std::nullopt, " 31.5", " 31.5"},
        {roughness, std::nullopt, "0.93", "0.93"},
        {roughness, std::nullopt, "草皮", "草皮"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(committedText(c.field, c.chosen, c.box), c.written) << c.box;
    }
}

TEST(WindowSize, FirstSizeFitsTheScreenAndNeverGoesBelowTheMinimum) {
    struct Case {
        WindowSize available;
        WindowSize first;
    };
    for (const Case& c : {Case{{1920, 1040}, {1280, 840}}, Case{{1366, 728}, {1280, 728}},
                          Case{{1024, 728}, {1024, 728}}, Case{{600, 400}, {640, 480}}}) {
        const WindowSize s = firstWindowSize(c.available);
        EXPECT_EQ(s.width, c.first.width) << c.available.width;
        EXPECT_EQ(s.height, c.first.height) << c.available.height;
    }
}

// Each part inside the client area, and no two over each other.
void expectLaidOut(const std::vector<Rect>& parts, WindowSize client) {
    const auto inside = [&](const Rect& r) {
        return r.left >= 0 && r.top >= 0 && r.right() <= client.width &&
               r.bottom() <= client.height && r.width >= 0 && r.height >= 0;
    };
    const auto apart = [](const Rect& a, const Rect& b) {
        return a.right() <= b.left || b.right() <= a.left || a.bottom() <= b.top ||
               b.bottom() <= a.top;
    };
    for (std::size_t i = 0; i < parts.size(); ++i) {
        EXPECT_TRUE(inside(parts[i])) << "part " << i << " at " << client.width;
        for (std::size_t j = i + 1; j < parts.size(); ++j) {
            EXPECT_TRUE(apart(parts[i], parts[j]) || parts[i].width == 0 || parts[j].width == 0)
                << "parts " << i << " and " << j << " at " << client.width;
        }
    }
}

// The Qt window's client area on a 1366×768 screen under a desktop's top bar (the frame, menu
// and status line off), at its font's rows, with four conditions and ten settled lines.
TEST(DesignLayout, AtFirstSightEveryRowIsWholeOnALaptopScreen) {
    LayoutMetrics m;
    m.rowHeight = 16;
    const WindowSize client{1280, 656};
    const DesignLayout l = designLayout(client, m, 4, shownEntryCount(DesignCode::Dam), 10);
    expectLaidOut({l.grid, l.results, l.summary, l.dam, l.settled, l.picture}, client);
    // 21 fields and 13 results, each with its header, whole.
    EXPECT_GE(l.grid.height, 20 + 21 * 16 + 2);
    EXPECT_GE(l.results.height, 20 + 13 * 16 + 2);
    EXPECT_GE(l.settled.height, 20 + 10 * 16 + 2);
    EXPECT_GE(l.dam.height, int(shownEntryCount(DesignCode::Dam)) * m.entryHeight);
    // The four conditions whole beside their names; the sketch takes the room left.
    EXPECT_GE(l.grid.width, 190 + 4 * 100 + 2);
    EXPECT_GE(l.picture.height, 150);
    EXPECT_EQ(l.picture.right(), client.width - m.margin);
    EXPECT_EQ(l.summary.bottom(), client.height - m.margin);
}

// The height of the settled crest's list with its header and one line of it: the least that
// shows the user anything of it.
int oneSettledLine(const LayoutMetrics& m) {
    return m.headerHeight + m.rowHeight + m.frame;
}

// Twelve conditions, more than the grids have room for, and ten settled lines.
DesignLayout crampedLayout(WindowSize client, const LayoutMetrics& m) {
    return designLayout(client, m, 12, shownEntryCount(DesignCode::Dam), 10);
}

TEST(DesignLayout, WhereRoomIsShortTheGridsShareItAndNothingOverlaps) {
    const LayoutMetrics m;
    // About the client area of the smallest window (640×480 less its caption, menu and
    // borders), and one far below it.
    for (const WindowSize client : {WindowSize{640, 420}, WindowSize{400, 300}}) {
        SCOPED_TRACE(testing::Message() << client.width << "x" << client.height);
        const DesignLayout l = crampedLayout(client, m);
        expectLaidOut({l.grid, l.results, l.summary, l.dam, l.settled, l.picture}, client);
        // Many conditions: the grids keep to three fifths of the width.
        EXPECT_LE(l.grid.width, (client.width - 2 * m.margin) * 3 / 5);
        // Every entry of the dam's panel whole: the windows put them one under the other from
        // the panel's top, whatever its height.
        EXPECT_GE(l.dam.height, int(shownEntryCount(DesignCode::Dam)) * m.entryHeight);
        EXPECT_GT(l.dam.width, 0);
        // The side keeps its width for the settled crest, and the sketch some height.
        EXPECT_GT(l.settled.width, 0);
        EXPECT_GT(l.picture.height, 0);
    }
    // No room at all: nothing laid out, nothing negative.
    const DesignLayout none = designLayout({0, 0}, m, 12, 6, 10);
    for (const Rect& r : {none.grid, none.results, none.dam, none.settled, none.picture}) {
        EXPECT_EQ(r.width, 0);
        EXPECT_GE(r.height, 0);
    }
}

TEST(DesignLayout, TheSmallestWindowShowsALineOfTheSettledCrest) {
    const LayoutMetrics m;
    const DesignLayout l = crampedLayout({640, 420}, m);
    EXPECT_GE(l.settled.height, oneSettledLine(m));
}

TEST(DesignLayout, FarBelowTheSmallestWindowTheSettledCrestIsALineOrNothing) {
    // What is left under the dam's panel at 400×300 would be a sliver (7 px) that shows
    // neither the list's header nor a line: the list gets nothing, the sketch the room.
    const LayoutMetrics m;
    const DesignLayout l = crampedLayout({400, 300}, m);
    EXPECT_TRUE(l.settled.height == 0 || l.settled.height >= oneSettledLine(m))
        << l.settled.height << " px";
}

}  // namespace
}  // namespace kelnor::sheet
