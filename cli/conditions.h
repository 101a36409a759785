#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "kelnor/design/document.h"
#include "options.h"
#include "tables.h"

namespace kelnor::cli {

// Computes the design conditions of a CSV table by the design code's method (SL 274 Appendix A)
// and prints one CSV row per computed condition:
//   case,formula,hm,Tm,Lm,e,Kw,Kp,Kbeta,Rm,Rp,A,B,y,crest,governs,warnings
// numbers as the shortest text that reads back to the same double, crest empty without a
// level, governs 1 for the governing condition and 0 for the others, warnings joined by "; ".
// The header names columns among those of a condition (case, level, depth, mean_depth, wind,
// fetch, angle, slope, roughness, kw, formula, grade, operation, region, frequency, allowance,
// extra) in any order. A condition that fails is left out of the output and named in one line
// on `io.errors`; the others still compute. With `book`, the calculation book of all
// conditions with the title block `title` replaces that file whole: HTML, or a PDF printed by
// a browser where the name ends in ".pdf" (any case). The title's date is printed as it is,
// none when it has none: the caller puts today's in.
//
// The table may be headed by `name,value` rows of the dam's values and the title block
// (kelnor/design/crest.h); from them and the computed conditions the crest is settled, and
// written to `settled` as CSV rows item,value,required,met,rule where asked.
//
// Returns the exit status: 0 when every condition computed, 1 when any failed, a value of the
// dam cannot be used, an adopted value typed is below its requirement or the book or the
// settled crest could not be written or printed, 2 when the input cannot be read or its header
// is wrong.
using ConditionsIo = TableIo;

// What the command line asks of a conditions file beside computing it.
struct ConditionsRequest {
    std::optional<std::string> book;  // the calculation book to write
    // The institute's Word template the Word book follows (--template).
    std::optional<std::string> bookTemplate;
    // The title block's options: each one given overrides the file's row of that name.
    TitleBlock title;
    // The dam's values given as options, by their names in the file: they override its rows.
    std::vector<std::pair<std::string, std::string>> dam;
    std::optional<std::string> settled;  // the settled crest's CSV to write
    std::string today;                   // the book's date where neither gives one
    // The design code over the file's `code` row (--code): a dam's conditions by SL 274, or a
    // dike's sections by GB 50286.
    std::optional<design::DesignCode> code;
    // A dike's long section to write as SVG.
    std::optional<std::string> longSection;
};

int runConditions(ConditionsIo& io, const ConditionsRequest& request = {});

// Writes `document` as the book `request.book` names: a Word document (in the template where
// one is given), a PDF printed by a browser, or an HTML page, replaced whole. Returns 0, or 1
// when it could not be written, told on `io.errors`.
int writeBook(ConditionsIo& io, const ConditionsRequest& request,
              const design::doc::Document& document, const TitleBlock& title);

// Whether the book named `path` is to be a PDF: its name ends in ".pdf", in any case.
bool isPdfName(std::string_view path);

}  // namespace kelnor::cli
