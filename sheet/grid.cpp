#include "kelnor/sheet/grid.h"

#include <array>

#include "kelnor/sheet/fields.h"
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

const Outcome* outcomeOf(const SheetEvaluation& evaluation, std::size_t condition) {
    return condition < evaluation.outcomes.size() ? &evaluation.outcomes[condition] : nullptr;
}

}  // namespace

ConditionCell conditionCell(const Sheet& sheet, const SheetEvaluation& evaluation,
                            std::size_t condition, std::size_t field) {
    ConditionCell out;
    const std::string& cell = sheet.cell(condition, field);
    out.isDefault = cell.empty();
    out.text =
        cell.empty() ? std::string(fields().at(field).placeholderZh) : shownText(field, cell);
    const Outcome* outcome = outcomeOf(evaluation, condition);
    // An empty fetch the rays give shows their equivalent fetch, greyed as a default is.
    if (cell.empty() && outcome != nullptr && outcome->result && outcome->result->condition.rays &&
        fields().at(field).column == "fetch") {
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

std::size_t resultRowCount() {
    return kResultRows.size();
}

std::string_view resultRowName(std::size_t row) {
    return kResultRows.at(row).name;
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
    const ResultRow& r = kResultRows.at(row);
    const std::optional<double> value = r.value(*outcome->result);
    out.text = value ? fixed(*value, r.decimals) : std::string(words::kDash);
    for (const std::string& w : outcome->warningsZh()) {
        out.tip += (out.tip.empty() ? "" : "\n") + w;
    }
    out.tone = out.tip.empty() ? ResultTone::Plain : ResultTone::Warned;
    return out;
}

CellEditor cellEditor(std::size_t field) {
    CellEditor out;
    const Field& f = fields().at(field);
    if (f.isChoice()) {
        out.kind = EditorKind::List;
        out.entries.push_back({});
        for (const Choice& c : f.choices) {
            out.entries.push_back({c.nameZh, c.value});
        }
    } else if (field == roughnessColumn()) {
        out.kind = EditorKind::Offers;
        for (const RoughnessOffer& o : roughnessOffers()) {
            out.entries.push_back({std::string(o.surfaceZh) + ' ' + o.text, o.text});
        }
    }
    return out;
}

std::optional<std::size_t> entryOf(const CellEditor& editor, std::size_t field,
                                   std::string_view cell) {
    if (cell.empty()) {
        return editor.entries.empty() ? std::nullopt : std::optional<std::size_t>(0);
    }
    const std::string shown = shownText(field, cell);
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
                                         std::string_view boxText) {
    const CellEditor editor = cellEditor(field);
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
