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

    void redo(Content& content) const override {
        Rows& rows = content.rows;
        rows.resize(rows.size() + added_, emptyRow(content.code));
        for (const Change& c : changes_) {
            rows[c.row][c.column] = c.after;
        }
    }
    void undo(Content& content) const override {
        Rows& rows = content.rows;
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
    void redo(Content& content) const override {
        Rows& rows = content.rows;
        rows.insert(rows.begin() + static_cast<Diff>(at_), rows_.begin(), rows_.end());
    }
    void undo(Content& content) const override {
        Rows& rows = content.rows;
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
    void redo(Content& content) const override { insert_.undo(content); }
    void undo(Content& content) const override { insert_.redo(content); }
    Place place() const override { return insert_.place(); }

  private:
    InsertEdit insert_;
};

class MoveEdit : public Edit {
  public:
    MoveEdit(std::size_t from, std::size_t to) : from_(from), to_(to) {}
    void redo(Content& content) const override { move(content.rows, from_, to_); }
    void undo(Content& content) const override { move(content.rows, to_, from_); }
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

// Every condition replaced at once, and the dam's values with them.
class ReplaceEdit : public Edit {
  public:
    ReplaceEdit(Content before, Content after)
        : before_(std::move(before)), after_(std::move(after)) {}
    void redo(Content& content) const override { content = after_; }
    void undo(Content& content) const override { content = before_; }
    Place place() const override { return {0, std::nullopt}; }

  private:
    Content before_;
    Content after_;
};

// Values of the dam written, each with the text it held before.
class DamEdit : public Edit {
  public:
    struct Change {
        std::size_t field;
        std::string before;
        std::string after;
    };
    DamEdit(std::vector<Change> changes, bool typing)
        : changes_(std::move(changes)), typing_(typing) {}
    void redo(Content& content) const override {
        for (const Change& c : changes_) {
            content.dam[c.field] = c.after;
        }
    }
    void undo(Content& content) const override {
        for (auto c = changes_.rbegin(); c != changes_.rend(); ++c) {
            content.dam[c->field] = c->before;
        }
    }
    Place place() const override { return {0, std::nullopt, changes_.front().field}; }
    bool absorb(const Edit& next) override {
        const auto* other = dynamic_cast<const DamEdit*>(&next);
        if (!typing_ || other == nullptr || !other->typing_ || changes_.size() != 1 ||
            other->changes_.size() != 1 || changes_[0].field != other->changes_[0].field) {
            return false;
        }
        changes_[0].after = other->changes_[0].after;
        return true;
    }

  private:
    std::vector<Change> changes_;
    bool typing_;
};

// The content with every row widened or cut to its code's columns, every value of the dam
// there.
Content fitted(Content content) {
    for (Row& row : content.rows) {
        row.resize(columnCount(content.code));
    }
    content.dam.resize(design::damFields().size());
    return content;
}

}  // namespace

Row emptyRow(DesignCode code) {
    return Row(columnCount(code));
}

Sheet::Sheet(Rows rows, design::DamTexts dam, DesignCode code)
    : content_(fitted(Content{std::move(rows), std::move(dam), code})) {}

const std::string& Sheet::cell(std::size_t row, std::size_t column) const {
    checkRow(row);
    checkColumn(column);
    return content_.rows[row][column];
}

void Sheet::checkRow(std::size_t row) const {
    if (row >= content_.rows.size()) {
        throw std::out_of_range("no such condition in the sheet");
    }
}

void Sheet::checkColumn(std::size_t column) const {
    if (column >= columnCount(content_.code)) {
        throw std::out_of_range("no such column in the sheet");
    }
}

void Sheet::record(std::unique_ptr<Edit> edit, bool join) {
    edit->redo(content_);
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
    if (content_.rows[row][column] == text) {
        return;
    }
    const bool joins = typing_;
    typing_ = true;
    record(std::make_unique<CellsEdit>(
               std::vector<CellsEdit::Change>{
                   {row, column, content_.rows[row][column], std::move(text)}},
               0, true),
           joins);
}

void Sheet::insertConditions(std::size_t at, std::size_t count) {
    insertConditions(at, Rows(count, emptyRow(content_.code)));
}

void Sheet::insertConditions(std::size_t at, Rows rows) {
    if (at > content_.rows.size()) {
        throw std::out_of_range("no such place in the sheet");
    }
    if (rows.empty()) {
        return;
    }
    for (Row& row : rows) {
        row.resize(columnCount(content_.code));
    }
    typing_ = false;
    record(std::make_unique<InsertEdit>(at, std::move(rows)));
}

void Sheet::removeConditions(std::size_t first, std::size_t count) {
    if (first > content_.rows.size() || count > content_.rows.size() - first) {
        throw std::out_of_range("no such conditions in the sheet");
    }
    if (count == 0) {
        return;
    }
    const auto from = content_.rows.begin() + static_cast<Diff>(first);
    typing_ = false;
    record(std::make_unique<RemoveEdit>(first, Rows(from, from + static_cast<Diff>(count))));
}

void Sheet::duplicateCondition(std::size_t row) {
    checkRow(row);
    insertConditions(row + 1, Rows{content_.rows[row]});
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
    if (row > content_.rows.size()) {
        throw std::out_of_range("no such condition in the sheet");
    }
    const std::size_t end = row + block.size();
    const std::size_t added = end > content_.rows.size() ? end - content_.rows.size() : 0;
    std::vector<CellsEdit::Change> changes;
    for (std::size_t i = 0; i < block.size(); ++i) {
        const std::size_t r = row + i;
        for (std::size_t j = 0; j < block[i].size() && column + j < columnCount(content_.code);
             ++j) {
            const std::string before =
                r < content_.rows.size() ? content_.rows[r][column + j] : std::string();
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

void Sheet::setCells(std::size_t row,
                     const std::vector<std::pair<std::size_t, std::string>>& texts) {
    checkRow(row);
    std::vector<CellsEdit::Change> changes;
    for (const auto& [column, text] : texts) {
        checkColumn(column);
        changes.push_back({row, column, content_.rows[row][column], text});
    }
    if (changes.empty()) {
        return;
    }
    auto edit = std::make_unique<CellsEdit>(std::move(changes), 0, false);
    if (edit->empty()) {
        return;
    }
    typing_ = false;
    record(std::move(edit));
}

void Sheet::replaceAll(Rows rows) {
    replaceAll(std::move(rows), content_.dam);
}

void Sheet::replaceAll(Rows rows, design::DamTexts dam) {
    replaceAll(Content{std::move(rows), std::move(dam), content_.code});
}

void Sheet::replaceAll(Content content) {
    content = fitted(std::move(content));
    if (content == content_) {
        return;
    }
    typing_ = false;
    record(std::make_unique<ReplaceEdit>(content_, std::move(content)));
}

void Sheet::setDamText(std::size_t field, std::string text) {
    if (field >= content_.dam.size()) {
        throw std::out_of_range("no such value of the dam");
    }
    if (content_.dam[field] == text) {
        return;
    }
    const bool joins = typing_;
    typing_ = true;
    record(std::make_unique<DamEdit>(
               std::vector<DamEdit::Change>{{field, content_.dam[field], std::move(text)}}, true),
           joins);
}

void Sheet::setDamTexts(const std::vector<std::pair<std::size_t, std::string>>& texts) {
    std::vector<DamEdit::Change> changes;
    for (const auto& [field, text] : texts) {
        if (field >= content_.dam.size()) {
            throw std::out_of_range("no such value of the dam");
        }
        if (content_.dam[field] != text) {
            changes.push_back({field, content_.dam[field], text});
        }
    }
    if (changes.empty()) {
        return;
    }
    typing_ = false;
    record(std::make_unique<DamEdit>(std::move(changes), false));
}

std::optional<Place> Sheet::undo() {
    if (!canUndo()) {
        return std::nullopt;
    }
    typing_ = false;
    --done_;
    history_[done_]->undo(content_);
    ++revision_;
    return history_[done_]->place();
}

std::optional<Place> Sheet::redo() {
    if (!canRedo()) {
        return std::nullopt;
    }
    typing_ = false;
    history_[done_]->redo(content_);
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
