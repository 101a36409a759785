// The calculation book: self-contained HTML in Chinese, every step and table row of every
// condition, the warnings, the failed conditions, the summary with the governing condition,
// the sources; user text escaped; the coefficients it prints are the method's; and one A4
// rendering by headless Chromium.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "condition_cells.h"
#include "kelnor/design/book.h"
#include "kelnor/design/wording.h"
#include "test_files.h"

namespace kelnor::design {
namespace {

Cells row(int n, const testing_support::CellList& extra) {
    return testing_support::conditionCells(
        {{"wind", "21"}, {"slope", "3"}, {"roughness", "0.8"}, {"grade", "2"}}, extra, n);
}

// The three conditions of the example worked by hand, a steep-slope one with warnings and two
// rows that fail.
Evaluation threeConditions() {
    std::vector<Cells> rows = testing_support::exampleConditions(false);
    rows.push_back(row(4, {{"case", "<b>坝段 A&B \"陡坡\"</b>"},
                           {"depth", "30"},
                           {"fetch", "9"},
                           {"slope", "1.3"},
                           {"formula", "hedi"},
                           {"angle", "70"}}));
    rows.push_back(row(5, {{"case", "<i>缺水深</i>"}, {"depth", "-2"}, {"fetch", "3"}}));
    rows.push_back(
        row(6, {{"case", "地震"}, {"depth", "30"}, {"fetch", "3"}, {"formula", "andreyanov"}}));
    return evaluateRows(rows);
}

TEST(Book, IsOneSelfContainedHtmlPageForA4) {
    const std::string html = calculationBook(threeConditions(), {"某水库"});
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_NE(html.find("size: A4"), std::string::npos);
    EXPECT_NE(html.find("某水库坝顶超高计算书"), std::string::npos);
    for (const char* outside : {"<script", "http:", "https:", "src=", "url(", "@import", "<link"}) {
        EXPECT_EQ(html.find(outside), std::string::npos) << outside;
    }
    EXPECT_NE(html.find("</html>"), std::string::npos);
}

TEST(Book, EscapesEveryUserText) {
    const std::string html = calculationBook(threeConditions(), {"<script>x</script>"});
    EXPECT_EQ(html.find("<b>坝段"), std::string::npos);
    EXPECT_EQ(html.find("<i>缺水深"), std::string::npos);
    EXPECT_EQ(html.find("<script>"), std::string::npos);
    EXPECT_NE(html.find("&lt;b&gt;坝段 A&amp;B &quot;陡坡&quot;&lt;/b&gt;"), std::string::npos);
    EXPECT_NE(html.find("&lt;i&gt;缺水深&lt;/i&gt;"), std::string::npos);
    EXPECT_EQ(escapeHtml("a'b"), "a&#39;b");
}

TEST(Book, ShowsEveryStepWithItsValuesAndTableRows) {
    const std::string html = calculationBook(threeConditions());
    struct Row {
        const char* what;
        const char* text;
    };
    const std::vector<Row> rows = {
        // The design flood of the hand-worked case: inputs, steps, results.
        {"dimensionless fetch put in", "9.81 × 3200.0 / 21.000²"},
        {"Putian hm", "0.5451 m"},
        {"period formula", "Tm = 4.438·hm<sup>0.5</sup>"},
        {"deep-water length", "16.7612 m"},
        {"set-up values", "3.6×10<sup>−6</sup> × 21.000² × 3200.0 × 1.0000 / (2 × 9.81 × 31.500)"},
        {"Kw interpolation", "1.00 + (1.02 − 1.00) × (1.1946 − 1.00) / (1.50 − 1.00)"},
        {"Kp row", "Kp 表 hm/H &lt; 0.1 一档、P = 1 % 列：2.23 [C]"},
        {"allowance row", "安全加高表：2 级、正常运用 [C]"},
        {"check flood allowance", "安全加高表：2 级、非常运用、山区、丘陵区 [C]"},
        {"freeboard", "y = Rp + e + A + 附加高度"},
        {"crest", "101.500 + 2.727"},
        // The Hedi condition on a 1:1.3 slope: conversion to hm, the transition, Kβ held.
        {"Hedi height", "h<sub>2%</sub> = 0.00625·W<sup>1/6</sup>"},
        {"hp/hm row", "hp/hm 表 P = 2 % 列，在 hm/Hm = 0（2.23 [X]）与 0.1（2.10 [D]）之间"},
        {"steep form", "R0：查表 m = 1.25 一栏：2.50 [X]"},
        {"transition", "在 m = 1.25 与 m = 1.5 的计算值之间线性内插"},
        {"Kbeta held", "β = 70.000° 超出 Kβ 表（0～60°），取 Kβ = 0.76。"},
        {"Hedi fetch warning", "鹤地公式适用于 D &lt; 7.5 km，本工况 D = 9.000 km。"},
        // The summary and the governing condition.
        {"summary governing row", "<tr class=\"gov\"><td class=\"name\">设计洪水位</td>"},
        {"governing sentence",
         "控制工况：设计洪水位，坝顶超高 y = 2.727 m，要求坝顶高程不低于 104.227 m。"},
        {"rule with some levels missing", "部分工况未给静水位"},
        // Failed rows and why.
        {"failed depth", "第 5 行（&lt;i&gt;缺水深&lt;/i&gt;）：depth 的 “-2” 应大于 0。"},
        {"failed formula", "第 6 行（地震）：formula 的 “andreyanov” 不是可选之值。"},
        // Sources and standing.
        {"ratio source", "格鲁霍夫斯基分布"},
        {"allowance source", "4、5 级坝之值经核实 [C]"},
        {"Kbeta source", "常见转引，未能核实 [M]"},
    };
    for (const auto& r : rows) {
        EXPECT_NE(html.find(r.text), std::string::npos) << r.what << ": " << r.text;
    }
}

TEST(Book, WithoutWarningsOrConditionsSaysSo) {
    const std::string none = calculationBook(evaluate({}));
    EXPECT_NE(none.find("无可计算的工况。"), std::string::npos);
    const Evaluation one =
        evaluateRows({row(1, {{"case", "正常蓄水位"}, {"depth", "30"}, {"fetch", "3"}})});
    const std::string html = calculationBook(one);
    EXPECT_NE(html.find("无。各公式均在其来源给出的适用范围内使用。"), std::string::npos);
    EXPECT_NE(html.find("各工况均未给静水位，控制工况（★）取坝顶超高 y 最大者。"),
              std::string::npos);
}

// The number a printed figure reads back to, "−" read as the minus sign.
double readBack(std::string_view text) {
    const std::string_view minus = "−";
    const bool negative = text.starts_with(minus);
    const std::string digits(negative ? text.substr(minus.size()) : text);
    const double v = std::strtod(digits.c_str(), nullptr);
    return negative ? -v : v;
}

Condition waves(WaveFormula formula, double wind, double fetchKm, double depth) {
    Condition c = testing_support::waveCondition(formula, wind, fetchKm, depth);
    c.label = "x";
    return c;
}

TEST(Book, PrintsTheMethodsOwnCoefficients) {
    // One book for each formula; every coefficient it prints, in the formula and in the values
    // put in, must read back to the constant the method computes with. Guanting is read on
    // both sides of gD/W² = 250; the Putian book has a shallow condition whose waves break.
    Condition breaking = waves(WaveFormula::Putian, 20, 5, 1.5);
    breaking.meanDepth = 10;
    const std::string putian =
        calculationBook(evaluate({waves(WaveFormula::Putian, 21, 3, 30), breaking}));
    const std::string hedi = calculationBook(evaluate({waves(WaveFormula::Hedi, 15, 4, 40)}));
    const std::string guanting = calculationBook(evaluate(
        {waves(WaveFormula::Guanting, 15, 3, 25), waves(WaveFormula::Guanting, 10, 5, 25)}));
    const std::string N = "([0-9.]+)";
    const std::string F = "((?:−)?[0-9.]+)/([0-9.]+)";  // a power as a fraction
    struct Row {
        const std::string* book;
        std::string pattern;
        std::vector<double> constants;
    };
    const std::vector<Row> rows = {
        {&putian, "g = " + N + " m/s²", {kG}},
        {&putian, ">" + N + " × [0-9.]+ / [0-9.]+²<", {kG}},
        {&putian,
         "a = " + N + "·th\\[" + N + "·\\(gHm/W²\\)<sup>" + N + "</sup>\\]",
         {kPutianHeight, kPutianDepthFactor, kPutianDepthPower}},
        {&putian,
         ">" + N + " × th\\[" + N + " × [0-9.]+<sup>" + N + "</sup>\\]<",
         {kPutianHeight, kPutianDepthFactor, kPutianDepthPower}},
        {&putian,
         "ghm/W² = a·th\\[" + N + "·\\(gD/W²\\)<sup>" + N + "</sup> / a\\]",
         {kPutianFetchFactor, kPutianFetchPower}},
        {&putian,
         " × th\\[" + N + " × [0-9.]+<sup>" + N + "</sup> / ",
         {kPutianFetchFactor, kPutianFetchPower}},
        {&putian, "Tm = " + N + "·hm<sup>0.5</sup>", {kPutianPeriod}},
        {&putian, ">" + N + " × [0-9.]+<sup>0.5</sup><", {kPutianPeriod}},
        {&putian, "H ≥ " + N + "·L0", {kDeepWaterDepthRatio}},
        {&putian, N + "·hm ≥ " + N + "·H", {Limits::deepWaterRatio1, Limits::breakingRatio}},
        {&hedi,
         "h<sub>2%</sub> = " + N + "·W<sup>" + F + "</sup>·\\(gD/W²\\)<sup>" + F + "</sup>·W²/g",
         {kHediHeight, kHediHeightWindPower.numerator, kHediHeightWindPower.denominator,
          kHediHeightFetchPower.numerator, kHediHeightFetchPower.denominator}},
        {&hedi,
         ">" + N + " × [0-9.]+<sup>" + F + "</sup> × [0-9.]+<sup>" + F + "</sup> × ",
         {kHediHeight, kHediHeightWindPower.numerator, kHediHeightWindPower.denominator,
          kHediHeightFetchPower.numerator, kHediHeightFetchPower.denominator}},
        {&hedi,
         "Lm = " + N + "·\\(gD/W²\\)<sup>" + F + "</sup>·W²/g",
         {kHediLength, kHediLengthFetchPower.numerator, kHediLengthFetchPower.denominator}},
        {&hedi,
         ">" + N + " × [0-9.]+<sup>" + F + "</sup> × [0-9.]+² / " + N + "<",
         {kHediLength, kHediLengthFetchPower.numerator, kHediLengthFetchPower.denominator, kG}},
        {&guanting,
         "h<sub>5%</sub> = " + N + "·W<sup>" + F + "</sup>·\\(gD/W²\\)<sup>" + F + "</sup>·W²/g",
         {kGuantingHeight, kGuantingHeightWindPower.numerator, kGuantingHeightWindPower.denominator,
          kGuantingHeightFetchPower.numerator, kGuantingHeightFetchPower.denominator}},
        {&guanting,
         "h<sub>10%</sub> = " + N + "·W<sup>" + F + "</sup>",
         {kGuantingHeight, kGuantingHeightWindPower.numerator,
          kGuantingHeightWindPower.denominator}},
        {&guanting,
         ">" + N + " × [0-9.]+<sup>" + F + "</sup> × [0-9.]+<sup>" + F + "</sup> × ",
         {kGuantingHeight, kGuantingHeightWindPower.numerator, kGuantingHeightWindPower.denominator,
          kGuantingHeightFetchPower.numerator, kGuantingHeightFetchPower.denominator}},
        {&guanting,
         "Lm = " + N + "·W<sup>" + F + "</sup>·\\(gD/W²\\)<sup>" + F + "</sup>·W²/g",
         {kGuantingLength, kGuantingLengthWindPower.numerator, kGuantingLengthWindPower.denominator,
          kGuantingLengthFetchPower.numerator, kGuantingLengthFetchPower.denominator}},
        {&guanting, "gD/W² ≤ " + N + "，所得为 h<sub>5%</sub>", {Limits::guantingGdSplit}},
        {&guanting, "gD/W² &gt; " + N + "，所得为 h<sub>10%</sub>", {Limits::guantingGdSplit}},
    };
    for (const auto& row : rows) {
        std::smatch m;
        ASSERT_TRUE(std::regex_search(*row.book, m, std::regex(row.pattern))) << row.pattern;
        ASSERT_EQ(m.size(), row.constants.size() + 1) << row.pattern;
        for (std::size_t i = 0; i < row.constants.size(); ++i) {
            EXPECT_EQ(readBack(m[i + 1].str()), row.constants[i])
                << row.pattern << " group " << i + 1;
        }
    }
    // K of the wind set-up, printed as a power of ten.
    std::smatch k;
    ASSERT_TRUE(
        std::regex_search(putian, k, std::regex("K = ([0-9.]+)×10<sup>((?:−)?)([0-9]+)</sup>")));
    const std::string exponent = (k[2].length() > 0 ? "-" : "") + k[3].str();
    EXPECT_EQ(readBack(k[1].str() + "e" + exponent), kSetupK);
}

TEST(Book, SectionsAreNumberedInOrderAndReferredToByTheirNumbers) {
    const std::string html = calculationBook(threeConditions());
    const std::regex heading("<h2[^>]*>([0-9]+) ([^<]+)</h2>");
    std::vector<std::string> titles;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), heading);
         it != std::sregex_iterator(); ++it) {
        EXPECT_EQ((*it)[1].str(), std::to_string(titles.size() + 1)) << (*it)[2];
        titles.push_back((*it)[2]);
    }
    ASSERT_EQ(titles.size(), 7u);
    const auto numberOf = [&](const std::string& title) {
        for (std::size_t i = 0; i < titles.size(); ++i) {
            if (titles[i] == title) {
                return std::to_string(i + 1);
            }
        }
        return std::string("?");
    };
    // The method's paragraph points at the summary, the calculations and the sources; each
    // condition's heading is numbered under the calculations.
    EXPECT_NE(html.find("成果汇总见第 " + numberOf("成果汇总") + " 节"), std::string::npos);
    EXPECT_NE(html.find("查表见第 " + numberOf("各工况计算") + " 节"), std::string::npos);
    EXPECT_NE(html.find("表的来源见第 " + numberOf("资料来源") + " 节"), std::string::npos);
    EXPECT_NE(html.find("取用值见第 " + numberOf("坝顶高程的确定") + " 节"), std::string::npos);
    EXPECT_NE(html.find("<h3>" + numberOf("各工况计算") + ".4 "), std::string::npos);
}

TEST(Book, EveryLessThanStartsATagAndEveryAmpersandAReference) {
    // Plain text is escaped wherever it comes from: user labels, the wording, the program's
    // own notes (H < 0.5·L0, 1.25 < m < 1.5) and the tables' sources (hm/H < 0.1).
    Evaluation ev = threeConditions();
    for (const char* depth : {"2", "0.4"}) {
        ev.results.push_back(compute(waves(WaveFormula::Putian, 18, 4, std::stod(depth))));
    }
    const std::string html = calculationBook(ev, {{"<&\"'>"}, true});
    const std::regex stray("<[^a-zA-Z/!]|&(?![a-z]+;|#[0-9]+;)");
    std::smatch m;
    if (std::regex_search(html, m, stray)) {
        ADD_FAILURE() << "stray " << m.str() << " in: "
                      << m.prefix().str().substr(m.prefix().length() > 60 ? m.prefix().length() - 60
                                                                          : 0);
    }
    EXPECT_NE(html.find("平均爬高（1.25 &lt; m &lt; 1.5）"), std::string::npos);
    EXPECT_NE(html.find("H &lt; 0.5·L0，非深水波"), std::string::npos);
}

TEST(Book, ValuesNoReservoirHasAreWarnedAsTheProgramsOwnChecks) {
    // A fetch typed in metres: 3000 "km" with W = 20 m/s and H = 30 m gives e = 7.34 m.
    struct Row {
        const char* name;
        Condition condition;
        const char* text;
    };
    Condition meanDepth = waves(WaveFormula::Putian, 10, 1, 5);
    meanDepth.meanDepth = 0.4;
    const std::vector<Row> rows = {
        {"fetch in metres", waves(WaveFormula::Putian, 20, 3000, 30),
         "吹程 D = 3000.000 km，大于 100 km（此判别为本程序所加，非规范条文），"
         "请核对是否误以 m 为单位输入。"},
        {"set-up", waves(WaveFormula::Putian, 20, 3000, 30),
         "风壅水面高 e = 7.3394 m，大于风区平均水深 Hm 的 0.2 倍 6.000 m"
         "（此判别为本程序所加，非规范条文）"},
        {"shallow depth", waves(WaveFormula::Putian, 10, 1, 0.4),
         "坝前水深 H = 0.400 m，小于 0.5 m（此判别为本程序所加，非规范条文）"},
        {"shallow mean depth", meanDepth,
         "风区平均水深 Hm = 0.400 m，小于 0.5 m（此判别为本程序所加，非规范条文）"},
    };
    for (const auto& row : rows) {
        const std::string html = calculationBook(evaluate({row.condition}));
        // In the condition's own list and again, under its name, in the section of warnings.
        EXPECT_NE(html.find("<li>" + std::string(row.text)), std::string::npos) << row.name;
        EXPECT_NE(html.find("<li>x：" + std::string(row.text)), std::string::npos) << row.name;
    }
}

TEST(Wording, EveryColumnHasItsChineseNameAndTheBookListsThem) {
    // The earthquake's two rows are listed where a condition is one, the rays where a
    // condition's fetch comes from them.
    Evaluation ev = threeConditions();
    Condition quake = ev.results[0].condition;
    quake.operation = Operation::Earthquake;
    quake.surge = 1.0;
    quake.rays = equivalentFetch({3, 3, 3, 3, 3, 3, 3});
    quake.fetchKm = quake.rays->fe;
    ev.results.push_back(compute(quake));
    const std::string html = calculationBook(ev);
    const std::string plain = calculationBook(threeConditions());
    EXPECT_EQ(plain.find(escapeHtml(columnZh("surge"))), std::string::npos);
    EXPECT_EQ(plain.find(escapeHtml(columnZh("fetch_rays"))), std::string::npos);
    // The rays' step: seven rays of 3 km, 15° apart, give 3 × 0.88284 = 2.649 km.
    EXPECT_NE(html.find("Fe = Σrᵢ·cos²αᵢ / Σcos αᵢ"), std::string::npos);
    EXPECT_NE(html.find("<td class=\"num\">2.649 km</td>"), std::string::npos);
    EXPECT_NE(html.find("−45°：3.000、−30°：3.000"), std::string::npos);
    EXPECT_EQ(plain.find("Fe = Σrᵢ·cos²αᵢ"), std::string::npos);
    std::set<std::string_view> names;
    for (const std::string_view column : conditionColumns()) {
        const std::string_view zh = columnZh(column);
        EXPECT_FALSE(zh.empty()) << column;
        EXPECT_TRUE(names.insert(zh).second) << column << " shares its name";
        if (column != "case") {
            EXPECT_NE(html.find("<tr><td>" + escapeHtml(zh) + "</td>"), std::string::npos)
                << column;
        }
    }
    EXPECT_EQ(columnZh("case"), "工况名称");
    EXPECT_EQ(columnZh("colour"), "");
}

TEST(Book, ThePictureIsOneSvgUnderTheSummaryAndChangesNothingElse) {
    const Evaluation ev = threeConditions();
    const std::string plainBook = calculationBook(ev, {"某水库"});
    const std::string pictured = calculationBook(ev, {{"某水库"}, true});
    EXPECT_EQ(plainBook, calculationBook(ev, {{"某水库"}, false}));
    EXPECT_EQ(plainBook.find("<svg"), std::string::npos);
    const auto svg = pictured.find("<svg");
    ASSERT_NE(svg, std::string::npos);
    EXPECT_EQ(pictured.find("<svg", svg + 1), std::string::npos) << "exactly one picture";
    // It follows the governing sentence of the summary, before the calculations; taken out
    // again, what is left is the book without it.
    const auto summary = pictured.find("控制工况：设计洪水位");
    const auto calculations = pictured.find("<h2 class=\"newpage\">");
    EXPECT_LT(summary, svg);
    EXPECT_LT(svg, calculations);
    const auto start = pictured.rfind("<p class=\"keep\">", svg);
    const auto end = pictured.find("</p>\n", svg) + 5;
    EXPECT_EQ(start + 16, svg);
    EXPECT_EQ(pictured.substr(0, start) + pictured.substr(end), plainBook);
    EXPECT_NE(pictured.find("控制工况 设计洪水位 的坝顶超高示意"), std::string::npos);
    // Nothing computed: no picture.
    EXPECT_EQ(calculationBook(evaluate({}), {{""}, true}).find("<svg"), std::string::npos);
}

TEST(Book, TheDesignWindFromTheAnnualMaximumIsAStepWithItsFactorsSourceAndStanding) {
    // Each condition with an annual maximum of 15 m/s: the step, the factor's rule for its
    // grade and operation, and what the table of conditions shows.
    struct Row {
        const char* name;
        testing_support::CellList cells;
        std::vector<const char*> texts;
    };
    const std::vector<Row> rows = {
        {"grade 4, normal",
         {{"grade", "4"}},
         {"<td>计算风速</td><td class=\"f\">W = 风速倍数 × 多年平均年最大风速</td>"
          "<td class=\"f\">1.50 × 15.00</td><td class=\"num\">22.50 m/s</td>",
          "按运用条件：规范正常运用 3～5 级坝取 1.50 倍 [M]", "22.50（按年最大风速）",
          "1.50（按运用条件）"}},
        {"grade 2, normal: the range and the factor used",
         {{"grade", "2"}},
         {"1.50 × 15.00", "规范正常运用 1、2 级坝取 1.50～2.00 倍，本计算取 1.50 倍 [M]"}},
        {"abnormal",
         {{"grade", "4"}, {"operation", "abnormal"}},
         {"1.00 × 15.00", "15.00 m/s", "规范非常运用取 1.00 倍 [M]", "1.00（按运用条件）"}},
        {"a factor given",
         {{"grade", "1"}, {"wind_factor", "1.75"}},
         {"1.75 × 15.00", "26.25 m/s", "倍数为输入值；规范正常运用 1、2 级坝取 1.50～2.00 倍 [M]",
          "<td class=\"num\">1.75</td>"}},
        {"a factor outside the range",
         {{"grade", "3"}, {"wind_factor", "2.2"}},
         {"<li>风速倍数 2.20 不在 1.00～2.00 之间（正常运用 1.50～2.00 倍，非常运用 1.00 倍），"
          "请核对。</li>"}},
    };
    for (const auto& r : rows) {
        testing_support::CellList cells = {
            {"case", "甲"}, {"wind", ""}, {"wind_max", "15"}, {"depth", "30"}, {"fetch", "3"}};
        cells.insert(cells.end(), r.cells.begin(), r.cells.end());
        const std::string html = calculationBook(evaluateRows({row(1, cells)}));
        for (const char* text : r.texts) {
            EXPECT_NE(html.find(text), std::string::npos) << r.name << ": " << text;
        }
    }
    // A W typed has no such step, and the maximum and factor rows show a dash.
    const std::string typed = calculationBook(threeConditions());
    EXPECT_EQ(typed.find("<td>计算风速</td>"), std::string::npos);
    EXPECT_NE(typed.find("<tr><td>风速倍数</td><td class=\"num\">—</td>"), std::string::npos);
    // The factor's source is among the sources.
    EXPECT_NE(typed.find("<b>计算风速 W 与多年平均年最大风速之比</b>"), std::string::npos);
}

TEST(Book, AnEarthquakesFreeboardAddsUpToItsY) {
    const std::string html = calculationBook(evaluateRows({row(1, {{"case", "地震情况"},
                                                                   {"level", "100"},
                                                                   {"depth", "30"},
                                                                   {"fetch", "3"},
                                                                   {"operation", "earthquake"},
                                                                   {"surge", "0.5"},
                                                                   {"quake_settlement", "0.2"}})}));
    // Rp + e + A + the extra height + B, B = 0.5 of surge + 0.2 of settlement:
    // 1.6712 + 0.0081 + 0.50 + 0.00 + 0.70 = 2.8793, printed 2.879.
    const std::string head = "<td>坝顶超高</td><td class=\"f\">y = Rp + e + A + 附加高度 + B</td>";
    const auto at = html.find(head);
    ASSERT_NE(at, std::string::npos);
    const std::regex cells("^<td class=\"f\">([^<]*)</td><td class=\"num\">([0-9.]+) m</td>");
    std::smatch m;
    const std::string rest = html.substr(at + head.size());
    ASSERT_TRUE(std::regex_search(rest, m, cells)) << rest.substr(0, 200);
    EXPECT_EQ(m[1], "1.6712 + 0.0081 + 0.50 + 0.00 + 0.70");
    EXPECT_EQ(m[2], "2.879");
    double sum = 0;
    const std::string terms = m[1];
    for (std::size_t from = 0; from < terms.size();) {
        const std::size_t plus = terms.find(" + ", from);
        sum += std::stod(terms.substr(from, plus - from));
        from = plus == std::string::npos ? terms.size() : plus + 3;
    }
    EXPECT_NEAR(sum, std::stod(m[2]), 0.0005);
}

TEST(Book, TheTitleBlockHasEachNameGivenAndABlankToSignForEachNot) {
    BookOptions o;
    o.title.project = "某水库<扩建>";
    o.title.stage = "初步设计";
    o.title.by = "张三";
    o.title.reviewedBy = "王五";
    o.title.date = "2024-05-01";
    const std::string html = calculationBook(threeConditions(), o);
    EXPECT_NE(html.find("<table class=\"titleblock\">\n"
                        "<tr><th>工程名称</th><td colspan=\"5\">某水库&lt;扩建&gt;</td></tr>\n"
                        "<tr><th>设计阶段</th><td colspan=\"3\">初步设计</td>"
                        "<th>日期</th><td>2024-05-01</td></tr>\n"
                        "<tr class=\"sign\"><th>计算</th><td>张三</td><th>校核</th><td></td>"
                        "<th>审查</th><td>王五</td></tr>\n</table>"),
              std::string::npos);
    // It stands at the head, before the first section; the book has one.
    EXPECT_LT(html.find("class=\"titleblock\""), html.find("<h2>"));
    EXPECT_EQ(html.find("class=\"titleblock\"", html.find("class=\"titleblock\"") + 1),
              std::string::npos);
    // Nothing given: every cell blank, no date made up.
    const std::string blank = calculationBook(threeConditions());
    EXPECT_NE(blank.find("<th>日期</th><td></td>"), std::string::npos);
    EXPECT_NE(blank.find("<th>计算</th><td></td><th>校核</th><td></td><th>审查</th><td></td>"),
              std::string::npos);
}

TEST(Book, EachPrintedPageIsHeadedByTheTitleWrittenAsAStyleSheetString) {
    // The title's head comes from the page's style sheet, where a quote, backslash, "<" or
    // line break of the project's name could end the string or the style element.
    struct Row {
        const char* project;
        const char* rule;
    };
    const std::vector<Row> rows = {
        {"", "@page { @top-center { content: \"坝顶超高计算书\"; } }\n</style>"},
        {"某水库 A1", "content: \"某水库 A1坝顶超高计算书\";"},
        {"\"}</style><b>\\\n",
         "content: \"\\22 \\7d \\3c \\2f style\\3e \\3c b\\3e \\5c \\0a 坝顶超高计算书\";"},
    };
    for (const auto& r : rows) {
        const std::string html = calculationBook(threeConditions(), {r.project});
        EXPECT_NE(html.find(r.rule), std::string::npos) << r.rule;
        EXPECT_EQ(html.find("</style>"), html.rfind("</style>")) << "one style element";
    }
    // The foot is the style sheet's own: the page of the pages.
    EXPECT_NE(calculationBook(threeConditions())
                  .find("content: \"第 \" counter(page) \" 页 共 \" counter(pages) \" 页\";"),
              std::string::npos);
}

// Prints the book to PDF with headless Chromium: it must load as A4 pages without a network.
class BookRendering : public kelnor::testing_support::TemporaryFolderTest {};

TEST_F(BookRendering, ChromiumPrintsItOnA4) {
    if (std::system("command -v chromium >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "chromium is not installed (scripts/setup installs it)";
    }
    const auto html = dir / "book.html";
    const auto pdf = dir / "book.pdf";
    std::ofstream(html, std::ios::binary) << calculationBook(threeConditions(), {"某水库"});
    const std::string command =
        "chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
        "--disable-background-networking --disable-component-update --disable-sync "
        "--user-data-dir=" +
        (dir / "profile").string() + " --no-pdf-header-footer --print-to-pdf=" + pdf.string() +
        " file://" + html.string() + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string bytes = kelnor::testing_support::slurp(pdf);
    ASSERT_EQ(bytes.rfind("%PDF-", 0), 0u);
    // A4 is 595 × 842 points.
    EXPECT_NE(bytes.find("/MediaBox [0 0 594.9"), std::string::npos);
    EXPECT_NE(bytes.find(" 841.9"), std::string::npos);

    // Every page carries the book's title at its head and its number of the pages at its foot,
    // from the book's own style sheet (the browser's own are off). pdftotext drops the blanks
    // between Chinese words and reads the head and foot in no set place, so each page's text
    // is searched without blanks.
    if (std::system("command -v pdftotext >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "pdftotext is not installed (scripts/setup installs poppler-utils)";
    }
    const auto text = dir / "book.txt";
    ASSERT_EQ(std::system(("pdftotext " + pdf.string() + " " + text.string()).c_str()), 0);
    std::vector<std::string> pages{""};
    for (const char c : kelnor::testing_support::slurp(text)) {
        if (c == '\f') {
            pages.emplace_back();
        } else if (c != ' ' && c != '\n') {
            pages.back() += c;
        }
    }
    if (pages.back().empty()) {
        pages.pop_back();  // after the last page's form feed
    }
    ASSERT_GT(pages.size(), 1u);
    const std::string count = std::to_string(pages.size());
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const std::string foot = "第" + std::to_string(i + 1) + "页共" + count + "页";
        EXPECT_NE(pages[i].find("某水库坝顶超高计算书"), std::string::npos) << "page " << i + 1;
        EXPECT_NE(pages[i].find(foot), std::string::npos) << "page " << i + 1 << ": " << foot;
    }
}

}  // namespace
}  // namespace kelnor::design
