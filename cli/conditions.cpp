#include "conditions.h"

#include <iostream>
#include <vector>

#include "design_words.h"
#include "kelnor/csv/table.h"
#include "kelnor/csv/writing.h"
#include "kelnor/design/book.h"
#include "kelnor/design/method.h"
#include "kelnor/platform/error_text.h"
#include "kelnor/platform/file_replacement.h"
#include "kelnor/text.h"
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
                           r.runUp.Rm, r.runUp.Rp, r.A, r.y}) {
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

design::BookOptions bookOptions(const TitleBlock& title) {
    design::BookOptions o;
    o.project = title.project;
    o.stage = title.stage;
    o.by = title.by;
    o.checkedBy = title.checkedBy;
    o.reviewedBy = title.reviewedBy;
    o.date = title.date.value_or("");
    return o;
}

}  // namespace

bool isPdfName(std::string_view path) {
    if (path.size() < 4) {
        return false;
    }
    std::string extension(path.substr(path.size() - 4));
    for (char& c : extension) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return extension == ".pdf";
}

int runConditions(ConditionsIo& io, const std::optional<std::string>& book,
                  const TitleBlock& title) {
    std::vector<design::Cells> rows;
    std::vector<std::string> malformed;  // rows that are not valid CSV rows, with the reason
    try {
        const auto& known = design::conditionColumns();
        csv::TableReader table(io.input, known);
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
    std::string out = "case,formula,hm,Tm,Lm,e,Kw,Kp,Rm,Rp,A,y,crest,governs,warnings\n";
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
    if (book) {
        const std::string html = design::calculationBook(ev, bookOptions(title));
        try {
            if (isPdfName(*book)) {
                platform::printToPdf(html, *book);
            } else {
                platform::replaceFile(*book, html);
            }
        } catch (const platform::WriteFailure& f) {
            io.errors << "kelnor-calc: cannot write " << escapeControls(f.path()) << ": "
                      << platform::reasonText(f.reason()) << '\n';
            status = 1;
        } catch (const platform::PrintFailure& f) {
            io.errors << "kelnor-calc: " << describe(f, *book) << '\n';
            status = 1;
        }
    }
    return status;
}

}  // namespace kelnor::cli
