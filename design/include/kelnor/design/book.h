#pragma once

// The calculation book (计算书): one self-contained HTML page in Chinese, UTF-8, inline CSS,
// no script and no external resource, laid out for A4 paper.

#include <string>

#include "kelnor/design/method.h"

namespace kelnor::design {

struct BookOptions {
    std::string project;  // the project's name for the title; may be empty
    // The freeboard sketch of the governing condition (kelnor/design/drawing.h) as inline SVG
    // under the summary; off for the command line's book.
    bool picture = false;
};

// The whole book for an evaluation: inputs per condition, every step of every condition with
// its formula, the values put in, the result and the table rows used, the warnings, the
// conditions that could not be computed and why, a summary with the governing condition
// marked, and a note on the sources of the tables. All user text is escaped.
std::string calculationBook(const Evaluation& evaluation, const BookOptions& options = {});

// The text with &, <, >, " and ' replaced by their character references.
std::string escapeHtml(std::string_view text);

}  // namespace kelnor::design
