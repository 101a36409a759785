#pragma once

// The calculation book (计算书): one self-contained HTML page in Chinese, UTF-8, inline CSS,
// no script and no external resource, laid out for A4 paper.

#include <optional>
#include <string>

#include "kelnor/design/crest.h"
#include "kelnor/design/method.h"

namespace kelnor::design {

struct BookOptions {
    std::string project;  // 工程名称: in the title, the title block and each page's head
    // The freeboard sketch of the governing condition (kelnor/design/drawing.h) as inline SVG
    // under the summary; off for the command line's book.
    bool picture = false;
    // The rest of the title block at the head of the book, as a design institute files it.
    // Each is printed as given; an empty one leaves a blank line to fill in or sign on. Each
    // has its default written out, so a brace list may stop after the project or the picture.
    std::string stage{};       // 设计阶段: 初步设计, 施工图设计, ...
    std::string by{};          // 计算: who computed
    std::string checkedBy{};   // 校核
    std::string reviewedBy{};  // 审查
    // 日期, as given. The book never reads the clock, so the same input gives the same book:
    // the caller passes today's date where the user gave none.
    std::string date{};
    // The dam's values for the closing section, 坝顶高程的确定: the wave wall, the reserve, the
    // rounding step and any adopted value typed; where they could not be read, the failure,
    // which the section states in place of the settled crest.
    Dam dam{};
    std::optional<DamError> damError{};
};

// The book's title block taken from whatever holds one (the dam's values of a conditions file,
// the window's book information), dated `today` where it gives no date.
template <typename TitleBlock>
BookOptions titledBook(const TitleBlock& title, const std::string& today) {
    BookOptions options;
    options.project = title.project;
    options.stage = title.stage;
    options.by = title.by;
    options.checkedBy = title.checkedBy;
    options.reviewedBy = title.reviewedBy;
    options.date = title.date.empty() ? today : title.date;
    return options;
}

// The whole book for an evaluation: the title block, inputs per condition, every step of every
// condition with its formula, the values put in, the result and the table rows used, the warnings,
// the conditions that could not be computed and why, a summary with the governing condition marked,
// and a note on the sources of the tables. Printed, every page carries the book's title at its head
// and "第 N 页 共 M 页" at its foot. All user text is escaped.
std::string calculationBook(const Evaluation& evaluation, const BookOptions& options = {});

// Whether `text` is a date written YYYY-MM-DD that the calendar has: the date a book carries.
bool isBookDate(std::string_view text);

// Today in the local time zone, YYYY-MM-DD: the date of a book given none. The book itself
// never reads the clock; its callers do, through this.
std::string today();

// The text with &, <, >, " and ' replaced by their character references.
std::string escapeHtml(std::string_view text);

}  // namespace kelnor::design
