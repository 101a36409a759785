// How long the design code's method takes over a sheet of conditions: the table read (UTF-8
// and GBK), the conditions computed with the governing one, the calculation book written, and
// the design window's work after one keystroke; the book as a Word document beside it.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "kelnor/csv/table.h"
#include "kelnor/design/book.h"
#include "kelnor/design/crest.h"
#include "kelnor/design/dike.h"
#include "kelnor/design/dike_book.h"
#include "kelnor/design/drawing.h"
#include "kelnor/design/long_section.h"
#include "kelnor/design/method.h"
#include "kelnor/docx/word_book.h"
#include "kelnor/platform/text_encoding.h"
#include "kelnor/sheet/design_presenter.h"
#include "kelnor/sheet/fields.h"
#include "kelnor/sheet/grid.h"
#include "kelnor/sheet/sheet_file.h"

namespace {

using namespace kelnor;

// The four usual conditions of bench/conditions.sh, repeated to `count` rows.
std::string sheet(int count) {
    std::string csv = "case,level,depth,wind,fetch,slope,roughness,grade,operation,formula,extra\n";
    const char* rows[] = {
        "正常蓄水位,100,30,21,3,3,0.8,2,normal,putian,\n",
        "设计洪水位,101.5,31.5,21,3.2,3,0.8,2,normal,putian,\n",
        "校核洪水位,102.3,32.3,14,3.3,3,0.8,2,abnormal,hedi,\n",
        "正常蓄水位+地震,100,30,14,3,3,0.8,2,abnormal,guanting,0.8\n",
    };
    for (int i = 0; i < count; ++i) {
        csv += rows[i % 4];
    }
    return csv;
}

std::vector<design::Cells> read(const std::string& bytes) {
    const auto& known = design::conditionColumns();
    csv::TableReader table(csv::sourceOf(bytes), known);
    std::vector<design::Cells> rows;
    csv::TableRow row;
    while (table.next(row)) {
        design::Cells cells{row.number, {}};
        for (std::size_t i = 0; i < table.columns().size(); ++i) {
            cells.cells.emplace_back(known[table.columns()[i]], std::move(row.cells[i]));
        }
        rows.push_back(std::move(cells));
    }
    return rows;
}

// Reading and computing a sheet, as typed (UTF-8, range 0) or as Excel saves it (GBK, 1).
void BM_ReadAndEvaluate(benchmark::State& state) {
    std::string bytes = sheet(static_cast<int>(state.range(1)));
    if (state.range(0) == 1) {
        bytes = platform::toCp936(bytes);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(design::evaluateRows(read(bytes)));
    }
}
BENCHMARK(BM_ReadAndEvaluate)
    ->Args({0, 4})
    ->Args({1, 4})
    ->Args({0, 10})
    ->Unit(benchmark::kMicrosecond);

void BM_CalculationBook(benchmark::State& state) {
    const design::Evaluation ev =
        design::evaluateRows(read(sheet(static_cast<int>(state.range(0)))));
    for (auto _ : state) {
        benchmark::DoNotOptimize(design::calculationBook(ev));
    }
}
BENCHMARK(BM_CalculationBook)->Arg(4)->Arg(10)->Unit(benchmark::kMicrosecond);

// The same book as a Word document, packed: the document built, its WordprocessingML written
// and deflated into the .docx; with the sketch as shapes (range 1) or without, as the HTML
// book above.
void BM_WordBook(benchmark::State& state) {
    const design::Evaluation ev =
        design::evaluateRows(read(sheet(static_cast<int>(state.range(0)))));
    design::BookOptions options;
    options.picture = state.range(1) == 1;
    for (auto _ : state) {
        const design::doc::Document book = design::bookDocument(ev, options);
        benchmark::DoNotOptimize(docx::wordBook(book, docx::propertiesOf(book, options.title)));
    }
}
BENCHMARK(BM_WordBook)
    ->Args({4, 0})
    ->Args({10, 0})
    ->Args({4, 1})
    ->Args({10, 1})
    ->Unit(benchmark::kMicrosecond);

// The sketch of eight conditions at still-water levels 0.1 to 2 m apart fitted to the window's
// picture, its texts measured and placed clear of each other, as at every repaint; range 1:
// settled with a wave wall and a reserve.
void BM_FitSketch(benchmark::State& state) {
    std::string csv = "case,level,depth,wind,fetch,slope,roughness,grade\n";
    const double levels[] = {100, 100.1, 100.3, 101.5, 101.6, 102.3, 102.4, 104};
    for (const double level : levels) {
        csv += "工况," + std::to_string(level) + ",30,21,3,3,0.8,2\n";
    }
    const design::Evaluation ev = design::evaluateRows(read(csv));
    std::optional<design::Settled> settled;
    if (state.range(0) == 1) {
        design::Dam dam;
        dam.wall = 1.2;
        dam.reserve = design::Reserve{0.3, false};
        settled = design::settleCrest(ev, dam).settled;
    }
    const design::Drawing drawing = design::freeboardDrawing(ev, settled);
    for (auto _ : state) {
        benchmark::DoNotOptimize(design::fit(drawing, 520, 360));
    }
}
BENCHMARK(BM_FitSketch)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A window that draws nothing: what the presenter itself costs.
class NoView final : public sheet::DesignView {
  public:
    void setTitle(const std::string&) override {}
    void showSheet() override {}
    void showResults() override {}
    void showPicture() override {}
    void showPlace(const sheet::Place&) override {}
    void tell(const std::string&) override {}
    sheet::Answer ask(const sheet::Question& q) override { return q.onEscape; }
    std::optional<std::filesystem::path> chooseFileToOpen(sheet::FileKind) override {
        return std::nullopt;
    }
    std::optional<std::filesystem::path> chooseFileToSave(sheet::FileKind,
                                                          const std::filesystem::path&) override {
        return std::nullopt;
    }
    std::error_code openDocument(const std::filesystem::path&) override { return {}; }
    void setClipboardText(const std::string&) override {}
    std::string clipboardText() override { return {}; }
    std::optional<std::vector<std::string>> editLines(const sheet::LinesForm&) override {
        return std::nullopt;
    }
    void showStatus(const std::string&) override {}
    void printEnded() override {}
    void closeWindow() override {}
};

// One keystroke in the design window's grid with ten conditions: the cell set, the conditions
// read and computed again, the governing one chosen, the sketch described, and every text of
// both grids and the summary line formed as the windows then show them.
void BM_Keystroke(benchmark::State& state) {
    const std::size_t depth = *sheet::columnIndex("depth");
    NoView view;
    sheet::DesignPresenter presenter(view, std::filesystem::temp_directory_path() / "kelnor-bench");
    presenter.start(std::nullopt);  // the first start's three conditions
    while (presenter.sheet().size() < 10) {
        presenter.duplicateCondition(presenter.sheet().size() - 1);
    }
    int key = 0;
    for (auto _ : state) {
        presenter.setCell(0, depth, (++key % 2) != 0 ? "30.5" : "30");
        std::size_t shown = presenter.evaluation().summaryZh().size();
        for (std::size_t c = 0; c < presenter.sheet().size(); ++c) {
            for (std::size_t f = 0; f < sheet::columnCount(); ++f) {
                shown += sheet::conditionCell(presenter.sheet(), presenter.evaluation(), c, f)
                             .text.size();
            }
            for (std::size_t r = 0; r < sheet::resultRowCount(); ++r) {
                shown += sheet::resultCell(presenter.evaluation(), c, r).text.size();
            }
        }
        benchmark::DoNotOptimize(shown);
        benchmark::DoNotOptimize(presenter.picture());
    }
}
BENCHMARK(BM_Keystroke)->Unit(benchmark::kMicrosecond);

// A dike of `count` sections 100 m apart, as docs/dike-example.csv has them: the flood level
// falling along the reach, grades 2 and 3, a wave wall on a town's reach, every tenth checked.
std::string reach(int count) {
    std::string csv =
        "code,GB 50286-2013\nstep,0.1\n\n"
        "section,level,ground,depth,wind,fetch,slope,roughness,standard,wall,settlement,"
        "existing_crest\n";
    for (int i = 0; i < count; ++i) {
        const int at = i * 100;
        const double level = 24.6 - 0.002 * i;
        csv += 'K';
        csv += std::to_string(at / 1000);
        csv += '+';
        csv += std::to_string(1000 + at % 1000).substr(1);
        csv += ',';
        csv += std::to_string(level);
        csv += ',';
        csv += std::to_string(level - 4.8);
        csv += ",5.5,22,";
        csv += std::to_string(1.2 + 0.3 * (i % 7));
        csv += i % 3 == 0 ? ",2.5,0.9," : ",3,0.9,";
        csv += i < count / 2 ? "50" : "30";
        csv += i % 40 < 4 ? ",1.0,3%," : ",,3%,";
        if (i % 10 == 0) {
            csv += std::to_string(level + 2.4);
        }
        csv += '\n';
    }
    return csv;
}

// A dike's sections read from the file and each computed and settled (range 1: the reach
// smoothed as well), as kelnor-calc and the window do.
void BM_DikeSections(benchmark::State& state) {
    const sheet::OpenedSheet opened =
        sheet::readSheet(csv::sourceOf(reach(static_cast<int>(state.range(0)))));
    sheet::Rows rows = opened.rows;
    design::DamTexts dam = opened.dam;
    if (state.range(1) == 1) {
        design::setDamText(dam, "smooth", "yes");
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(sheet::evaluate(rows, dam, design::DesignCode::Dike));
    }
}
BENCHMARK(BM_DikeSections)
    ->Args({24, 0})
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->Unit(benchmark::kMillisecond);

// A dike's calculation book of `count` sections: the document with its long section, written
// as HTML (range 1 = 0) or packed as a Word document (1).
void BM_DikeBook(benchmark::State& state) {
    const sheet::OpenedSheet opened =
        sheet::readSheet(csv::sourceOf(reach(static_cast<int>(state.range(0)))));
    const sheet::SheetEvaluation ev =
        sheet::evaluate(opened.rows, opened.dam, design::DesignCode::Dike);
    for (auto _ : state) {
        const design::doc::Document book =
            design::dikeBookDocument(*ev.sections, ev.computed->failures, {});
        if (state.range(1) == 0) {
            benchmark::DoNotOptimize(design::bookHtml(book));
        } else {
            benchmark::DoNotOptimize(docx::wordBook(book, docx::propertiesOf(book, {})));
        }
    }
}
BENCHMARK(BM_DikeBook)
    ->Args({24, 0})
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->Unit(benchmark::kMillisecond);

// One keystroke in a dike's grid of `count` sections: the level set, every section computed
// and settled again, the long section drawn and fitted to its pane, and the texts of the 40
// rows a window shows (each field and result) and the summary line formed.
void BM_DikeKeystroke(benchmark::State& state) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "kelnor-bench-dike";
    std::filesystem::create_directories(folder);
    const sheet::OpenedSheet opened =
        sheet::readSheet(csv::sourceOf(reach(static_cast<int>(state.range(0)))));
    sheet::saveSheet(folder / "reach.csv", opened.rows, opened.dam, design::DesignCode::Dike);
    NoView view;
    sheet::DesignPresenter presenter(view, folder / "data");
    presenter.start(folder / "reach.csv");
    const std::size_t level = *sheet::columnIndex("level", design::DesignCode::Dike);
    int key = 0;
    for (auto _ : state) {
        presenter.setCell(0, level, (++key % 2) != 0 ? "24.70" : "24.60");
        const sheet::Sheet& sheet = presenter.sheet();
        std::size_t shown = presenter.evaluation().summaryZh().size();
        for (std::size_t r = 0; r < 40 && r < sheet::gridRows(sheet); ++r) {
            for (std::size_t c = 0; c < sheet::gridColumns(sheet); ++c) {
                const sheet::GridCell at = sheet::gridCell(sheet, r, c);
                shown += at.result
                             ? sheet::resultCell(presenter.evaluation(), r, *at.result).text.size()
                             : sheet::conditionCell(sheet, presenter.evaluation(), r, *at.field)
                                   .text.size();
            }
        }
        benchmark::DoNotOptimize(shown);
        benchmark::DoNotOptimize(design::fit(presenter.picture(), 940, 260));
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}
BENCHMARK(BM_DikeKeystroke)->Arg(24)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
