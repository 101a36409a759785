// The calculation book: self-contained HTML in Chinese, every step and table row of every
// condition, the warnings, the failed conditions, the summary with the governing condition,
// the sources; user text escaped; and one A4 rendering by headless Chromium.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "kelnor/design/book.h"
#include "test_files.h"

namespace kelnor::design {
namespace {

Cells row(int n, std::vector<std::pair<std::string, std::string>> extra) {
    std::vector<std::pair<std::string, std::string>> cells = {
        {"wind", "21"}, {"slope", "3"}, {"roughness", "0.8"}, {"grade", "2"}};
    for (auto& [column, text] : extra) {
        bool replaced = false;
        for (auto& cell : cells) {
            if (cell.first == column) {
                cell.second = text;
                replaced = true;
            }
        }
        if (!replaced) {
            cells.emplace_back(column, text);
        }
    }
    return {n, cells};
}

// The three usual conditions, a steep-slope one with warnings and two rows that fail.
Evaluation threeConditions() {
    return evaluateRows({
        row(1, {{"case", "正常蓄水位"}, {"level", "100"}, {"depth", "30"}, {"fetch", "3"}}),
        row(2, {{"case", "设计洪水位"}, {"level", "101.5"}, {"depth", "31.5"}, {"fetch", "3.2"}}),
        row(3, {{"case", "校核洪水位"},
                {"level", "102.3"},
                {"depth", "32.3"},
                {"fetch", "3.3"},
                {"wind", "14"},
                {"operation", "abnormal"}}),
        row(4, {{"case", "<b>坝段 A&B \"陡坡\"</b>"},
                {"depth", "30"},
                {"fetch", "9"},
                {"slope", "1.3"},
                {"formula", "hedi"},
                {"angle", "70"}}),
        row(5, {{"case", "<i>缺水深</i>"}, {"depth", "-2"}, {"fetch", "3"}}),
        row(6, {{"case", "地震"}, {"depth", "30"}, {"fetch", "3"}, {"formula", "andreyanov"}}),
    });
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
        {"allowance row", "安全加高表：2 级、正常运用 [M]"},
        {"check flood allowance", "安全加高表：2 级、非常运用、山区、丘陵区 [M]"},
        {"freeboard", "y = Rp + e + A + 附加高度"},
        {"crest", "101.500 + 2.727"},
        // The Hedi condition on a 1:1.3 slope: conversion to hm, the transition, Kβ held.
        {"Hedi height", "h<sub>2%</sub> = 0.00625·W<sup>1/6</sup>"},
        {"hp/hm row", "hp/hm 表 P = 2 % 列，在 hm/Hm = 0（2.23 [X]）与 0.1（2.10 [D]）之间"},
        {"steep part", "R0：查表 m = 1.25 一栏：2.50 [X]"},
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
}

}  // namespace
}  // namespace kelnor::design
