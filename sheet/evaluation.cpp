#include "kelnor/sheet/evaluation.h"

#include <algorithm>
#include <cstdio>

#include "kelnor/design/wording.h"
#include "kelnor/sheet/fields.h"
#include "kelnor/text/text.h"
#include "wording.h"

namespace kelnor::sheet {

std::optional<std::size_t> Outcome::failedColumn() const {
    return failure ? columnIndex(failure->column(), code) : std::nullopt;
}

std::string Outcome::failureZh() const {
    return failure ? design::failureZh(*failure) : std::string();
}

std::vector<std::string> Outcome::warningsZh() const {
    std::vector<std::string> out;
    if (result) {
        for (const design::Warning& w : result->warnings) {
            out.push_back(design::warningZh(w));
        }
    }
    return out;
}

std::optional<std::size_t> SheetEvaluation::failedDamField() const {
    return damError ? design::damFieldIndex(damError->name()) : std::nullopt;
}

std::string SheetEvaluation::summaryZh() const {
    if (!governing) {
        return {};
    }
    if (code == DesignCode::Dike) {
        const design::SectionResult& g = *outcomes[*governing].section;
        std::string out =
            words::dikeSummary(sections->size(), g.section.water.label, fixed(g.required, 3));
        if (shortSections > 0) {
            out += words::shortSections(shortSections);
        }
        return out;
    }
    const design::Result& g = *outcomes[*governing].result;
    std::string out = words::summary(design::conditionNameZh(g.condition), fixed(g.y, 3),
                                     g.crest ? fixed(*g.crest, 3) : std::string());
    if (check) {
        out += "；" + design::checkConclusionZh(*computed, *check);
    }
    if (settlement.settled && dam.settles()) {
        out += "；" + std::string(dam.isCheck() ? "加高方案：" : "") +
               design::settledZh(*settlement.settled, dam);
    }
    return out;
}

namespace {

bool isEmptyRow(const Row& row) {
    return std::all_of(row.begin(), row.end(), [](const std::string& t) { return isBlank(t); });
}

// A dike's sections, each read and computed on its own as the command line reads a file's
// rows, so a bad cell fails only its own section; then smoothed where the block asks.
SheetEvaluation evaluateDike(const Rows& rows, const design::DamTexts& dam,
                             const SheetEvaluation* before) {
    SheetEvaluation out;
    out.code = DesignCode::Dike;
    out.outcomes.resize(rows.size());
    for (Outcome& o : out.outcomes) {
        o.code = DesignCode::Dike;
    }
    try {
        out.dikeBlock = design::readDikeBlock(dam);
    } catch (const design::DamError& e) {
        out.damError = e;
    }
    const auto& columns = design::sectionColumns();
    const double step = out.dikeBlock.step;
    using Memo = SheetEvaluation::Memo;
    const std::vector<std::shared_ptr<const Memo>>* kept =
        before != nullptr && before->code == DesignCode::Dike ? &before->memo : nullptr;
    out.memo.resize(rows.size());
    auto computed = std::make_shared<design::Evaluation>();
    auto sections = std::make_shared<std::vector<design::SectionResult>>();
    std::vector<std::size_t> rowOf;  // by section: its row of the sheet
    std::optional<double> previous;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        if (isEmptyRow(row)) {
            continue;
        }
        std::shared_ptr<const Memo>& held = out.memo[i];
        if (kept != nullptr && i < kept->size() && (*kept)[i] && (*kept)[i]->step == step &&
            (*kept)[i]->cells == row) {
            held = (*kept)[i];
        } else {
            auto fresh = std::make_shared<Memo>();
            fresh->cells = row;
            fresh->step = step;
            design::Cells cells{static_cast<int>(i + 1), {}};
            for (std::size_t c = 0; c < columns.size() && c < row.size(); ++c) {
                cells.cells.emplace_back(std::string(columns[c]), row[c]);
            }
            try {
                fresh->section = design::computeSection(design::readSection(cells), step);
            } catch (const design::ConditionError& e) {
                fresh->failure = e;
            }
            held = std::move(fresh);
        }
        const Memo& m = *held;
        if (m.failure) {
            computed->failures.push_back(*m.failure);
            continue;
        }
        design::SectionResult s = *m.section;
        previous = design::checkChainage(s, previous);
        sections->push_back(std::move(s));
        rowOf.push_back(i);
    }
    if (out.dikeBlock.smooth) {
        design::smoothReach(*sections);
    }
    for (const design::ConditionError& e : computed->failures) {
        out.outcomes[static_cast<std::size_t>(e.row() - 1)].failure =
            Held<design::ConditionError>(&e);
    }
    for (std::size_t k = 0; k < sections->size(); ++k) {
        const design::SectionResult& s = (*sections)[k];
        Outcome& o = out.outcomes[rowOf[k]];
        o.section = Held<design::SectionResult>(&s);
        o.result = Held<design::Result>(&s.result);
        if (!out.governing || s.required > (*out.outcomes[*out.governing].section).required) {
            out.governing = rowOf[k];
        }
        out.shortSections += s.margin && !s.margin->met ? 1 : 0;
    }
    out.computed = std::move(computed);
    out.sections = std::move(sections);
    return out;
}

}  // namespace

SheetEvaluation evaluate(const Sheet& sheet, const SheetEvaluation* before) {
    if (sheet.isDike()) {
        return evaluateDike(sheet.rows(), sheet.dam(), before);
    }
    return evaluate(sheet.rows(), sheet.dam(), sheet.code());
}

SheetEvaluation evaluate(const Rows& rows, const design::DamTexts& dam, DesignCode code) {
    if (code == DesignCode::Dike) {
        return evaluateDike(rows, dam, nullptr);
    }
    SheetEvaluation out;
    out.outcomes.resize(rows.size());
    const auto& columns = design::conditionColumns();
    // The conditions typed, read and computed as the command line reads a file's rows: each on
    // its own, so a bad cell fails only its own condition, and those computed together, which
    // chooses the governing one. A condition not yet typed is none.
    std::vector<design::Cells> typed;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        if (isEmptyRow(row)) {
            continue;
        }
        design::Cells& cells = typed.emplace_back(design::Cells{static_cast<int>(i + 1), {}});
        for (std::size_t c = 0; c < columns.size() && c < row.size(); ++c) {
            cells.cells.emplace_back(std::string(columns[c]), row[c]);
        }
    }
    auto computed = std::make_shared<const design::Evaluation>(design::evaluateRows(typed));
    const design::Evaluation& ev = *computed;
    // Each condition's slot refers to its result or its failure, by the row it came from.
    const auto slot = [&out](int row) -> Outcome& {
        return out.outcomes[static_cast<std::size_t>(row - 1)];
    };
    for (const design::ConditionError& e : ev.failures) {
        slot(e.row()).failure = Held<design::ConditionError>(&e);
    }
    for (std::size_t k = 0; k < ev.results.size(); ++k) {
        slot(ev.results[k].condition.row).result = Held<design::Result>(&ev.results[k]);
        if (ev.governing == k) {
            out.governing = static_cast<std::size_t>(ev.results[k].condition.row - 1);
        }
    }
    out.rule = ev.rule;
    try {
        out.dam = design::readDam(dam);
        out.settlement = design::settleCrest(ev, out.dam);
        if (out.dam.isCheck()) {
            out.check = design::checkDam(ev, out.dam).check;
        }
    } catch (const design::DamError& e) {
        out.damError = e;
    }
    out.computed = std::move(computed);
    return out;
}

}  // namespace kelnor::sheet
