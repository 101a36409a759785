#include "options.h"

#include "kelnor/design/dike.h"

#include "kelnor/design/book.h"
#include "kelnor/docx/word_book.h"
#include "kelnor/platform/error_text.h"
#include "kelnor/text/text.h"
#include "kelnor/text/words.h"

namespace kelnor::cli {

namespace {

std::optional<int> boxOf(std::string_view name) {
    for (int b = 0; b < kBoxCount; ++b) {
        if (kBoxOptions[b] == name) {
            return b;
        }
    }
    return std::nullopt;
}

// The options of the book's title block, by name, with where each goes.
struct TitleOption {
    std::string_view name;
    std::string TitleBlock::*text;
};
constexpr TitleOption kTitleOptions[] = {
    {"project", &TitleBlock::project},
    {"stage", &TitleBlock::stage},
    {"by", &TitleBlock::by},
    {"checked-by", &TitleBlock::checkedBy},
    {"reviewed-by", &TitleBlock::reviewedBy},
};

const TitleOption* titleOptionOf(std::string_view name) {
    for (const TitleOption& t : kTitleOptions) {
        if (t.name == name) {
            return &t;
        }
    }
    return nullptr;
}

// The options of the dam's values, with the names a conditions file gives them.
struct DamOption {
    std::string_view option;
    std::string_view name;
};
constexpr DamOption kDamOptions[] = {
    {"wall", "wall"},
    {"settlement", "settlement"},
    {"dam-height", "dam_height"},
    {"step", "step"},
    {"crest", "crest"},
    {"wall-top", "wall_top"},
    {"existing-crest", "existing_crest"},
    {"existing-wall-top", "existing_wall_top"},
};

const DamOption* damOptionOf(std::string_view name) {
    for (const DamOption& d : kDamOptions) {
        if (d.option == name) {
            return &d;
        }
    }
    return nullptr;
}

FormulaChoice parseFormula(std::string_view text) {
    if (const auto formula = formulaOf(text)) {
        return *formula;
    }
    throw UsageError("--formula must be 1, 2 or 3, not \"" + escapeControls(text) + "\"");
}

}  // namespace

std::optional<FormulaChoice> formulaOf(std::string_view text) {
    if (text == "1") {
        return FormulaChoice::Putian;
    }
    if (text == "2") {
        return FormulaChoice::Andreyanov;
    }
    if (text == "3") {
        return FormulaChoice::GuantingHedi;
    }
    return std::nullopt;
}

Options parseOptions(int argc, const char* const* argv) {
    Options options;
    std::string caseOption;   // the first option that sets the single case, if any
    std::string titleOption;  // the first option of the book's title block, if any
    std::string damOption;    // the first option of the dam's values, if any
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        if (!arg.starts_with("--") || arg.size() == 2) {
            throw UsageError("unexpected argument \"" + escapeControls(arg) + "\"");
        }
        std::string_view name = arg.substr(2);
        std::optional<std::string_view> value;
        if (const auto eq = name.find('='); eq != std::string_view::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        const auto box = boxOf(name);
        const TitleOption* title = titleOptionOf(name);
        const DamOption* dam = damOptionOf(name);
        if (!box && !title && !dam && name != "formula" && name != "output" && name != "batch" &&
            name != "conditions" && name != "book" && name != "date" && name != "settled" &&
            name != "template" && name != "code" && name != "long-section") {
            throw UsageError("unknown option --" + escapeControls(name));
        }
        if (!value) {
            // The next argument is the value whatever it looks like: "--depth -1" is a depth.
            if (i + 1 >= argc) {
                throw UsageError("option --" + std::string(name) + " needs a value");
            }
            value = argv[++i];
        }
        if (box || name == "formula") {
            if (caseOption.empty()) {
                caseOption = "--" + std::string(name);
            }
        }
        if ((title || name == "date") && titleOption.empty()) {
            titleOption = "--" + std::string(name);
        }
        if ((dam || name == "settled") && damOption.empty()) {
            damOption = "--" + std::string(name);
        }
        if (box) {
            options.inputs.text[*box] = std::string(*value);
        } else if (dam) {
            options.dam.emplace_back(dam->name, *value);
        } else if (name == "settled") {
            if (value->empty() || *value == "-") {
                // Standard output carries the conditions' CSV: a second table there would
                // break whoever reads it.
                throw UsageError("--settled needs a file name");
            }
            options.settled = std::string(*value);
        } else if (title) {
            options.title.*(title->text) = std::string(*value);
        } else if (name == "date") {
            if (!design::isBookDate(*value)) {
                throw UsageError("--date must be a date written YYYY-MM-DD, not \"" +
                                 escapeControls(*value) + "\"");
            }
            options.title.date = std::string(*value);
        } else if (name == "formula") {
            options.formula = parseFormula(*value);
        } else if (name == "output") {
            options.output = std::string(*value);
        } else if (name == "conditions") {
            options.conditions = std::string(*value);
        } else if (name == "book") {
            options.book = std::string(*value);
        } else if (name == "long-section") {
            if (value->empty() || *value == "-") {
                throw UsageError("--long-section needs a file name");
            }
            options.longSection = std::string(*value);
        } else if (name == "code") {
            options.code = design::designCodeOf(*value);
            if (!options.code) {
                throw UsageError("--code must be sl274 or gb50286, not \"" +
                                 escapeControls(*value) + "\"");
            }
        } else if (name == "template") {
            if (value->empty()) {
                throw UsageError("--template needs a file name");
            }
            options.bookTemplate = std::string(*value);
        } else {
            options.batch = std::string(*value);
        }
    }
    if (options.code && !options.conditions) {
        throw UsageError("--code needs --conditions");
    }
    if (options.longSection && !options.conditions) {
        throw UsageError("--long-section needs --conditions");
    }
    // Only a Word book follows a template: with any other it would be quietly dropped.
    if (options.bookTemplate && !(options.book && docx::isWordName(*options.book))) {
        throw UsageError("--template needs --book FILE.docx");
    }
    // The title block is the book's: without a book it would be quietly dropped.
    if (!titleOption.empty() && !options.book) {
        throw UsageError(titleOption + " needs --book");
    }
    // A batch takes every case from its file: an option beside it would either be ignored
    // or quietly override the window's defaults, so neither happens.
    if (options.batch && !caseOption.empty()) {
        throw UsageError(caseOption + " cannot be used with --batch; give a column instead");
    }
    // The design conditions are a calculation of their own: none of the window's options
    // applies to them.
    if (options.conditions) {
        if (!caseOption.empty()) {
            throw UsageError(caseOption +
                             " cannot be used with --conditions; give a column instead");
        }
        if (options.batch || options.output) {
            throw UsageError(std::string(options.batch ? "--batch" : "--output") +
                             " cannot be used with --conditions");
        }
        if (options.book && options.book->empty()) {
            throw UsageError("--book needs a file name");
        }
    } else if (options.book) {
        throw UsageError("--book needs --conditions");
    } else if (!damOption.empty()) {
        throw UsageError(damOption + " needs --conditions");
    }
    if (options.batch && options.output && (options.output->empty() || *options.output == "-")) {
        throw UsageError("--output with --batch needs a folder for the reports");
    }
    return options;
}

std::string usage() {
    std::string text =
        "Usage: kelnor-calc [--formula N] [--depth T] [--wind T] [--fetch T] [--roughness T]\n"
        "                   [--kw T] [--slope T] [--allowance T] [--kz T] [--output FILE]\n"
        "       kelnor-calc --batch CSV [--output DIR]\n"
        "       kelnor-calc --conditions CSV [--book FILE.html|FILE.pdf|FILE.docx\n"
        "                   [--template T.docx] [--project T] [--stage T] [--by T]\n"
        "                   [--checked-by T] [--reviewed-by T] [--date YYYY-MM-DD]]\n"
        "                   [--wall H] [--settlement R] [--dam-height H]\n"
        "                   [--step S] [--crest Z] [--wall-top Z] [--settled FILE]\n"
        "                   [--existing-crest Z] [--existing-wall-top Z] [--code C]\n"
        "                   [--long-section FILE.svg]\n"
        "\n"
        "Computes the wind waves, wind set-up, wave run-up and crest freeboard of an earth-rock\n"
        "dam and writes the results report (code page 936, CR LF).\n"
        "\n"
        "  --formula N     wind-wave formula: 1 Putian (default), 2 Andreyanov, 3 Guanting-Hedi\n";
    const char* meanings[kBoxCount] = {
        "mean water depth, m",
        "design wind speed 10 m above the water, m/s",
        "fetch, km",
        "slope roughness and permeability coefficient K-delta",
        "empirical coefficient Kw",
        "slope coefficient M of the upstream face",
        "safety freeboard allowance, m",
        "height correction factor Kz of the wind speed",
    };
    for (int b = 0; b < kBoxCount; ++b) {
        std::string line = "  --" + std::string(kBoxOptions[b]) + " T";
        line.append(line.size() < 18 ? 18 - line.size() : 1, ' ');
        line += meanings[b];
        line += " (default " + std::string(kDefaultTexts[b]) + ")\n";
        text += line;
    }
    text +=
        "  --output FILE   write the report to FILE, replacing it only when complete;\n"
        "                  \"-\" or none: standard output. With --batch: a folder that receives\n"
        "                  the report of each row that computes, tavoout-<row>.txt, the rows\n"
        "                  counted from 1 after the header\n"
        "  --batch CSV     compute every row of a CSV file (\"-\": standard input) and print a\n"
        "                  CSV of the results. Its header names columns among case (a label),\n"
        "                  formula and the eight values above; a column left out takes the\n"
        "                  default for every row. A failing row gets its failure in the\n"
        "                  error column and the batch goes on\n"
        "  --conditions CSV  compute the design conditions of a CSV file (\"-\": standard\n"
        "                  input) by the design code's method, SL 274 Appendix A, and print\n"
        "                  case,formula,hm,Tm,Lm,e,Kw,Kp,Kbeta,Rm,Rp,A,B,y,crest,governs,\n"
        "                  warnings.\n"
        "                  Columns: case, level, depth, mean_depth, wind, fetch (km), angle,\n"
        "                  slope, roughness, kw, formula (putian, hedi, guanting), grade (1-5),\n"
        "                  operation (normal, abnormal, earthquake), region (mountain, plain),\n"
        "                  frequency (%), allowance, extra, surge and quake_settlement (the\n"
        "                  earthquake condition's allowance B, surge required). Instead of\n"
        "                  wind: wind_max, the multi-year average annual maximum wind speed at\n"
        "                  10 m, and wind_factor (default 1.5 in normal, 1.0 in abnormal\n"
        "                  operation): W = wind_factor x wind_max. A failing condition is\n"
        "                  named on standard error and the others still compute\n"
        "  --book FILE     with --conditions: write the calculation book (HTML, Chinese) to\n"
        "                  FILE, replacing it only when complete. FILE.pdf (any case): the\n"
        "                  book printed to PDF by a Chromium-family browser without a window,\n"
        "                  the one KELNOR_BROWSER names or else chromium, chromium-browser,\n"
        "                  google-chrome or google-chrome-stable (Windows: Microsoft Edge or\n"
        "                  Google Chrome). FILE.docx: the book as a Word document\n"
        "  --template T    with --book FILE.docx: the institute's cover and sign-off pages,\n"
        "                  a Word .docx or .dotx; its placeholders {{工程名称}} ({{project}}),\n"
        "                  {{设计阶段}}, {{计算}}, {{校核}}, {{审查}}, {{日期}}, {{计算软件}} and\n"
        "                  {{软件版本}} are filled and the book follows on a new page in its\n"
        "                  styles; a placeholder no value fills is named on standard error\n"
        "  --project T     with --book: the project's name, in the title and the title block\n"
        "  --stage T       with --book: the design stage (preliminary design, construction\n"
        "                  drawings, ...) as the book prints it\n"
        "  --by T, --checked-by T, --reviewed-by T\n"
        "                  with --book: who computed, checked and reviewed the book; a name\n"
        "                  not given leaves a blank line to sign on\n"
        "  --date D        with --book: the book's date, YYYY-MM-DD (default today)\n"
        "  --wall H        with --conditions: the wave wall's top above the crest, m\n"
        "  --settlement R  the settlement reserved on the crest: m, or % of --dam-height\n"
        "                  (0.3%)\n"
        "  --dam-height H  the dam's height to its crest, m\n"
        "  --step S        the adopted values are rounded up to S m (default 0.1)\n"
        "  --crest Z, --wall-top Z\n"
        "                  the adopted crest and wave wall top; one below its requirement\n"
        "                  is reported and makes the exit status 1\n"
        "  --existing-crest Z, --existing-wall-top Z\n"
        "                  the surveyed crest and wave wall top of a dam that stands: the\n"
        "                  file is a check of them (margins, verdict, raise needed); one\n"
        "                  that does not meet the code makes the exit status 1\n"
        "                  These override the name,value rows above the conditions' header\n"
        "                  (wall, settlement, dam_height, step, crest, wall_top,\n"
        "                  existing_crest, existing_wall_top, and project, stage, by,\n"
        "                  checked_by, reviewed_by, date for the book)\n"
        "  --settled FILE  write the settled crest as CSV rows item,value,required,met,rule\n"
        "  --code C        the design code: sl274 (dams, the default) or gb50286 (a dike's\n"
        "                  sections along its chainage), over the file's code row\n"
        "  --long-section FILE.svg\n"
        "                  a dike's long section: the design level, the required, adopted\n"
        "                  and existing crests and the ground along the chainage\n"
        "  --help          show this text\n"
        "\n"
        "Values are read with \".\" as the decimal point. Options take --name=value or\n"
        "--name value. A CSV file is read as UTF-8 (a byte-order mark allowed) or, when it\n"
        "is not UTF-8, as GBK, the way Excel saves \"CSV\" on a Chinese Windows. Exit\n"
        "status: 0 done, 1 a calculation, write or print failed (with --batch: any row),\n"
        "2 usage error, unreadable CSV or one without rows.\n";
    return text;
}

std::string_view optionName(int box) {
    static const std::string names[kBoxCount] = {"--depth", "--wind",  "--fetch",     "--roughness",
                                                 "--kw",    "--slope", "--allowance", "--kz"};
    return names[box];
}

std::string_view kindWords(FailureKind kind) {
    static constexpr Word<FailureKind> kKinds[] = {
        {FailureKind::TypeMismatch, "type mismatch"},
        {FailureKind::DivisionByZero, "division by zero"},
        {FailureKind::Overflow, "overflow"},
        {FailureKind::InvalidArgument, "invalid argument"}};
    return wordFor(kind, kKinds);
}

std::string describe(const Failure& failure, std::string_view (*boxName)(int box)) {
    std::string message(kindWords(failure.kind()));
    if (failure.box()) {
        message += ": ";
        message += boxName(*failure.box());
        message += " \"" + escapeControls(failure.text()) + "\"";
        message += failure.kind() == FailureKind::Overflow ? " is beyond the range of a number"
                                                           : " is not a number";
    }
    return message;
}

std::string describe(const platform::WriteFailure& failure) {
    return "cannot write report: " + escapeControls(failure.path()) + ": " +
           platform::reasonText(failure.reason());
}

std::string describe(const platform::PrintFailure& failure, std::string_view target) {
    using enum platform::PrintFailureKind;
    const std::string browser = escapeControls(failure.browser());
    std::string why;
    switch (failure.kind()) {
        case NoBrowser: {
            why = "no Chromium-family browser found (looked for ";
            const auto lookedFor = platform::browsersLookedFor();
            for (std::size_t i = 0; i < lookedFor.size(); ++i) {
                why += (i > 0 ? ", " : "") + lookedFor[i];
            }
            why += ")";
            break;
        }
        case CannotStart:
            why = "cannot start " + browser + ": " + platform::reasonText(failure.reason());
            break;
        case Failed:
            why = browser + " ended with exit status " + std::to_string(failure.exitStatus());
            break;
        case TimedOut:
            why = browser + " did not finish within " +
                  std::to_string(platform::kPrintTimeout.count()) + " s and was stopped";
            break;
        case NoPdf:
            why = browser + " wrote no PDF";
            break;
        case Cancelled:
            why = "stopped";
            break;
    }
    return "cannot print " + escapeControls(target) + ": " + why +
           "; the HTML book can be printed from any browser";
}

}  // namespace kelnor::cli
