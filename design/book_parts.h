#pragma once

// The pieces of the calculation book its sections share: the cells of its tables, and the
// closing section of a check of a dam that stands.

#include <initializer_list>
#include <string>
#include <string_view>

#include "kelnor/design/book.h"
#include "kelnor/design/check.h"
#include "kelnor/design/document.h"

namespace kelnor::design::book_parts {

inline doc::Cell num(std::string text) {
    return {std::move(text), doc::CellLook::Number};
}

inline doc::Cell name(std::string text) {
    return {std::move(text), doc::CellLook::Name};
}

inline doc::Cell header(std::string_view text) {
    return {text, doc::CellLook::Header};
}

inline doc::Row headerRow(std::initializer_list<std::string_view> titles) {
    doc::Row row;
    for (const std::string_view t : titles) {
        row.cells.push_back(header(t));
    }
    return row;
}

// The title block a design institute files a book with: the project, the design stage, the
// date, and who computed, checked and reviewed it; a name not given an empty cell to sign in.
doc::Table titleBlock(const TitleBlock& title);

// A condition's steps: the formula, the values put in, the result and the table rows read.
doc::Table stepsTable(const Result& r);

// The table of the conditions' levels + y, the governing one marked.
doc::Table levelsTable(const Evaluation& ev, std::size_t highest);

// The check of what stands (坝顶高程复核), under its heading in `g`: the existing levels, each
// condition's level + y against them with its margin, the crest's rules under a wall, the
// conclusion with the raise needed, and the typed adopted values as the proposed raise.
void checkSection(doc::Group& g, const Evaluation& ev, const BookOptions& o,
                  const Settlement& settlement, const DamCheck& check);

}  // namespace kelnor::design::book_parts
