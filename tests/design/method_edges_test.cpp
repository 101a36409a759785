// The tables cell by cell against a second reading of the code's tables, the Kp bands at their
// edges, the Guanting h5%/h10% split at g·D/W² = 250 in the method and in the book, hp/hm read
// at the mean depth along the fetch, and the digits of the freeboard row in the book.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "condition_cells.h"
#include "kelnor/design/book.h"
#include "kelnor/design/method.h"
#include "kelnor/design/tables.h"

namespace kelnor::design {
namespace {

using testing_support::waveCondition;

TEST(TableCells, SafetyAllowanceByGradeOperationAndRegion) {
    struct Row {
        const char* what;
        Operation operation;
        Region region;
        std::array<double, 5> byGrade;  // grades 1 to 5; 4 and 5 share a column
    };
    const std::vector<Row> rows = {
        {"normal, mountain", Operation::Normal, Region::Mountain, {1.50, 1.00, 0.70, 0.50, 0.50}},
        {"normal, plain", Operation::Normal, Region::Plain, {1.50, 1.00, 0.70, 0.50, 0.50}},
        {"abnormal, mountain",
         Operation::Abnormal,
         Region::Mountain,
         {0.70, 0.50, 0.40, 0.30, 0.30}},
        {"abnormal, plain", Operation::Abnormal, Region::Plain, {1.00, 0.70, 0.50, 0.30, 0.30}},
    };
    for (const auto& row : rows) {
        for (int grade = 1; grade <= 5; ++grade) {
            EXPECT_EQ(lookUpAllowance(grade, row.operation, row.region).value,
                      row.byGrade[static_cast<std::size_t>(grade - 1)])
                << row.what << ", grade " << grade;
        }
    }
}

// Rp/Rm, bands hm/H < 0.1, 0.1 to 0.3, > 0.3; columns P = 0.1 ... 50 %.
constexpr std::array<double, 10> kP = {0.1, 1, 2, 4, 5, 10, 14, 20, 30, 50};
constexpr std::array<std::array<double, 10>, 3> kRpOverRm = {{
    {2.66, 2.23, 2.07, 1.90, 1.84, 1.64, 1.53, 1.39, 1.22, 0.96},
    {2.44, 2.08, 1.94, 1.80, 1.75, 1.57, 1.48, 1.36, 1.21, 0.97},
    {2.13, 1.86, 1.76, 1.65, 1.61, 1.48, 1.39, 1.31, 1.19, 0.99},
}};

TEST(TableCells, KpEveryBandAndColumn) {
    ASSERT_EQ(kKpColumns.size(), kP.size());
    for (std::size_t j = 0; j < kP.size(); ++j) {
        EXPECT_EQ(kKpColumns[j], kP[j]) << "column " << j;
    }
    const auto rows = kpTable();
    ASSERT_EQ(rows.size(), 3u);
    const std::array<KpBand, 3> bands = {KpBand::Below01, KpBand::From01To03, KpBand::Above03};
    const std::array<double, 3> inBand = {0.05, 0.2, 0.4};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].band, bands[i]) << "row " << i;
        for (std::size_t j = 0; j < kP.size(); ++j) {
            EXPECT_EQ(rows[i].kp[j], kRpOverRm[i][j]) << "band " << i << ", P " << kP[j];
            EXPECT_EQ(lookUpKp(inBand[i], kP[j]).value, kRpOverRm[i][j])
                << "hm/H " << inBand[i] << ", P " << kP[j];
        }
    }
}

TEST(TableCells, KpBandAtAndEitherSideOfItsEdges) {
    struct Row {
        double hmOverH;
        std::size_t band;  // 0: < 0.1, 1: 0.1 to 0.3, 2: > 0.3
    };
    const std::vector<Row> rows = {
        {0.0999, 0}, {std::nextafter(0.1, 0.0), 0}, {0.1, 1}, {0.1001, 1}, {0.2999, 1}, {0.3, 1},
        {0.3001, 2},
    };
    for (const auto& row : rows) {
        for (const double P : {1.0, 5.0}) {
            const std::size_t col = P == 1.0 ? 1 : 4;
            EXPECT_EQ(lookUpKp(row.hmOverH, P).value, kRpOverRm[row.band][col])
                << "hm/H " << row.hmOverH << ", P " << P;
        }
    }
}

TEST(TableCells, OneDimensionalTablesAtEveryPoint) {
    struct Point {
        double x, y;
    };
    struct Table {
        const char* name;
        Lookup (*lookUp)(double);
        std::size_t size;
        std::vector<Point> points;
    };
    const std::vector<Table> tables = {
        {"Kbeta",
         lookUpKbeta,
         kbetaTable().size(),
         {{0, 1.00}, {10, 0.98}, {20, 0.96}, {30, 0.92}, {40, 0.87}, {50, 0.82}, {60, 0.76}}},
        {"Kw",
         lookUpKw,
         kwTable().size(),
         {{1, 1.00},
          {1.5, 1.02},
          {2, 1.08},
          {2.5, 1.16},
          {3, 1.22},
          {3.5, 1.25},
          {4, 1.28},
          {5, 1.30}}},
        {"R0", lookUpR0, r0Table().size(), {{0, 1.24}, {0.5, 1.45}, {1.0, 2.20}, {1.25, 2.50}}},
    };
    for (const auto& t : tables) {
        EXPECT_EQ(t.size, t.points.size()) << t.name;
        for (const auto& p : t.points) {
            EXPECT_EQ(t.lookUp(p.x).value, p.y) << t.name << " at " << p.x;
        }
    }
}

TEST(TableCells, HpOverHmDeepWaterRow) {
    const std::vector<std::pair<double, double>> row = {
        {0.1, 2.97}, {1, 2.42}, {2, 2.23}, {5, 1.95}, {10, 1.71}};
    for (const auto& [P, ratio] : row) {
        EXPECT_EQ(lookUpRatio(0, P).value, ratio) << "P " << P;
    }
}

TEST(TableCells, RoughnessOfEachSlopeSurface) {
    struct Row {
        const char* name;  // part of the surface's Chinese name
        double low, high;
    };
    const std::vector<Row> rows = {
        {"沥青混凝土", 1.00, 1.00}, {"混凝土板", 0.90, 0.90},   {"草皮", 0.85, 0.90},
        {"砌石", 0.75, 0.80},       {"不透水基础", 0.60, 0.65}, {"（透水基础）", 0.50, 0.55},
    };
    const auto surfaces = roughnessTable();
    ASSERT_EQ(surfaces.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_NE(surfaces[i].nameZh.find(rows[i].name), std::string_view::npos) << i;
        EXPECT_EQ(surfaces[i].low, rows[i].low) << rows[i].name;
        EXPECT_EQ(surfaces[i].high, rows[i].high) << rows[i].name;
    }
}

// The cells of the step row named `step` in the section of condition `name` of the book.
std::vector<std::string> stepCells(const std::string& html, const std::string& name,
                                   const std::string& step) {
    const std::size_t section = html.find(" " + name + "</h3>");
    const std::size_t start = html.find("<tr><td>" + step + "</td>", section);
    if (section == std::string::npos || start == std::string::npos) {
        return {};
    }
    const std::size_t end = html.find("</tr>", start);
    std::vector<std::string> cells;
    for (std::size_t at = html.find("<td", start); at < end; at = html.find("<td", at)) {
        at = html.find('>', at) + 1;
        cells.push_back(html.substr(at, html.find("</td>", at) - at));
    }
    return cells;
}

TEST(Guanting, HeightOfFivePercentUpToAndAt250AndTenPercentAbove) {
    // The doubles next to 4.36 km put g·D/W² a few units of its last place either side of 250.
    const double below = std::nextafter(4.36, 0.0);
    const double above = std::nextafter(4.36, 5.0);
    struct Row {
        double wind, fetchKm;
        double gD;  // on the same side of 250 as the method's g·D/W², or exactly 250
        double hpP;
        const char* bookSays;
    };
    const char* const fivePercent = "gD/W² ≤ 250，所得为 h<sub>5%</sub>";
    const char* const tenPercent = "gD/W² &gt; 250，所得为 h<sub>10%</sub>";
    const std::vector<Row> rows = {
        {10, 2.54, 249.174, 5, fivePercent},  {13.08, below, 249.9999999, 5, fivePercent},
        {13.08, 4.36, 250.0, 5, fivePercent}, {13.08, above, 250.0000001, 10, tenPercent},
        {10, 2.6, 255.06, 10, tenPercent},    {10, 2.65, 259.965, 10, tenPercent},
    };
    const auto side = [](double gD) { return (gD > 250) - (gD < 250); };
    for (const auto& row : rows) {
        Condition c = waveCondition(WaveFormula::Guanting, row.wind, row.fetchKm, 30);
        c.label = "官厅";
        const Result r = compute(c);
        ASSERT_NEAR(r.waves.gD_W2, row.gD, 1e-6) << row.fetchKm;
        ASSERT_EQ(side(r.waves.gD_W2), side(row.gD)) << "pick a W and D on the side of 250 meant";
        EXPECT_EQ(r.waves.hpP, row.hpP) << "gD/W² " << row.gD;
        EXPECT_EQ(r.waves.ratio.P, row.hpP) << "gD/W² " << row.gD;
        const auto cells = stepCells(calculationBook(evaluate({c})), "官厅", "官厅公式");
        ASSERT_EQ(cells.size(), 5u) << "gD/W² " << row.gD;
        EXPECT_EQ(cells[4], row.bookSays) << "gD/W² " << row.gD;
    }
}

TEST(HpOverHm, IsReadAtTheMeanDepthAlongTheFetchNotTheDepthAtTheDam) {
    struct Row {
        const char* what;
        WaveFormula formula;
        double wind, fetchKm;
    };
    const std::vector<Row> rows = {
        {"Hedi", WaveFormula::Hedi, 15, 3},
        {"Guanting", WaveFormula::Guanting, 15, 3},
    };
    const double H = 30;
    const double Hm = 3;
    for (const auto& row : rows) {
        const Result shallow = compute(waveCondition(row.formula, row.wind, row.fetchKm, H, Hm));
        const Result deep = compute(waveCondition(row.formula, row.wind, row.fetchKm, H, H));
        const Waves& w = shallow.waves;
        // hm/Hm is past the first span of the table, where hm/H would not be.
        EXPECT_GT(w.hm / Hm, 0.1) << row.what;
        EXPECT_LT(w.hm / H, 0.1) << row.what;
        EXPECT_NEAR(w.ratio.hmOverHm, w.hm / Hm, 1e-12) << row.what;
        // The converged hm is the formula's height over the table's ratio at its own hm/Hm.
        EXPECT_NEAR(w.hm, w.hp / lookUpRatio(w.hm / Hm, w.hpP).value, 1e-12) << row.what;
        // A shallower fetch lowers hp/hm and so raises hm from the same hp.
        EXPECT_EQ(w.hp, deep.waves.hp) << row.what;
        EXPECT_GT(w.hm, deep.waves.hm * 1.02) << row.what;
        EXPECT_LT(w.ratio.value, deep.waves.ratio.value) << row.what;
    }
}

TEST(Book, FreeboardRowShowsYToTheDigitsOfTheCrest) {
    // The conditions of docs/book-example.csv; the design flood governs with
    // y = 104.22284981178971 − 101.50 m.
    const Evaluation ev = evaluateRows(testing_support::exampleConditions());
    ASSERT_EQ(ev.results.size(), 3u);
    ASSERT_EQ(ev.governing, 1u);
    ASSERT_NEAR(*ev.results[1].crest, 104.22284981178971, 1e-9);
    const std::string html = calculationBook(ev);
    const auto y = stepCells(html, "设计洪水位", "坝顶超高");
    const auto crest = stepCells(html, "设计洪水位", "坝顶高程");
    ASSERT_EQ(y.size(), 5u);
    ASSERT_EQ(crest.size(), 5u);
    EXPECT_EQ(y[3], "2.723 m");
    EXPECT_EQ(crest[2], "101.500 + 2.723");
    EXPECT_EQ(crest[3], "104.223 m");
}

}  // namespace
}  // namespace kelnor::design
