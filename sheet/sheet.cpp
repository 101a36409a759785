#include "kelnor/sheet/sheet.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <utility>

#include "kelnor/sheet/fields.h"

namespace kelnor::sheet {

namespace {

using Diff = std::ptrdiff_t;

// Cells written, each with the text it held before; `added` empty conditions appended first,
// to make room, and removed again on undo.
class CellsEdit : public Edit {
  public:
    struct Change {
        std::size_t row;
        std::size_t column;
        std::string before;
        std::string after;
    };

    CellsEdit(std::vector<Change> changes, std::size_t added, bool typing)
        : changes_(std::move(changes)), added_(added), typing_(typing) {}

    void redo(Rows& rows) const override {
        rows.resize(rows.size() + added_, emptyRow());
        for (const Change& c : changes_) {
            rows[c.row][c.column] = c.after;
        }
    }
    void undo(Rows& rows) const override {
        for (auto c = changes_.rbegin(); c != changes_.rend(); ++c) {
            rows[c->row][c->column] = c->before;
        }
        rows.resize(rows.size() - added_);
    }
    Place place() const override { return {changes_.front().row, changes_.front().column}; }
    bool absorb(const Edit& next) override {
        const auto* other = dynamic_cast<const CellsEdit*>(&next);
        if (!typing_ || other == nullptr || !other->typing_ || added_ != 0 || other->added_ != 0 ||
            changes_.size() != 1 || other->changes_.size() != 1 ||
            changes_[0].row != other->changes_[0].row ||
            changes_[0].column != other->changes_[0].column) {
            return false;
        }
        changes_[0].after = other->changes_[0].after;
        return true;
    }
    // Whether it writes nothing new.
    bool empty() const {
        return added_ == 0 && std::all_of(changes_.begin(), changes_.end(),
                                          [](const Change& c) { return c.before == c.after; });
    }

  private:
    std::vector<Change> changes_;
    std::size_t added_;
    bool typing_;
};

// Conditions put in before `at`.
class InsertEdit : public Edit {
  public:
    InsertEdit(std::size_t at, Rows rows) : at_(at), rows_(std::move(rows)) {}
    void redo(Rows& rows) const override {
        rows.insert(rows.begin() + static_cast<Diff>(at_), rows_.begin(), rows_.end());
    }
    void undo(Rows& rows) const override {
        const auto first = rows.begin() + static_cast<Diff>(at_);
        rows.erase(first, first + static_cast<Diff>(rows_.size()));
    }
    Place place() const override { return {at_, std::nullopt}; }

  private:
    std::size_t at_;
    Rows rows_;
};

// Conditions taken out from `first`, kept to be put back.
class RemoveEdit : public Edit {
  public:
    RemoveEdit(std::size_t first, Rows removed) : insert_(first, std::move(removed)) {}
    void redo(Rows& rows) const override { insert_.undo(rows); }
    void undo(Rows& rows) const override { insert_.redo(rows); }
    Place place() const override { return insert_.place(); }

  private:
    InsertEdit insert_;
};

class MoveEdit : public Edit {
  public:
    MoveEdit(std::size_t from, std::size_t to) : from_(from), to_(to) {}
    void redo(Rows& rows) const override { move(rows, from_, to_); }
    void undo(Rows& rows) const override { move(rows, to_, from_); }
    Place place() const override { return {to_, std::nullopt}; }

  private:
    static void move(Rows& rows, std::size_t from, std::size_t to) {
        const auto f = rows.begin() + static_cast<Diff>(from);
        const auto t = rows.begin() + static_cast<Diff>(to);
        if (from < to) {
            std::rotate(f, f + 1, t + 1);
        } else {
            std::rotate(t, f, f + 1);
        }
    }
    std::size_t from_;
    std::size_t to_;
};

// Every condition replaced at once.
class ReplaceEdit : public Edit {
  public:
    ReplaceEdit(Rows before, Rows after) : before_(std::move(before)), after_(std::move(after)) {}
    void redo(Rows& rows) const override { rows = after_; }
    void undo(Rows& rows) const override { rows = before_; }
    Place place() const override { return {0, std::nullopt}; }

  private:
    Rows before_;
    Rows after_;
};

Row fitted(Row row) {
    row.resize(columnCount());
    return row;
}

}  // namespace

Row emptyRow() {
    return Row(columnCount());
}

Sheet::Sheet(Rows rows) : rows_(std::move(rows)) {
    for (Row& row : rows_) {
        row = fitted(std::move(row));
    }
}

const std::string& Sheet::cell(std::size_t row, std::size_t column) const {
    checkRow(row);
    checkColumn(column);
    return rows_[row][column];
}

void Sheet::checkRow(std::size_t row) const {
    if (row >= rows_.size()) {
        throw std::out_of_range("no such condition in the sheet");
    }
}

void Sheet::checkColumn(std::size_t column) const {
    if (column >= columnCount()) {
        throw std::out_of_range("no such column in the sheet");
    }
}

void Sheet::record(std::unique_ptr<Edit> edit, bool join) {
    edit->redo(rows_);
    ++revision_;
    history_.resize(done_);
    ids_.resize(done_);
    // A piece of typing goes on in the edit that began it, under a new number: the sheet now
    // differs from what it was when that number was last saved.
    if (join && done_ > 0 && history_[done_ - 1]->absorb(*edit)) {
        ids_[done_ - 1] = nextId_++;
        return;
    }
    history_.push_back(std::move(edit));
    ids_.push_back(nextId_++);
    ++done_;
}

void Sheet::setCell(std::size_t row, std::size_t column, std::string text) {
    checkRow(row);
    checkColumn(column);
    if (rows_[row][column] == text) {
        return;
    }
    const bool joins = typing_;
    typing_ = true;
    record(std::make_unique<CellsEdit>(
               std::vector<CellsEdit::Change>{{row, column, rows_[row][column], std::move(text)}},
               0, true),
           joins);
}

void Sheet::insertConditions(std::size_t at, std::size_t count) {
    insertConditions(at, Rows(count, emptyRow()));
}

void Sheet::insertConditions(std::size_t at, Rows rows) {
    if (at > rows_.size()) {
        throw std::out_of_range("no such place in the sheet");
    }
    if (rows.empty()) {
        return;
    }
    for (Row& row : rows) {
        row = fitted(std::move(row));
    }
    typing_ = false;
    record(std::make_unique<InsertEdit>(at, std::move(rows)));
}

void Sheet::removeConditions(std::size_t first, std::size_t count) {
    if (first > rows_.size() || count > rows_.size() - first) {
        throw std::out_of_range("no such conditions in the sheet");
    }
    if (count == 0) {
        return;
    }
    const auto from = rows_.begin() + static_cast<Diff>(first);
    typing_ = false;
    record(std::make_unique<RemoveEdit>(first, Rows(from, from + static_cast<Diff>(count))));
}

void Sheet::duplicateCondition(std::size_t row) {
    checkRow(row);
    insertConditions(row + 1, Rows{rows_[row]});
}

void Sheet::moveCondition(std::size_t from, std::size_t to) {
    checkRow(from);
    checkRow(to);
    if (from == to) {
        return;
    }
    typing_ = false;
    record(std::make_unique<MoveEdit>(from, to));
}

void Sheet::setBlock(std::size_t row, std::size_t column, const Block& block) {
    checkColumn(column);
    if (row > rows_.size()) {
        throw std::out_of_range("no such condition in the sheet");
    }
    const std::size_t end = row + block.size();
    const std::size_t added = end > rows_.size() ? end - rows_.size() : 0;
    std::vector<CellsEdit::Change> changes;
    for (std::size_t i = 0; i < block.size(); ++i) {
        const std::size_t r = row + i;
        for (std::size_t j = 0; j < block[i].size() && column + j < columnCount(); ++j) {
            const std::string before = r < rows_.size() ? rows_[r][column + j] : std::string();
            changes.push_back({r, column + j, before, block[i][j]});
        }
    }
    if (changes.empty()) {
        return;
    }
    auto edit = std::make_unique<CellsEdit>(std::move(changes), added, false);
    if (edit->empty()) {
        return;
    }
    typing_ = false;
    record(std::move(edit));
}

void Sheet::replaceAll(Rows rows) {
    for (Row& row : rows) {
        row = fitted(std::move(row));
    }
    if (rows == rows_) {
        return;
    }
    typing_ = false;
    record(std::make_unique<ReplaceEdit>(rows_, std::move(rows)));
}

std::optional<Place> Sheet::undo() {
    if (!canUndo()) {
        return std::nullopt;
    }
    typing_ = false;
    --done_;
    history_[done_]->undo(rows_);
    ++revision_;
    return history_[done_]->place();
}

std::optional<Place> Sheet::redo() {
    if (!canRedo()) {
        return std::nullopt;
    }
    typing_ = false;
    history_[done_]->redo(rows_);
    ++done_;
    ++revision_;
    return history_[done_ - 1]->place();
}

void Sheet::clearHistory() {
    base_ = state();
    history_.clear();
    ids_.clear();
    done_ = 0;
    typing_ = false;
}

}  // namespace kelnor::sheet
