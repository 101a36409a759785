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

int runDike(ConditionsIo& io, const ConditionsRequest& request, csv::TableReader& table,
            const std::vector<std::pair<std::string, std::string>>& rows) {
    const auto& known = design::fileColumns();
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
    design::DikeBlock block;
    try {
        block = design::readDikeBlock(design::damTextsFromRows(rows));
    } catch (const design::DamError& e) {
        io.errors << "kelnor-calc: " << escapeControls(describe(e)) << '\n';
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
    std::optional<double> previous;  // the chainage of the section before
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
            previous = design::checkChainage(s, previous);
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
            status, writeBook(io, request,
                              design::dikeBookDocument(held, failures, block.title, block.worked),
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
