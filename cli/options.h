#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kelnor/design/condition.h"
#include "kelnor/design/crest.h"
#include "kelnor/failure.h"
#include "kelnor/inputs.h"
#include "kelnor/platform/file_replacement.h"
#include "kelnor/platform/pdf_printer.h"

namespace kelnor::cli {

// The option that sets each input box, by box index: Text1(0) … Text1(7).
inline constexpr std::string_view kBoxOptions[kBoxCount] = {
    "depth", "wind", "fetch", "roughness", "kw", "slope", "allowance", "kz"};

// The calculation book's title block as the command line gives it (--project, --stage, --by,
// --checked-by, --reviewed-by, --date): a field given overrides the conditions file's.
using TitleBlock = design::TitleBlock;

struct Options {
    FormulaChoice formula = FormulaChoice::Putian;
    InputSet inputs = InputSet::defaults();
    std::optional<std::string> output;        // absent or "-": standard output
    std::optional<std::string> batch;         // a CSV of cases, "-" for standard input
    std::optional<std::string> conditions;    // a CSV of design conditions, "-" for standard input
    std::optional<std::string> book;          // the calculation book of the design conditions
    std::optional<std::string> bookTemplate;  // --template: the Word book's template
    TitleBlock title;                         // the book's title block
    // The dam's values given as options (--wall, --settlement, --dam-height, --step, --crest,
    // --wall-top), by their names in a conditions file (wall, ..., dam_height, wall_top):
    // they override the file's block.
    std::vector<std::pair<std::string, std::string>> dam;
    std::optional<std::string> settled;  // --settled FILE: the settled crest as CSV
    // --code: the design code the conditions file is computed by, over its `code` row.
    std::optional<design::DesignCode> code;
    // --long-section FILE: a dike's long section as SVG.
    std::optional<std::string> longSection;
    bool help = false;
};

// A command line that cannot be understood: exit status 2.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

Options parseOptions(int argc, const char* const* argv);

// "1", "2" or "3" as the formula it names; anything else names none.
std::optional<FormulaChoice> formulaOf(std::string_view text);

std::string usage();

// The failure in the command line's words, e.g.
// `type mismatch: --fetch "abc" is not a number`. `boxName` names a box (an option or a
// column) in that message.
std::string describe(const Failure& failure, std::string_view (*boxName)(int box));

// A file that could not be written: `cannot write report: FILE: reason`.
std::string describe(const platform::WriteFailure& failure);

// A book that could not be printed to the PDF file `target`, e.g. `cannot print b.pdf: no
// Chromium-family browser found (looked for KELNOR_BROWSER, chromium, ...); the HTML book can
// be printed from any browser`.
std::string describe(const platform::PrintFailure& failure, std::string_view target);

std::string_view optionName(int box);

}  // namespace kelnor::cli
