#pragma once

// The rows of the design-conditions grid: one field per column a condition reads, in the order
// and with the Chinese names and units of the calculation book, the choices of the columns that
// take one, the greyed default shown while a cell is empty, and the KΔ of the usual slope
// surfaces.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kelnor/design/condition.h"

namespace kelnor::sheet {

using design::DesignCode;

// One choice of a column: the Chinese name the grid shows and the value the CSV holds.
struct Choice {
    std::string nameZh;  // "莆田试验站公式"
    std::string value;   // "putian"
};

struct Field {
    std::string_view column;         // the CSV column: "depth"
    std::string_view nameZh;         // "坝前水深 H（m）"
    std::vector<Choice> choices;     // formula, grade, operation, region; empty for typed ones
    std::string_view placeholderZh;  // shown greyed while the cell is empty: "按 H"; may be empty
    bool required = false;           // the condition cannot compute while the cell is empty

    bool isChoice() const { return !choices.empty(); }
};

// The fields of a dam's condition, case first, in the order of design::conditionColumns(); of
// a dike's section, the section's name first, in the order of design::sectionColumns(), named
// as the dike code names them (堤前水深, 临水坡, 堤防级别).
const std::vector<Field>& fields(DesignCode code = DesignCode::Dam);

// How many columns a condition (a section) has.
std::size_t columnCount(DesignCode code = DesignCode::Dam);

// The index of a CSV column among the fields; nothing for a column the method does not read.
std::optional<std::size_t> columnIndex(std::string_view column, DesignCode code = DesignCode::Dam);

// What the grid shows for a cell's text: the choice's Chinese name where the text is one of the
// column's values (letters in any case, blanks around it), else the text as it is.
std::string shownText(std::size_t column, std::string_view text, DesignCode code = DesignCode::Dam);

// One KΔ a slope surface offers: where the table gives a range, each end is an offer of its own.
struct RoughnessOffer {
    std::string_view surfaceZh;  // "草皮护面"
    double value;                // 0.85
    std::string text;            // what choosing it writes into the cell: "0.85"
};

// The offers in the table's order.
const std::vector<RoughnessOffer>& roughnessOffers();

// The column of KΔ, the one the offers fill.
std::size_t roughnessColumn(DesignCode code = DesignCode::Dam);

}  // namespace kelnor::sheet
