// The sheet's edits: each kind taken back and done again, typing joined into one step, and the
// counters that tell the window the sheet needs saving.

#include "kelnor/sheet/sheet.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "kelnor/sheet/fields.h"
#include "kelnor/sheet/sheet_file.h"

namespace kelnor::sheet {
namespace {

std::vector<std::string> labels(const Sheet& s) {
    std::vector<std::string> out;
    for (const Row& r : s.rows()) {
        out.push_back(r[0]);
    }
    return out;
}

Sheet abc() {
    Rows rows(3, emptyRow());
    rows[0][0] = "A";
    rows[1][0] = "B";
    rows[2][0] = "C";
    return Sheet(rows);
}

TEST(SheetEdits, EachKindUndoesToWhatWasAndRedoesToWhatItMade) {
    struct Case {
        const char* name;
        std::function<void(Sheet&)> edit;
        std::vector<std::string> after;  // the labels afterwards
    };
    const std::vector<Case> cases = {
        {"set a cell", [](Sheet& s) { s.setCell(1, 0, "X"); }, {"A", "X", "C"}},
        {"insert at the front", [](Sheet& s) { s.insertConditions(0); }, {"", "A", "B", "C"}},
        {"insert two at the end",
         [](Sheet& s) { s.insertConditions(3, 2); },
         {"A", "B", "C", "", ""}},
        {"remove the middle", [](Sheet& s) { s.removeConditions(1); }, {"A", "C"}},
        {"remove two", [](Sheet& s) { s.removeConditions(0, 2); }, {"C"}},
        {"duplicate", [](Sheet& s) { s.duplicateCondition(0); }, {"A", "A", "B", "C"}},
        {"move down", [](Sheet& s) { s.moveCondition(0, 2); }, {"B", "C", "A"}},
        {"move up", [](Sheet& s) { s.moveCondition(2, 0); }, {"C", "A", "B"}},
        {"block growing the sheet",
         [](Sheet& s) {
             s.setBlock(2, 0, {{"P"}, {"Q"}, {"R"}});
         },
         {"A", "B", "P", "Q", "R"}},
        {"replace all", [](Sheet& s) { s.replaceAll(Rows(1, emptyRow())); }, {""}},
    };
    for (const Case& c : cases) {
        Sheet s = abc();
        const Rows before = s.rows();
        c.edit(s);
        EXPECT_EQ(labels(s), c.after) << c.name;
        const Rows made = s.rows();
        ASSERT_TRUE(s.canUndo()) << c.name;
        s.undo();
        EXPECT_EQ(s.rows(), before) << c.name;
        EXPECT_FALSE(s.canUndo()) << c.name;
        s.redo();
        EXPECT_EQ(s.rows(), made) << c.name;
        EXPECT_FALSE(s.canRedo()) << c.name;
        for (const Row& r : s.rows()) {
            EXPECT_EQ(r.size(), columnCount()) << c.name;
        }
    }
}

TEST(SheetEdits, TypingIntoOneCellIsOneStepUntilTheCellIsLeft) {
    Sheet s = abc();
    s.setCell(0, 2, "3");
    s.setCell(0, 2, "31");
    s.setCell(0, 2, "31.5");
    s.endTyping();
    s.setCell(0, 2, "32");
    s.undo();
    EXPECT_EQ(s.cell(0, 2), "31.5");
    s.undo();
    EXPECT_EQ(s.cell(0, 2), "");
    EXPECT_FALSE(s.canUndo());
    s.redo();
    EXPECT_EQ(s.cell(0, 2), "31.5");
}

TEST(SheetEdits, TypingInAnotherCellOrAfterAnotherEditIsAStepOfItsOwn) {
    Sheet s = abc();
    s.setCell(0, 2, "30");
    s.setCell(0, 3, "24");  // the next cell without endTyping: still its own step
    s.undo();
    EXPECT_EQ(s.cell(0, 2), "30");
    EXPECT_EQ(s.cell(0, 3), "");

    Sheet t = abc();
    t.setCell(0, 2, "30");
    t.duplicateCondition(0);
    t.setCell(0, 2, "31");
    t.undo();
    EXPECT_EQ(t.cell(0, 2), "30");
    EXPECT_EQ(t.size(), 4u);

    // Typing after an undo does not join the edit before it.
    Sheet u = abc();
    u.setCell(0, 2, "30");
    u.endTyping();
    u.setCell(0, 2, "31");
    u.undo();
    u.setCell(0, 2, "35");
    u.undo();
    EXPECT_EQ(u.cell(0, 2), "30");
}

TEST(SheetEdits, ANewEditDropsWhatWasUndone) {
    Sheet s = abc();
    s.removeConditions(0);
    s.undo();
    s.moveCondition(0, 1);
    EXPECT_FALSE(s.canRedo());
    EXPECT_EQ(labels(s), (std::vector<std::string>{"B", "A", "C"}));
}

TEST(SheetEdits, WhatChangesNothingIsNoStep) {
    Sheet s = abc();
    s.setCell(0, 0, "A");
    s.moveCondition(1, 1);
    s.removeConditions(1, 0);
    s.insertConditions(1, 0);
    s.setBlock(0, 0, {{"A", ""}});
    s.replaceAll(abc().rows());
    EXPECT_FALSE(s.canUndo());
    EXPECT_EQ(s.revision(), 0u);
    EXPECT_FALSE(s.modified());
}

TEST(SheetEdits, PlacesOutsideTheSheetAreRefused) {
    Sheet s = abc();
    EXPECT_THROW(s.setCell(3, 0, "x"), std::out_of_range);
    EXPECT_THROW(s.setCell(0, columnCount(), "x"), std::out_of_range);
    EXPECT_THROW(s.removeConditions(2, 2), std::out_of_range);
    EXPECT_THROW(s.moveCondition(0, 3), std::out_of_range);
    EXPECT_THROW(s.insertConditions(4), std::out_of_range);
    EXPECT_EQ(s.rows(), abc().rows());
}

TEST(SheetEdits, UndoAndRedoSayWhereTheChangeIs) {
    Sheet s = abc();
    s.setCell(2, 4, "21");
    s.endTyping();
    s.moveCondition(0, 1);
    auto place = s.undo();
    ASSERT_TRUE(place);
    EXPECT_EQ(place->row, 1u);
    EXPECT_FALSE(place->column);
    place = s.undo();
    ASSERT_TRUE(place);
    EXPECT_EQ(place->row, 2u);
    EXPECT_EQ(place->column, 4u);
    EXPECT_FALSE(s.undo());
}

TEST(SheetModified, UndoingBackToTheSavedSheetIsUnmodified) {
    Sheet s = abc();
    EXPECT_FALSE(s.modified());
    s.setCell(0, 0, "X");
    EXPECT_TRUE(s.modified());
    s.markSaved();
    EXPECT_FALSE(s.modified());
    s.endTyping();
    s.setCell(1, 0, "Y");
    EXPECT_TRUE(s.modified());
    s.undo();
    EXPECT_FALSE(s.modified());
    s.undo();
    EXPECT_TRUE(s.modified());
    s.redo();
    EXPECT_FALSE(s.modified());
}

TEST(SheetModified, TypingOnAfterASaveModifiesAlthoughItIsOneStep) {
    Sheet s = abc();
    s.setCell(0, 2, "3");
    s.markSaved();
    s.markAutosaved();
    s.setCell(0, 2, "30");  // joins the step that was saved
    EXPECT_TRUE(s.modified());
    EXPECT_TRUE(s.dirtySinceAutosave());
    s.markAutosaved();
    EXPECT_FALSE(s.dirtySinceAutosave());
    EXPECT_TRUE(s.modified());
    s.undo();  // back to nothing typed: neither what was saved nor what was autosaved
    EXPECT_TRUE(s.modified());
    EXPECT_TRUE(s.dirtySinceAutosave());
}

TEST(SheetModified, ClearingTheHistoryKeepsTheSheetAndItsSavedState) {
    Sheet s = abc();
    s.setCell(0, 0, "X");
    s.markSaved();
    s.clearHistory();
    EXPECT_FALSE(s.canUndo());
    EXPECT_FALSE(s.modified());
    EXPECT_EQ(s.cell(0, 0), "X");
    s.setCell(0, 0, "Z");
    s.undo();
    EXPECT_FALSE(s.modified());
}

}  // namespace
}  // namespace kelnor::sheet
