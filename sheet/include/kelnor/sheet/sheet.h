#pragma once

// The design conditions as the user types them: a list of conditions, each the texts of its
// cells by column (the columns of fields()), with the values of the dam as a whole (the wave
// wall, the reserve, the adopted crest and the book's title block), and every change to them
// an edit that can undo and redo itself. The window edits only through this class, so whatever the
// user does can be taken back, and it learns from the counters whether the sheet needs saving or
// autosaving.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "kelnor/design/crest.h"

namespace kelnor::sheet {

// One condition (or a dike's section): its cells' texts by column index, exactly
// columnCount(code) of them.
using Row = std::vector<std::string>;
using Rows = std::vector<Row>;

using design::DesignCode;

// A condition (a dike's section) with every cell empty.
Row emptyRow(DesignCode code = DesignCode::Dam);

// A block of cell texts, rows of cells, as pasted: rows may differ in length.
using Block = std::vector<std::vector<std::string>>;

// What an edit changes: the conditions and the dam's values.
struct Content {
    Rows rows;
    design::DamTexts dam = design::emptyDamTexts();
    // Which code the rows are read by: a dam's design conditions, or a dike's sections along
    // its chainage, each with the columns of fields(code).
    DesignCode code = DesignCode::Dam;

    bool operator==(const Content&) const = default;
};

// Where an edit happened, for the window to show it after an undo or redo.
struct Place {
    std::size_t row = 0;
    std::optional<std::size_t> column;      // none when whole conditions changed
    std::optional<std::size_t> damField{};  // a value of the dam (design::damFields()) instead
};

// One change to the sheet that knows how to take itself back.
class Edit {
  public:
    virtual ~Edit() = default;
    virtual void redo(Content& content) const = 0;
    virtual void undo(Content& content) const = 0;
    // Where the window should show the change.
    virtual Place place() const = 0;
    // Takes `next`, made right after this edit, into this one where the two are one piece of
    // typing; false where they stay apart.
    virtual bool absorb(const Edit& /*next*/) { return false; }
};

class Sheet {
  public:
    Sheet() = default;
    // A sheet holding `rows` (each widened or cut to columnCount(code)) and the dam's values,
    // unmodified, without history.
    explicit Sheet(Rows rows, design::DamTexts dam = design::emptyDamTexts(),
                   DesignCode code = DesignCode::Dam);

    std::size_t size() const { return content_.rows.size(); }
    DesignCode code() const { return content_.code; }
    bool isDike() const { return content_.code == DesignCode::Dike; }
    const Rows& rows() const { return content_.rows; }
    const design::DamTexts& dam() const { return content_.dam; }
    const std::string& cell(std::size_t row, std::size_t column) const;

    // --- edits, each one step of undo -------------------------------------------------------
    // Sets a cell. Typing into the same cell right after the last edit joins that edit, until
    // endTyping(). Setting a cell to the text it holds changes nothing.
    void setCell(std::size_t row, std::size_t column, std::string text);
    // Ends a piece of typing: the next setCell is an edit of its own (the window calls this
    // when the cell loses the keyboard).
    void endTyping() { typing_ = false; }
    // Puts empty conditions, or the given ones, before `at` (size(): at the end).
    void insertConditions(std::size_t at, std::size_t count = 1);
    void insertConditions(std::size_t at, Rows rows);
    // Removes `count` conditions from `first`.
    void removeConditions(std::size_t first, std::size_t count = 1);
    // Puts a copy of condition `row` right after it.
    void duplicateCondition(std::size_t row);
    // Moves condition `from` so that it stands at index `to` afterwards.
    void moveCondition(std::size_t from, std::size_t to);
    // Writes `block` with its first cell at (row, column): cells beyond the last column are
    // dropped, and conditions are added at the end where the block reaches past the last one.
    void setBlock(std::size_t row, std::size_t column, const Block& block);
    // Sets several cells of condition `row` as one step (the rays of a fetch, and the fetch
    // they replace): by column, the new text.
    void setCells(std::size_t row, const std::vector<std::pair<std::size_t, std::string>>& texts);
    // Replaces every condition at once (opening a file into the sheet as one undoable step).
    void replaceAll(Rows rows);
    // Replaces every condition and the dam's values at once.
    void replaceAll(Rows rows, design::DamTexts dam);
    // Replaces the whole sheet, a dam's conditions by a dike's sections or the reverse.
    void replaceAll(Content content);
    // Sets a value of the dam, by its index in design::damFields(); typing joins as in a cell.
    void setDamText(std::size_t field, std::string text);
    // Sets several values of the dam as one step (the 计算书信息 box): by field, the new text.
    void setDamTexts(const std::vector<std::pair<std::size_t, std::string>>& texts);

    // --- undo and redo ----------------------------------------------------------------------
    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < history_.size(); }
    // Takes back the last edit, or does again the last one taken back; where it happened.
    std::optional<Place> undo();
    std::optional<Place> redo();
    // Forgets every edit (a new file): nothing to undo or redo.
    void clearHistory();

    // --- what has changed -------------------------------------------------------------------
    // Grows with every change, undo and redo included: the window redraws when it moves.
    std::uint64_t revision() const { return revision_; }
    // Whether the conditions differ from those last saved (undoing back to them: not).
    bool modified() const { return state() != saved_; }
    void markSaved() { saved_ = state(); }
    // Whether the conditions changed since they were last autosaved.
    bool dirtySinceAutosave() const { return state() != autosaved_; }
    void markAutosaved() { autosaved_ = state(); }

  private:
    // Applies and records an edit that changes something; with `join`, the last edit may take
    // it in as more of the same typing.
    void record(std::unique_ptr<Edit> edit, bool join = false);
    // A number naming the conditions as they stand: that of the last edit done, 0 for none.
    std::uint64_t state() const { return done_ == 0 ? base_ : ids_[done_ - 1]; }
    void checkRow(std::size_t row) const;
    void checkColumn(std::size_t column) const;

    Content content_;
    std::vector<std::unique_ptr<Edit>> history_;
    std::vector<std::uint64_t> ids_;  // by history_: a fresh number whenever an edit changes
    std::size_t done_ = 0;            // edits in history_ done; the rest were undone
    bool typing_ = false;
    std::uint64_t nextId_ = 1;
    std::uint64_t base_ = 0;  // the state with nothing done
    std::uint64_t saved_ = 0;
    std::uint64_t autosaved_ = 0;
    std::uint64_t revision_ = 0;
};

}  // namespace kelnor::sheet
