// A conditions file of arbitrary bytes opened as the design window opens it: read in its
// encoding with its block and its code (a dam's conditions or a dike's sections), or refused
// with the reason; once read, every row computes or fails alone, and every text the grid, the
// results, the panel, the summary line and the copied results show is UTF-8, one cell per
// place of the grid; a dike's long section is drawn and fitted to a pane.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "kelnor/csv/record_reader.h"
#include "kelnor/design/drawing.h"
#include "kelnor/design/long_section.h"
#include "kelnor/sheet/clipboard.h"
#include "kelnor/sheet/dam_panel.h"
#include "kelnor/sheet/grid.h"
#include "kelnor/sheet/sheet_file.h"
#include "kelnor/text/text.h"

namespace {

using namespace kelnor;
using fuzz::asCString;
using fuzz::require;

void utf8(const std::string& text, std::string_view what) {
    require(isUtf8(text), what, asCString(text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    sheet::OpenedSheet opened;
    try {
        opened = sheet::readSheet(csv::sourceOf(input));
    } catch (const csv::TableError&) {
        return 0;
    } catch (const design::DamError&) {
        return 0;
    }
    const sheet::Sheet sheet(opened.rows, opened.dam, opened.code);
    const sheet::SheetEvaluation ev = sheet::evaluate(sheet);
    require(ev.outcomes.size() == sheet.size(), "one outcome per row");
    for (const sheet::Outcome& o : ev.outcomes) {
        require(!(o.result && o.failure), "a row computes or fails, not both");
    }
    // The second evaluation, from the first's memo, is the same.
    const sheet::SheetEvaluation again = sheet::evaluate(sheet, &ev);
    require(again.summaryZh() == ev.summaryZh(), "an evaluation from the memo is the same");
    for (std::size_t r = 0; r < sheet::gridRows(sheet); ++r) {
        utf8(sheet::gridRowHeader(sheet, ev, r), "a row's header is UTF-8");
        for (std::size_t c = 0; c < sheet::gridColumns(sheet); ++c) {
            const sheet::GridCell at = sheet::gridCell(sheet, r, c);
            require(at.condition < sheet.size(), "a grid cell names a row of the sheet");
            require(at.result || sheet::screenOf(sheet, at.condition, *at.field) == std::pair(r, c),
                    "a cell stands where the grid shows it");
            const sheet::ShownCell cell = sheet::shownCell(sheet, ev, r, c);
            utf8(cell.text + cell.tip, "a cell is UTF-8");
        }
    }
    for (const sheet::SettledLine& line : sheet::settledLines(ev)) {
        utf8(line.caption + line.value + line.note, "a settled line is UTF-8");
    }
    utf8(ev.summaryZh(), "the summary is UTF-8");
    utf8(sheet::copyResults(sheet.rows(), ev), "the copied results are UTF-8");
    if (sheet.isDike()) {
        const design::Drawing drawing =
            design::longSectionDrawing(design::longSectionOf(*ev.sections));
        (void)design::fit(drawing, 640, 240);
    }
    return 0;
}
