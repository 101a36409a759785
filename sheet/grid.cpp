#include "kelnor/sheet/grid.h"

#include <array>

#include "kelnor/sheet/fields.h"
#include "kelnor/text/text.h"
#include "wording.h"

namespace kelnor::sheet {

namespace {

// One row of the results: its name with the unit, the value and its decimals as the book
// rounds them.
struct ResultRow {
    std::string_view name;
    std::optional<double> (*value)(const design::Result&);
    int decimals;
};

using R = design::Result;
using V = std::optional<double>;

const std::array<ResultRow, 13> kResultRows = {{
    {"hm（m）", [](const R& r) -> V { return r.waves.hm; }, 3},
    {"Tm（s）", [](const R& r) -> V { return r.waves.Tm; }, 3},
    {"Lm（m）", [](const R& r) -> V { return r.waves.Lm; }, 3},
    {"e（m）", [](const R& r) -> V { return r.e; }, 3},
    {"Kw", [](const R& r) -> V { return r.runUp.Kw; }, 3},
    {"Kp", [](const R& r) -> V { return r.runUp.kp.value; }, 3},
    {"Kβ", [](const R& r) -> V { return r.runUp.kbeta.value; }, 3},
    {"Rm（m）", [](const R& r) -> V { return r.runUp.Rm; }, 3},
    {"Rp（m）", [](const R& r) -> V { return r.runUp.Rp; }, 3},
    {"A（m）", [](const R& r) -> V { return r.A; }, 2},
    {"B（m）",
     [](const R& r) -> V {
         return r.condition.operation == design::Operation::Earthquake ? V(r.B) : std::nullopt;
     },
     2},
    {"y（m）", [](const R& r) -> V { return r.y; }, 3},
    {"坝顶高程（m）", [](const R& r) { return r.crest; }, 3},
}};

// One result of a dike's section, beside its row.
struct SectionColumn {
    std::string_view name;
    std::optional<double> (*value)(const design::SectionResult&);
    int decimals;
};

using S = design::SectionResult;

const std::array<SectionColumn, 12> kSectionColumns = {{
    {"hm（m）", [](const S& s) -> V { return s.result.waves.hm; }, 3},
    {"Tm（s）", [](const S& s) -> V { return s.result.waves.Tm; }, 3},
    {"Lm（m）", [](const S& s) -> V { return s.result.waves.Lm; }, 3},
    {"e（m）", [](const S& s) -> V { return s.result.e; }, 3},
    {"Rp（m）", [](const S& s) -> V { return s.result.runUp.Rp; }, 3},
    {"A（m）", [](const S& s) -> V { return s.result.A; }, 2},
    {"Y（m）", [](const S& s) -> V { return s.result.y; }, 3},
    {"要求墙顶（m）", [](const S& s) { return s.wallTop; }, 3},
    {"要求堤顶（m）", [](const S& s) -> V { return s.required; }, 3},
    {"采用堤顶（m）", [](const S& s) -> V { return s.adopted; }, 3},
    {"竣工堤顶（m）", [](const S& s) -> V { return s.asBuilt; }, 3},
    {"富裕 / 不足（m）", [](const S& s) { return s.margin ? V(s.margin->margin) : std::nullopt; },
     3},
}};
constexpr std::size_t kMarginColumn = kSectionColumns.size() - 1;

const Outcome* outcomeOf(const SheetEvaluation& evaluation, std::size_t condition) {
    return condition < evaluation.outcomes.size() ? &evaluation.outcomes[condition] : nullptr;
}

}  // namespace

ConditionCell conditionCell(const Sheet& sheet, const SheetEvaluation& evaluation,
                            std::size_t condition, std::size_t field) {
    ConditionCell out;
    const std::string& cell = sheet.cell(condition, field);
    out.isDefault = cell.empty();
    const Field& f = fields(sheet.code()).at(field);
    out.text = cell.empty() ? std::string(f.placeholderZh) : shownText(field, cell, sheet.code());
    const Outcome* outcome = outcomeOf(evaluation, condition);
    // An empty fetch the rays give shows their equivalent fetch, greyed as a default is.
    if (cell.empty() && outcome != nullptr && outcome->result && outcome->result->condition.rays &&
        f.column == "fetch") {
        out.text = fixed(outcome->result->condition.fetchKm, 3);
    }
    out.atFault = outcome != nullptr && outcome->failedColumn() == field;
    if (out.atFault) {
        out.tip = outcome->failureZh();
    }
    return out;
}

std::string conditionHeader(const SheetEvaluation& evaluation, std::size_t condition) {
    std::string out = std::to_string(condition + 1);
    if (evaluation.governing == condition) {
        out += ' ';
        out += words::kGoverns;
    }
    return out;
}

std::size_t resultRowCount(DesignCode code) {
    return code == DesignCode::Dike ? kSectionColumns.size() : kResultRows.size();
}

std::string_view resultRowName(std::size_t row, DesignCode code) {
    return code == DesignCode::Dike ? kSectionColumns.at(row).name : kResultRows.at(row).name;
}

ResultCell resultCell(const SheetEvaluation& evaluation, std::size_t condition, std::size_t row) {
    ResultCell out;
    const Outcome* outcome = outcomeOf(evaluation, condition);
    if (outcome == nullptr) {
        return out;
    }
    out.governing = evaluation.governing == condition;
    if (outcome->failure) {
        out.text = words::kDash;
        out.tone = ResultTone::Failed;
        out.tip = outcome->failureZh();
        return out;
    }
    if (!outcome->result) {
        return out;  // not yet typed
    }
    std::optional<double> value;
    int decimals = 3;
    if (outcome->section) {
        const SectionColumn& c = kSectionColumns.at(row);
        value = c.value(*outcome->section);
        decimals = c.decimals;
    } else {
        const ResultRow& r = kResultRows.at(row);
        value = r.value(*outcome->result);
        decimals = r.decimals;
    }
    out.text = value ? fixed(*value, decimals) : std::string(words::kDash);
    for (const std::string& w : outcome->warningsZh()) {
        out.tip += (out.tip.empty() ? "" : "\n") + w;
    }
    out.tone = out.tip.empty() ? ResultTone::Plain : ResultTone::Warned;
    if (outcome->section && row == kMarginColumn && outcome->section->margin &&
        !outcome->section->margin->met) {
        out.tone = ResultTone::Failed;
    }
    return out;
}

bool sectionsAsRows(const Sheet& sheet) {
    return sheet.isDike();
}

std::size_t gridRows(const Sheet& sheet) {
    return sectionsAsRows(sheet) ? sheet.size() : fields(sheet.code()).size();
}

std::size_t gridColumns(const Sheet& sheet) {
    return sectionsAsRows(sheet) ? fields(sheet.code()).size() + resultRowCount(sheet.code())
                                 : sheet.size();
}

GridCell gridCell(const Sheet& sheet, std::size_t row, std::size_t column) {
    if (!sectionsAsRows(sheet)) {
        return {column, row, std::nullopt};
    }
    const std::size_t own = fields(sheet.code()).size();
    if (column < own) {
        return {row, column, std::nullopt};
    }
    return {row, std::nullopt, column - own};
}

ShownCell shownCell(const Sheet& sheet, const SheetEvaluation& evaluation, std::size_t row,
                    std::size_t column) {
    const GridCell at = gridCell(sheet, row, column);
    if (at.result) {
        ResultCell cell = resultCell(evaluation, at.condition, *at.result);
        return {std::move(cell.text), std::move(cell.tip)};
    }
    ConditionCell cell = conditionCell(sheet, evaluation, at.condition, *at.field);
    return {std::move(cell.text), std::move(cell.tip)};
}

std::pair<std::size_t, std::size_t> screenOf(const Sheet& sheet, std::size_t condition,
                                             std::size_t field) {
    return sectionsAsRows(sheet) ? std::pair(condition, field) : std::pair(field, condition);
}

std::string gridRowHeader(const Sheet& sheet, const SheetEvaluation& evaluation, std::size_t row) {
    if (!sectionsAsRows(sheet)) {
        return row < fields(sheet.code()).size() ? std::string(fields(sheet.code())[row].nameZh)
                                                 : std::string();
    }
    if (row >= sheet.size()) {
        return {};
    }
    // The section's name as typed, or its number until it has one.
    const std::string_view name = trimBlanks(sheet.cell(row, 0));
    std::string out = name.empty() ? std::to_string(row + 1) : std::string(name);
    if (evaluation.governing == row) {
        out += ' ';
        out += words::kGoverns;
    }
    return out;
}

std::string gridColumnHeader(const Sheet& sheet, const SheetEvaluation& evaluation,
                             std::size_t column) {
    if (!sectionsAsRows(sheet)) {
        return conditionHeader(evaluation, column);
    }
    const GridCell cell = gridCell(sheet, 0, column);
    if (cell.field) {
        return *cell.field < fields(sheet.code()).size()
                   ? std::string(fields(sheet.code())[*cell.field].nameZh)
                   : std::string();
    }
    return *cell.result < resultRowCount(sheet.code())
               ? std::string(resultRowName(*cell.result, sheet.code()))
               : std::string();
}

CellEditor cellEditor(std::size_t field, DesignCode code) {
    CellEditor out;
    const Field& f = fields(code).at(field);
    if (f.isChoice()) {
        out.kind = EditorKind::List;
        out.entries.push_back({});
        for (const Choice& c : f.choices) {
            out.entries.push_back({c.nameZh, c.value});
        }
    } else if (field == roughnessColumn(code)) {
        out.kind = EditorKind::Offers;
        for (const RoughnessOffer& o : roughnessOffers()) {
            out.entries.push_back({std::string(o.surfaceZh) + ' ' + o.text, o.text});
        }
        if (code == DesignCode::Dike) {
            // The dike code's own: a masonry face steeper than 1:1 takes KΔ = 1.0.
            out.entries.push_back({"砌石护坡 m ≤ 1.0 1.00", "1.00"});
        }
    }
    return out;
}

std::optional<std::size_t> entryOf(const CellEditor& editor, std::size_t field,
                                   std::string_view cell, DesignCode code) {
    if (cell.empty()) {
        return editor.entries.empty() ? std::nullopt : std::optional<std::size_t>(0);
    }
    const std::string shown = shownText(field, cell, code);
    for (std::size_t i = 0; i < editor.entries.size(); ++i) {
        if (!editor.entries[i].value.empty() && editor.entries[i].shown == shown) {
            return i;
        }
    }
    return std::nullopt;
}

std::string offeredText(const CellEditor& editor, std::string_view boxText) {
    for (const EditorEntry& e : editor.entries) {
        if (e.shown == boxText) {
            return e.value;
        }
    }
    return std::string(boxText);
}

std::optional<std::string> committedText(std::size_t field, std::optional<std::size_t> chosen,
                                         std::string_view boxText, DesignCode code) {
    const CellEditor editor = cellEditor(field, code);
    switch (editor.kind) {
        case EditorKind::List:
            if (chosen && *chosen < editor.entries.size()) {
                return editor.entries[*chosen].value;
            }
            return std::nullopt;
        case EditorKind::Offers:
            return offeredText(editor, boxText);
        case EditorKind::Line:
            break;
    }
    return std::string(boxText);
}

}  // namespace kelnor::sheet
