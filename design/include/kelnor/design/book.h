#pragma once

// The calculation book (计算书): one self-contained HTML page in Chinese, UTF-8, inline CSS,
// no script and no external resource, laid out for A4 paper.

#include <optional>
#include <string>

#include "kelnor/design/crest.h"
#include "kelnor/design/document.h"
#include "kelnor/design/method.h"

namespace kelnor::design {

struct BookOptions {
    // The title block at the head of the book, as a design institute files it: the project in
    // the title and each page's head. Each is printed as given; an empty one leaves a blank
    // line to fill in or sign on. The date as given: the book never reads the clock, so the
    // same input gives the same book.
    TitleBlock title{};
    // The freeboard sketch of the governing condition (kelnor/design/drawing.h) under the
    // summary; off for the command line's book.
    bool picture = false;
    // The dam's values for the closing section, 坝顶高程的确定: the wave wall, the reserve, the
    // rounding step and any adopted value typed; where they could not be read, the failure,
    // which the section states in place of the settled crest.
    Dam dam{};
    std::optional<DamError> damError{};
};

// The book's options from the dam's texts, as every front end assembles them: a conditions
// file's block with the command line's options over it, or the window's panel. The title block
// as typed, its date as read (Excel's YYYY/M/D written YYYY-MM-DD) and `today` where none is
// given; the dam's values read, or the failure that stops them.
BookOptions bookOptions(const DamTexts& texts, const std::string& today, bool picture);

// The whole book for an evaluation: the title block, inputs per condition, every step of every
// condition with its formula, the values put in, the result and the table rows used, the warnings,
// the conditions that could not be computed and why, a summary with the governing condition marked,
// and a note on the sources of the tables. Printed, every page carries the book's title at its head
// and "第 N 页 共 M 页" at its foot. All user text is escaped.
std::string calculationBook(const Evaluation& evaluation, const BookOptions& options = {});

// The same book as a document free of any format, which calculationBook renders to HTML and
// kelnor/design/wordml.h to Word.
doc::Document bookDocument(const Evaluation& evaluation, const BookOptions& options = {});

// A book as the one self-contained HTML page calculationBook writes.
std::string bookHtml(const doc::Document& document);

// Whether `text` is a date written YYYY-MM-DD that the calendar has: the date a book carries.
bool isBookDate(std::string_view text);

// Today in the local time zone, YYYY-MM-DD: the date of a book given none. The book itself
// never reads the clock; its callers do, through this.
std::string today();

// The text with &, <, >, " and ' replaced by their character references.
std::string escapeHtml(std::string_view text);

}  // namespace kelnor::design
