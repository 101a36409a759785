#include "kelnor/sheet/clipboard.h"

#include <algorithm>

#include "kelnor/design/wording.h"
#include "kelnor/sheet/fields.h"
#include "kelnor/sheet/grid.h"
#include "wording.h"

namespace kelnor::sheet {

namespace {

// A cell as a spreadsheet puts it on the clipboard: quoted where it holds a tab, a line end
// or a quote, which would otherwise split it or be read as quoting.
void appendCell(std::string& out, std::string_view cell) {
    if (cell.find_first_of("\t\r\n\"") == std::string_view::npos) {
        out += cell;
        return;
    }
    out += '"';
    for (const char c : cell) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    out += '"';
}

void appendLine(std::string& out, const std::vector<std::string>& cells) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) {
            out += '\t';
        }
        appendCell(out, cells[i]);
    }
    out += "\r\n";
}

std::vector<std::string> resultLine(const Row& row, const Outcome& o) {
    const std::string dash(words::kDash);
    std::vector<std::string> line(words::resultHeader().size(), dash);
    line.front() = row.empty() ? std::string() : row.front();
    if (!o.result) {
        line.back() = o.failureZh();
        return line;
    }
    const design::Result& r = *o.result;
    line = {design::conditionNameZh(r.condition),
            std::string(design::formulaShortZh(r.condition.formula)),
            fixed(r.waves.hm, 3),
            fixed(r.waves.Lm, 3),
            fixed(r.e, 3),
            fixed(r.runUp.Rp, 3),
            fixed(r.A, 2),
            fixed(r.y, 3),
            r.condition.level ? fixed(*r.condition.level, 2) : dash,
            r.crest ? fixed(*r.crest, 3) : dash,
            r.governs ? std::string(words::kGoverns) : std::string(),
            {}};
    for (const std::string& w : o.warningsZh()) {
        line.back() += (line.back().empty() ? "" : " ") + w;
    }
    return line;
}

// A dike's results: the section, each result as the grid shows it beside its row, and what is
// said of it.
std::string copySectionResults(const Rows& rows, const SheetEvaluation& evaluation) {
    std::string out;
    std::vector<std::string> header{std::string(fields(DesignCode::Dike).front().nameZh)};
    const std::size_t count = resultRowCount(DesignCode::Dike);
    for (std::size_t k = 0; k < count; ++k) {
        header.emplace_back(resultRowName(k, DesignCode::Dike));
    }
    header.emplace_back(words::resultHeader().back());
    appendLine(out, header);
    for (std::size_t i = 0; i < evaluation.outcomes.size() && i < rows.size(); ++i) {
        const Outcome& o = evaluation.outcomes[i];
        std::vector<std::string> line{rows[i].empty() ? std::string() : rows[i].front()};
        for (std::size_t k = 0; k < count; ++k) {
            const std::string text = resultCell(evaluation, i, k).text;
            line.push_back(text.empty() ? std::string(words::kDash) : text);
        }
        std::string said = o.failureZh();
        for (const std::string& w : o.warningsZh()) {
            said += (said.empty() ? "" : " ") + w;
        }
        line.push_back(said);
        appendLine(out, line);
    }
    return out;
}

}  // namespace

std::string copyCells(const Sheet& sheet, const CellRange& range) {
    std::string out;
    const std::size_t lastRow = std::min(sheet.size(), range.firstRow + range.rowCount);
    const std::size_t lastColumn =
        std::min(columnCount(sheet.code()), range.firstColumn + range.columnCount);
    for (std::size_t r = range.firstRow; r < lastRow; ++r) {
        std::vector<std::string> cells;
        for (std::size_t c = range.firstColumn; c < lastColumn; ++c) {
            cells.push_back(sheet.cell(r, c));
        }
        appendLine(out, cells);
    }
    return out;
}

std::string copyResults(const Rows& rows, const SheetEvaluation& evaluation) {
    if (evaluation.code == DesignCode::Dike) {
        return copySectionResults(rows, evaluation);
    }
    std::string out;
    appendLine(out, words::resultHeader());
    for (std::size_t i = 0; i < evaluation.outcomes.size() && i < rows.size(); ++i) {
        appendLine(out, resultLine(rows[i], evaluation.outcomes[i]));
    }
    return out;
}

Block readTabSeparated(std::string_view text) {
    Block block;
    std::vector<std::string> row;
    std::string cell;
    bool quoted = false;      // inside a quoted cell
    bool cellStart = true;    // nothing of the cell read yet
    bool rowStarted = false;  // the current row holds something
    const auto endCell = [&] {
        row.push_back(std::move(cell));
        cell.clear();
        cellStart = true;
    };
    const auto endRow = [&] {
        endCell();
        block.push_back(std::move(row));
        row.clear();
        rowStarted = false;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c != '"') {
                cell += c;
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                cell += '"';
                ++i;
            } else {
                quoted = false;
            }
            continue;
        }
        rowStarted = true;
        if (c == '"' && cellStart) {
            quoted = true;
            cellStart = false;
        } else if (c == '\t') {
            endCell();
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            endRow();
        } else {
            cell += c;
            cellStart = false;
        }
    }
    if (rowStarted || quoted || !cell.empty()) {
        endRow();
    }
    return block;
}

void paste(Sheet& sheet, std::size_t row, std::size_t column, std::string_view text) {
    sheet.setBlock(row, column, readTabSeparated(text));
}

}  // namespace kelnor::sheet
