#include "kelnor/sheet/evaluation.h"

#include <algorithm>
#include <cstdio>

#include "kelnor/design/wording.h"
#include "kelnor/sheet/fields.h"
#include "kelnor/text.h"
#include "wording.h"

namespace kelnor::sheet {

std::optional<std::size_t> Outcome::failedColumn() const {
    return failure ? columnIndex(failure->column()) : std::nullopt;
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
    const design::Result& g = *outcomes[*governing].result;
    std::string out = words::summary(design::conditionNameZh(g.condition), fixed(g.y, 3),
                                     g.crest ? fixed(*g.crest, 3) : std::string());
    if (settlement.settled) {
        out += "；" + design::settledZh(*settlement.settled, dam);
    }
    return out;
}

SheetEvaluation evaluate(const Rows& rows, const design::DamTexts& dam) {
    SheetEvaluation out;
    out.outcomes.resize(rows.size());
    const auto& columns = design::conditionColumns();
    // Each condition is read on its own, so a bad cell fails only its own condition; those
    // read are computed together, which chooses the governing one.
    std::vector<design::Condition> conditions;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        if (std::all_of(row.begin(), row.end(), [](const std::string& t) { return isBlank(t); })) {
            continue;
        }
        design::Cells cells{static_cast<int>(i + 1), {}};
        for (std::size_t c = 0; c < columns.size() && c < row.size(); ++c) {
            cells.cells.emplace_back(std::string(columns[c]), row[c]);
        }
        try {
            conditions.push_back(design::readCondition(cells));
        } catch (const design::ConditionError& e) {
            out.outcomes[i].failure = e;
        }
    }
    design::Evaluation ev = design::evaluate(conditions);
    // Settled over every condition typed: one that fails to read counts as a failure (and goes
    // back to its own slot below, with those of the calculation).
    for (const Outcome& o : out.outcomes) {
        if (o.failure) {
            ev.failures.push_back(*o.failure);
        }
    }
    try {
        out.dam = design::readDam(dam);
        out.settlement = design::settleCrest(ev, out.dam);
    } catch (const design::DamError& e) {
        out.damError = e;
    }
    for (design::ConditionError& e : ev.failures) {
        out.outcomes[static_cast<std::size_t>(e.row() - 1)].failure = std::move(e);
    }
    for (std::size_t k = 0; k < ev.results.size(); ++k) {
        const std::size_t i = static_cast<std::size_t>(ev.results[k].condition.row - 1);
        if (ev.governing == k) {
            out.governing = i;
        }
        out.outcomes[i].result = std::move(ev.results[k]);
    }
    out.rule = ev.rule;
    return out;
}

std::string fixed(double value, int decimals) {
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string text = buffer;
    if (text.front() == '-' &&
        text.find_first_not_of("-0.") == std::string::npos) {  // a negative zero, -0.000
        text.erase(0, 1);
    }
    return text;
}

}  // namespace kelnor::sheet
