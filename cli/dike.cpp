#include "dike.h"

#include <algorithm>
#include <optional>

#include "design_words.h"
#include "kelnor/csv/writing.h"
#include "kelnor/design/dike.h"
#include "kelnor/design/dike_book.h"
#include "kelnor/design/drawing.h"
#include "kelnor/design/long_section.h"
#include "kelnor/platform/error_text.h"
#include "kelnor/platform/file_replacement.h"
#include "kelnor/text/number.h"
#include "kelnor/text/text.h"
#include "tables.h"

namespace kelnor::cli {

namespace {

using csv::appendCsvCell;
using csv::appendShortest;

// The block's rows a dike file takes; the title block's are kept for its book.
struct DikeBlock {
    double step = design::kDefaultStep;
    bool smooth = false;
    design::TitleBlock title;
};

// Yes or no as a block row writes it; none for anything else.
std::optional<bool> yesOrNo(std::string_view text) {
    const std::string key = lowerAscii(trimBlanks(text));
    for (const std::string_view yes : {"yes", "1", "true", "是"}) {
        if (key == yes) {
            return true;
        }
    }
    for (const std::string_view no : {"", "no", "0", "false", "否"}) {
        if (key == no) {
            return false;
        }
    }
    return std::nullopt;
}

// The block read, or the line that says why it cannot be.
std::optional<std::string> readBlock(const std::vector<std::pair<std::string, std::string>>& rows,
                                     DikeBlock& block) {
    for (const auto& [name, value] : rows) {
        const std::string key = lowerAscii(trimBlanks(name));
        if (key == "step") {
            try {
                block.step = parseNumber(value);
            } catch (const NumberError&) {
                block.step = 0;
            }
            if (!(block.step > 0)) {
                return "the dike's step \"" + value + "\" must be a number above 0";
            }
        } else if (key == "smooth") {
            const auto smooth = yesOrNo(value);
            if (!smooth) {
                return "the dike's smooth \"" + value + "\" is not yes or no";
            }
            block.smooth = *smooth;
        } else if (key == "overtopping") {
            // Only "not allowed" (or no) is computed; anything else may be overtopped.
            const std::string said = lowerAscii(trimBlanks(value));
            if (said != "not allowed" && said != "不允许" && yesOrNo(said) != false) {
                return "a dike that may be overtopped is protected by the overtopping volume "
                       "(GB 50286), a study of its own: only a dike that must not be "
                       "overtopped is computed";
            }
        } else if (const auto field = design::damFieldIndex(name);
                   field && design::damFields()[*field].titleBlock) {
            design::DamTexts texts = design::emptyDamTexts();
            texts[*field] = std::string(trimBlanks(value));
            block.title = design::overTitle(block.title, design::titleOf(texts));
        } else {
            return "the row \"" + name +
                   "\" above the header is none of a dike's (step, smooth, "
                   "overtopping, and the title block)";
        }
    }
    return std::nullopt;
}

// The long section's size in SVG user units: a landscape page's width.
constexpr double kLongSectionWidth = 960;
constexpr double kLongSectionHeight = 360;

void appendNumber(std::string& line, std::optional<double> x) {
    line += ',';
    if (x) {
        appendShortest(line, *x);
    }
}

std::string sectionLine(const design::SectionResult& s) {
    const design::Result& r = s.result;
    std::string line;
    appendCsvCell(line, s.section.water.label);
    appendNumber(line, s.section.chainage);
    for (const double x :
         {*s.section.water.level, r.waves.hm, r.waves.Tm, r.waves.Lm, r.e, r.runUp.Kw,
          r.runUp.kp.value, r.runUp.kbeta.value, r.runUp.Rp, r.A, r.y}) {
        appendNumber(line, x);
    }
    appendNumber(line, design::toMicrometre(s.required));
    appendNumber(line, s.adopted);
    appendNumber(line, s.asBuilt);
    appendNumber(line, s.margin ? std::optional(s.margin->margin) : std::nullopt);
    std::string warnings;
    for (const auto& w : r.warnings) {
        warnings += warnings.empty() ? "" : "; ";
        warnings += describe(w);
    }
    line += ',';
    appendCsvCell(line, warnings);
    line += '\n';
    return line;
}

}  // namespace

const std::vector<std::string_view>& fileColumns() {
    static const std::vector<std::string_view> columns = [] {
        std::vector<std::string_view> out = design::conditionColumns();
        for (const std::string_view c : design::sectionColumns()) {
            if (std::find(out.begin(), out.end(), c) == out.end()) {
                out.push_back(c);
            }
        }
        return out;
    }();
    return columns;
}

const std::vector<std::string_view>& blockNames() {
    static const std::vector<std::string_view> names = [] {
        std::vector<std::string_view> out;
        for (const design::DamField& f : design::damFields()) {
            out.push_back(f.name);
        }
        return out;
    }();
    return names;
}

int runDike(ConditionsIo& io, const ConditionsRequest& request, csv::TableReader& table,
            const std::vector<std::pair<std::string, std::string>>& rows) {
    const auto& known = fileColumns();
    const auto& own = design::sectionColumns();
    for (const std::size_t c : table.columns()) {
        if (std::find(own.begin(), own.end(), known[c]) == own.end()) {
            io.errors << "kelnor-calc: " << escapeControls(io.inputName) << ": column \""
                      << known[c] << "\" is a dam's condition's, not a dike section's\n";
            return 2;
        }
    }
    if (request.settled || !request.dam.empty()) {
        io.errors << "kelnor-calc: a dike's sections take no "
                  << (request.settled ? "--settled" : "dam's values") << "\n";
        return 2;
    }
    DikeBlock block;
    if (const auto why = readBlock(rows, block)) {
        io.errors << "kelnor-calc: " << escapeControls(*why) << '\n';
        return 1;
    }
    // The title block: an option given over the file's row, the date today where none is.
    block.title = design::overTitle(block.title, request.title);
    if (block.title.date.empty()) {
        block.title.date = request.today;
    }
    io.output(
        "section,chainage,level,hm,Tm,Lm,e,Kw,Kp,Kbeta,Rp,A,Y,crest,adopted,as_built,"
        "margin,warnings\n");
    int status = 0;
    // Every section is held where the reach is smoothed, a book or the long section is
    // written; otherwise each goes as it is read.
    const bool holdAll = block.smooth || request.book || request.longSection;
    std::vector<design::SectionResult> held;
    std::vector<design::ConditionError> failures;
    const auto finish = [&](const design::SectionResult& s) {
        io.output(sectionLine(s));
        if (s.margin && !s.margin->met) {
            io.errors << "kelnor-calc: section " << escapeControls(s.section.water.label)
                      << ": the crest " << settledNumber(s.margin->existing) << " is "
                      << settledNumber(-s.margin->margin) << " m short of "
                      << settledNumber(s.margin->required) << '\n';
            status = 1;
        }
    };
    csv::TableRow row;
    // The sections stream: one that does not read past those written ends the run there,
    // named, with what was written standing.
    const auto next = [&] {
        try {
            return table.next(row);
        } catch (const csv::TableError& e) {
            io.errors << "kelnor-calc: " << describe(e, io.inputName, "sections", known) << '\n';
            status = 1;
            return false;
        }
    };
    while (next()) {
        if (row.problem != csv::RowProblem::None) {
            io.errors << "kelnor-calc: row " << row.number << ": "
                      << describe(row, table.columns().size(), io.inputName) << '\n';
            status = 1;
            continue;
        }
        design::Cells cells{row.number, {}};
        for (std::size_t i = 0; i < table.columns().size(); ++i) {
            cells.cells.emplace_back(known[table.columns()[i]], std::move(row.cells[i]));
        }
        try {
            design::SectionResult s =
                design::computeSection(design::readSection(cells), block.step);
            if (holdAll) {
                held.push_back(std::move(s));
            } else {
                finish(s);
            }
        } catch (const design::ConditionError& e) {
            io.errors << "kelnor-calc: " << escapeControls(describe(e)) << '\n';
            status = 1;
            if (request.book) {
                failures.push_back(e);
            }
        }
    }
    if (block.smooth) {
        design::smoothReach(held);
    }
    for (const design::SectionResult& s : held) {
        finish(s);
    }
    if (request.book) {
        status = std::max(
            status, writeBook(io, request, design::dikeBookDocument(held, failures, block.title),
                              block.title));
    }
    if (request.longSection) {
        try {
            platform::replaceFile(
                pathFromUtf8(*request.longSection),
                design::drawingSvg(design::longSectionDrawing(design::longSectionOf(held)),
                                   kLongSectionWidth, kLongSectionHeight, true));
        } catch (const platform::WriteFailure& f) {
            io.errors << "kelnor-calc: cannot write " << escapeControls(f.path()) << ": "
                      << platform::reasonText(f.reason()) << '\n';
            status = 1;
        }
    }
    return status;
}

}  // namespace kelnor::cli
