#include "conditions.h"

#include <algorithm>
#include <iostream>
#include <system_error>
#include <vector>

#include "design_words.h"
#include "dike.h"
#include "kelnor/csv/table.h"
#include "kelnor/csv/writing.h"
#include "kelnor/design/book.h"
#include "kelnor/design/check.h"
#include "kelnor/design/dike.h"
#include "kelnor/design/method.h"
#include "kelnor/docx/word_book.h"
#include "kelnor/platform/error_text.h"
#include "kelnor/platform/file_replacement.h"
#include "kelnor/text/text.h"
#include "tables.h"

namespace kelnor::cli {

namespace {

using csv::appendCsvCell;
using csv::appendShortest;

void appendNumber(std::string& line, double x) {
    line += ',';
    appendShortest(line, x);
}

std::string resultLine(const design::Result& r) {
    std::string line;
    appendCsvCell(line, r.condition.label);
    line += ',';
    line += design::formulaName(r.condition.formula);
    for (const double x : {r.waves.hm, r.waves.Tm, r.waves.Lm, r.e, r.runUp.Kw, r.runUp.kp.value,
                           r.runUp.kbeta.value, r.runUp.Rm, r.runUp.Rp, r.A, r.B, r.y}) {
        appendNumber(line, x);
    }
    line += ',';
    if (r.crest) {
        appendShortest(line, *r.crest);
    }
    line += r.governs ? ",1," : ",0,";
    std::string warnings;
    for (const auto& w : r.warnings) {
        warnings += warnings.empty() ? "" : "; ";
        warnings += describe(w);
    }
    appendCsvCell(line, warnings);
    line += '\n';
    return line;
}

// The title block: an option given overrides the file's row.
void overrideTitle(design::DamTexts& texts, const TitleBlock& given) {
    design::putTitle(texts, design::overTitle(design::titleOf(texts), given));
}

// A row of the settled crest or of a check. Every value is given to the micrometre, the
// tolerance its comparisons allow, so a value printed equal to its bound meets it.
void appendSettledRow(std::string& out, std::string_view item, std::optional<double> value,
                      std::optional<double> required, std::optional<bool> met,
                      const std::string& rule) {
    out += item;
    out += ',';
    if (value) {
        appendShortest(out, design::toMicrometre(*value));
    }
    out += ',';
    if (required) {
        appendShortest(out, design::toMicrometre(*required));
    }
    out += met ? (*met ? ",1," : ",0,") : ",,";
    appendCsvCell(out, rule);
    out += '\n';
}

// The settled crest as rows: the highest level + y, the wall top, each bound on the crest, the
// crest, and in a design the reserve and the crest as built, and the wall's height.
void appendSettled(std::string& out, const design::Evaluation& ev, const design::Settled& d,
                   const design::Dam& dam) {
    const auto name = [&](std::optional<std::size_t> i) {
        return i ? ev.results[*i].condition.label : std::string();
    };
    appendSettledRow(out, "highest_level_plus_y", d.highestLevelPlusY, std::nullopt, std::nullopt,
                     name(d.highest));
    if (d.wallTop) {
        appendSettledRow(out, "wall_top", d.wallTop->value, d.wallTop->required, d.wallTop->met,
                         describe(design::CrestRule::HighestLevelPlusY, dam));
        for (const design::CrestBound& b : d.bounds) {
            std::string rule = describe(b.rule, dam);
            if (b.condition) {
                rule += " (" + name(b.condition) + ")";
            }
            appendSettledRow(out, "crest_bound", b.value, std::nullopt, std::nullopt, rule);
        }
    }
    appendSettledRow(out, "crest", d.crest.value, d.crest.required, d.crest.met,
                     describe(d.bounds[d.leading].rule, dam));
    if (!dam.isCheck()) {
        appendSettledRow(out, "reserve", d.reserve, std::nullopt, std::nullopt,
                         dam.reserve && dam.reserve->percent ? "share of the dam's height"
                                                             : "settlement reserved");
        appendSettledRow(out, "as_built", d.asBuilt, std::nullopt, std::nullopt,
                         "adopted crest + reserve");
    }
    if (d.wallHeight) {
        appendSettledRow(out, "wall_height", *d.wallHeight, std::nullopt, !d.wallHeightUnusual,
                         "adopted wall top - adopted crest, usually 1-1.2 m");
    }
}

// A check of what stands as rows: the existing levels, each condition's and each rule's
// existing level against its requirement with the margin, the verdict and the raise needed.
void appendCheck(std::string& out, const design::Evaluation& ev, const design::DamCheck& c,
                 const design::Dam& dam) {
    const std::string wall = settledNumber(dam.wall.value_or(0));
    if (c.wallTop) {
        appendSettledRow(out, "existing_wall_top", c.wallTop, std::nullopt, std::nullopt,
                         c.wallTopFrom == design::Surveyed::Typed
                             ? "surveyed"
                             : "existing crest + the wall's " + wall + " m");
    }
    appendSettledRow(out, "existing_crest", c.crest, std::nullopt, std::nullopt,
                     c.crestFrom == design::Surveyed::Typed
                         ? "surveyed"
                         : "existing wall top less the wall's " + wall + " m");
    const auto rows = [&](const design::Margin& m, const std::string& rule) {
        appendSettledRow(out, "existing", m.existing, m.required, m.met, rule);
        appendSettledRow(out, "margin", m.margin, std::nullopt, m.met, rule);
    };
    for (const design::ConditionCheck& k : c.conditions) {
        rows(k.margin, "level + y (" + ev.results[k.result].condition.label + ")");
    }
    for (const design::RuleCheck& r : c.rules) {
        rows(r.margin, describe(r.bound.rule, dam) + " (" +
                           ev.results[*r.bound.condition].condition.label + ")");
    }
    const std::string& governing = ev.results[c.conditions[c.governing].result].condition.label;
    appendSettledRow(out, "check", std::nullopt, std::nullopt, c.met(),
                     std::string(c.met() ? "met" : "not met") + ", governed by " + governing);
    if (c.wallTop) {
        appendSettledRow(out, "raise", c.wallRaise, std::nullopt, std::nullopt, "wall top");
    }
    appendSettledRow(out, "raise", c.crestRaise, std::nullopt, std::nullopt, "crest");
    appendSettledRow(out, "crest_without_wall", c.crestWithoutWall, std::nullopt, std::nullopt,
                     "highest still-water level + y, rounded up");
}

// The settled crest, or the check of what stands with the typed values as the proposed raise,
// as rows item,value,required,met,rule; where neither can be made, one row saying why.
std::string settledCsv(const design::Evaluation& ev, const std::optional<design::DamError>& error,
                       const design::Dam& dam, const design::Settlement& s,
                       const std::optional<design::DamCheck>& check) {
    std::string out = "item,value,required,met,rule\n";
    if (error) {
        appendSettledRow(out, "status", std::nullopt, std::nullopt, false,
                         "not settled: " + describe(*error));
        return out;
    }
    if (!s.settled) {
        appendSettledRow(out, "status", std::nullopt, std::nullopt, false, describe(s.why));
        return out;
    }
    if (check) {
        appendCheck(out, ev, *check, dam);
        if (!dam.settles()) {
            return out;
        }
    }
    appendSettled(out, ev, *s.settled, dam);
    return out;
}

// The Word book, in the template where one is given: its placeholders that no value fills are
// named on standard error. Returns 1 where the template cannot be used, having written
// nothing; raises platform::WriteFailure.
int writeWordBook(ConditionsIo& io, const ConditionsRequest& request,
                  const design::doc::Document& document, const TitleBlock& title) {
    const docx::Properties properties = docx::propertiesOf(document, title);
    if (!request.bookTemplate) {
        platform::replaceFile(pathFromUtf8(*request.book), docx::wordBook(document, properties));
        return 0;
    }
    const std::string& name = *request.bookTemplate;
    docx::TemplatedBook filled;
    try {
        filled = docx::wordBookInTemplate(
            platform::readWholeFile(pathFromUtf8(name), docx::kTemplateLimit), name, document,
            properties, docx::templateFields(title));
    } catch (const docx::TemplateError& e) {
        io.errors << "kelnor-calc: cannot use template " << escapeControls(name) << ": "
                  << describe(e) << '\n';
        return 1;
    } catch (const std::system_error& e) {
        io.errors << "kelnor-calc: cannot read template " << escapeControls(name) << ": "
                  << platform::reasonText(e.code()) << '\n';
        return 1;
    }
    for (const std::string& placeholder : filled.unknown) {
        io.errors << "kelnor-calc: template " << escapeControls(name) << ": "
                  << escapeControls(placeholder)
                  << " is no value this program knows; left as it stands\n";
    }
    platform::replaceFile(pathFromUtf8(*request.book), filled.bytes);
    return 0;
}

}  // namespace

int writeBook(ConditionsIo& io, const ConditionsRequest& request,
              const design::doc::Document& document, const TitleBlock& title) {
    const std::string& book = *request.book;
    try {
        if (docx::isWordName(book)) {
            return writeWordBook(io, request, document, title);
        }
        if (isPdfName(book)) {
            platform::printToPdf(design::bookHtml(document), pathFromUtf8(book));
        } else {
            platform::replaceFile(pathFromUtf8(book), design::bookHtml(document));
        }
    } catch (const platform::WriteFailure& f) {
        io.errors << "kelnor-calc: cannot write " << escapeControls(f.path()) << ": "
                  << platform::reasonText(f.reason()) << '\n';
        return 1;
    } catch (const platform::PrintFailure& f) {
        io.errors << "kelnor-calc: " << describe(f, book) << '\n';
        return 1;
    }
    return 0;
}

bool isPdfName(std::string_view path) {
    return endsWithNoCase(path, ".pdf");
}

int runConditions(ConditionsIo& io, const ConditionsRequest& request) {
    const std::optional<std::string>& book = request.book;
    std::vector<design::Cells> rows;
    std::vector<std::pair<std::string, std::string>> block;  // the rows above the header
    std::vector<std::string> malformed;  // rows that are not valid CSV rows, with the reason
    try {
        const auto& known = design::fileColumns();
        csv::TableReader table(io.input, known, csv::Preamble::NameValueRows,
                               design::damFieldNames());
        // The design code: the option's, else the block's `code` row, else the dam's.
        std::optional<design::DesignCode> code = request.code;
        for (const csv::PreambleRow& p : table.preamble()) {
            if (design::isCodeRow(p.name)) {
                const auto named = design::designCodeOf(p.value);
                if (!named) {
                    io.errors << "kelnor-calc: the code \"" << escapeControls(p.value)
                              << "\" above the header is neither SL 274 nor GB 50286\n";
                    return 2;
                }
                code = request.code ? request.code : named;
                continue;
            }
            block.emplace_back(p.name, p.value);
        }
        if (code == design::DesignCode::Dike) {
            return runDike(io, request, table, block);
        }
        if (request.longSection) {
            io.errors << "kelnor-calc: --long-section is a dike's; give code,GB 50286 above the "
                         "header\n";
            return 2;
        }
        const auto& own = design::conditionColumns();
        for (const std::size_t c : table.columns()) {
            if (std::find(own.begin(), own.end(), known[c]) == own.end()) {
                io.errors << "kelnor-calc: " << escapeControls(io.inputName) << ": column \""
                          << known[c] << "\" is a dike section's; give code,GB 50286 above the "
                          << "header for a dike\n";
                return 2;
            }
        }
        csv::TableRow row;
        while (table.next(row)) {
            if (row.problem != csv::RowProblem::None) {
                malformed.push_back("row " + std::to_string(row.number) + ": " +
                                    describe(row, table.columns().size(), io.inputName));
                continue;
            }
            design::Cells cells{row.number, {}};
            for (std::size_t i = 0; i < table.columns().size(); ++i) {
                cells.cells.emplace_back(known[table.columns()[i]], std::move(row.cells[i]));
            }
            rows.push_back(std::move(cells));
        }
    } catch (const csv::TableError& e) {
        io.errors << "kelnor-calc: "
                  << describe(e, io.inputName, "conditions", design::conditionColumns()) << '\n';
        return 2;
    }

    const design::Evaluation ev = design::evaluateRows(rows);
    std::string out = "case,formula,hm,Tm,Lm,e,Kw,Kp,Kbeta,Rm,Rp,A,B,y,crest,governs,warnings\n";
    for (const auto& r : ev.results) {
        out += resultLine(r);
    }
    io.output(out);
    for (const std::string& m : malformed) {
        io.errors << "kelnor-calc: " << m << '\n';
    }
    for (const auto& f : ev.failures) {
        io.errors << "kelnor-calc: " << escapeControls(describe(f)) << '\n';
    }
    int status = malformed.empty() && ev.failures.empty() ? 0 : 1;

    // The dam's values: the file's rows, then the options over them.
    design::DamTexts texts = design::emptyDamTexts();
    std::optional<design::DamError> blockError;
    try {
        texts = design::damTextsFromRows(block);
    } catch (const design::DamError& e) {
        blockError = e;
    }
    overrideTitle(texts, request.title);
    for (const auto& [name, text] : request.dam) {
        design::setDamText(texts, name, text);
    }
    design::BookOptions options = design::bookOptions(texts, request.today, false);
    if (blockError) {
        options.damError = blockError;
    }
    const std::optional<design::DamError>& damError = options.damError;
    const design::Dam& dam = options.dam;
    if (damError) {
        io.errors << "kelnor-calc: " << escapeControls(describe(*damError)) << '\n';
        status = 1;
    }
    design::Settlement settlement;
    std::optional<design::DamCheck> check;
    if (!damError) {
        settlement = design::settleCrest(ev, dam);
        if (dam.isCheck()) {
            check = design::checkDam(ev, dam).check;
        }
        if (check && !check->met()) {
            io.errors << "kelnor-calc: " << escapeControls(checkShortfall(ev, *check)) << '\n';
            status = 1;
        }
        // In a check, the adopted values typed are the proposed raise and checked as in a
        // design; without them only what stands is spoken of.
        if (settlement.settled && dam.settles() && !settlement.settled->met()) {
            for (const std::string& m : shortfalls(*settlement.settled)) {
                io.errors << "kelnor-calc: " << m << '\n';
            }
            status = 1;
        }
    }
    if (request.settled) {
        // Written whatever befell the dam's values, so no file of an earlier run stays behind
        // still showing a crest.
        try {
            platform::replaceFile(pathFromUtf8(*request.settled),
                                  settledCsv(ev, damError, dam, settlement, check));
        } catch (const platform::WriteFailure& f) {
            io.errors << "kelnor-calc: cannot write " << escapeControls(f.path()) << ": "
                      << platform::reasonText(f.reason()) << '\n';
            status = 1;
        }
    }
    if (book) {
        // The Word book carries the freeboard sketch, as the window's books do: a Word book is
        // filed whole, where the HTML page of the command line is a working copy.
        design::BookOptions pictured = options;
        pictured.picture = docx::isWordName(*book);
        status = std::max(
            status, writeBook(io, request, design::bookDocument(ev, pictured), options.title));
    }
    return status;
}

}  // namespace kelnor::cli
