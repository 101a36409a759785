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
#include "kelnor/design/drawing.h"
#include "kelnor/design/method.h"
#include "kelnor/docx/word_book.h"
#include "kelnor/platform/text_encoding.h"
#include "kelnor/sheet/design_presenter.h"
#include "kelnor/sheet/fields.h"
#include "kelnor/sheet/grid.h"

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

}  // namespace

BENCHMARK_MAIN();
