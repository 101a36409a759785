#include "kelnor/design/book.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <functional>

#include "book_css.h"
#include "book_steps.h"
#include "figures.h"
#include "kelnor/design/drawing.h"
#include "kelnor/design/wording.h"
#include "kelnor/words.h"
#include "markup.h"
#include "svg.h"

namespace kelnor::design {

namespace {

using namespace markup_literals;

// The page as it is written: markup goes in as it is, plain text is escaped.
class Page {
  public:
    Page& operator<<(const Markup& m) {
        out_ += m;
        return *this;
    }
    Page& operator<<(std::string_view plain) {
        out_ += plain;
        return *this;
    }
    std::string str() const { return out_.html(); }

  private:
    Markup out_;
};

// A title over a list of what could not be computed, or of warnings, each in its colour.
enum class Listing { Failures, Warnings };

void titledList(Page& p, Listing listing, std::string_view title,
                const std::vector<std::string>& items) {
    const bool failures = listing == Listing::Failures;
    p << (failures ? "<p class=\"fail\">"_html : "<p class=\"warn\">"_html) << title
      << (failures ? "</p><ul class=\"fail\">"_html : "</p><ul class=\"warn\">"_html);
    for (const std::string& item : items) {
        p << "<li>"_html << item << "</li>"_html;
    }
    p << "</ul>\n"_html;
}

// Each of `items` in words.
template <typename Item>
std::vector<std::string> worded(const std::vector<Item>& items, std::string (*word)(const Item&)) {
    std::vector<std::string> words;
    for (const Item& item : items) {
        words.push_back(word(item));
    }
    return words;
}

// The book's sections in their order; each is numbered by its place.
enum class Section { Method, Conditions, Summary, Calculations, Crest, Warnings, Sources };

constexpr std::array kSections = {Section::Method,       Section::Conditions, Section::Summary,
                                  Section::Calculations, Section::Crest,      Section::Warnings,
                                  Section::Sources};

std::string number(Section s) {
    std::size_t i = 0;
    while (kSections[i] != s) {
        ++i;
    }
    return std::to_string(i + 1);
}

std::string_view title(Section s) {
    static constexpr Word<Section> kTitles[] = {
        {Section::Method, "计算方法"},      {Section::Conditions, "计算条件"},
        {Section::Summary, "成果汇总"},     {Section::Calculations, "各工况计算"},
        {Section::Crest, "坝顶高程的确定"}, {Section::Warnings, "警告"},
        {Section::Sources, "资料来源"}};
    return wordFor(s, kTitles);
}

// The section's heading; the calculations start on a new page.
Markup heading(Section s) {
    return (s == Section::Calculations ? "<h2 class=\"newpage\">"_html : "<h2>"_html) + number(s) +
           " " + title(s) + "</h2>\n"_html;
}

void method(Page& p) {
    p << heading(Section::Method) << "<p>"_html
      << "坝顶在静水位以上的超高 y = Rp + e + A（+ 附加高度；地震情况另加地震安全加高 B）；"
         "Rp 为设计爬高（1～3 级坝取累积频率 1%，4、5 级坝取 5%），e 为风壅水面高，A 为安全加高。"
         "坝顶（或防浪墙顶）高程 = 静水位 + y，取各工况中的最大值，其确定与取用值见第 "
      << number(Section::Crest) << " 节。成果汇总见第 " << number(Section::Summary)
      << " 节，各步骤的公式、代入数值与查表见第 " << number(Section::Calculations)
      << " 节，表的来源见第 " << number(Section::Sources) << " 节。"
      << "</p>\n"_html;
}

// Whether a condition is an earthquake one: the book lists B only then.
bool anyEarthquake(const Evaluation& ev) {
    return std::any_of(ev.results.begin(), ev.results.end(), [](const Result& r) {
        return r.condition.operation == Operation::Earthquake;
    });
}

void inputsTable(Page& p, const Evaluation& ev) {
    p << "<table><tr><th>项目</th>"_html;
    for (const auto& r : ev.results) {
        p << "<th>"_html << conditionNameZh(r.condition) << "</th>"_html;
    }
    p << "</tr>\n"_html;
    const auto opt = [](const std::optional<double>& v, int d, std::string_view none) {
        return v ? fx(*v, d) : std::string(none);
    };
    using Cell = std::function<std::string(const Condition&)>;
    const std::pair<std::string_view, Cell> rows[] = {
        {"level", [&](const Condition& c) { return opt(c.level, 2, "—"); }},
        {"depth", [](const Condition& c) { return fx(c.depth, 2); }},
        {"mean_depth",
         [](const Condition& c) {
             return c.meanDepth ? fx(*c.meanDepth, 2) : fx(c.depth, 2) + "（取 H）";
         }},
        {"wind",
         [](const Condition& c) { return fx(c.wind, 2) + (c.windMax ? "（按年最大风速）" : ""); }},
        {"wind_max", [&](const Condition& c) { return opt(c.windMax, 2, "—"); }},
        {"wind_factor",
         [](const Condition& c) {
             if (!c.windMax) {
                 return std::string("—");
             }
             return c.windFactor ? factor(*c.windFactor)
                                 : factor(c.windFactorUsed()) + "（按运用条件）";
         }},
        {"fetch", [](const Condition& c) { return fx(c.fetchKm, 3); }},
        {"angle", [](const Condition& c) { return fx(c.angle, 1); }},
        {"slope", [](const Condition& c) { return fx(c.slope, 2); }},
        {"roughness", [](const Condition& c) { return fx(c.roughness, 2); }},
        {"kw", [&](const Condition& c) { return opt(c.kw, 3, "查表"); }},
        {"formula", [](const Condition& c) { return std::string(formulaZh(c.formula)); }},
        {"grade", [](const Condition& c) { return gradeZh(c.grade); }},
        {"operation", [](const Condition& c) { return std::string(operationZh(c.operation)); }},
        {"region", [](const Condition& c) { return std::string(regionZh(c.region)); }},
        {"frequency",
         [](const Condition& c) { return pc(c.P()) + (c.frequency ? "" : "（按级别）"); }},
        {"allowance", [&](const Condition& c) { return opt(c.allowance, 2, "查表"); }},
        {"extra", [](const Condition& c) { return fx(c.extra, 2); }},
        {"surge", [&](const Condition& c) { return opt(c.surge, 2, "—"); }},
        {"quake_settlement",
         [](const Condition& c) {
             if (c.operation != Operation::Earthquake) {
                 return std::string("—");
             }
             return fx(c.quakeSettlement.value_or(0.0), 2);
         }},
    };
    // The earthquake's rows only where a condition is one.
    const bool quake = anyEarthquake(ev);
    for (const auto& [column, cell] : rows) {
        if (!quake && (column == "surge" || column == "quake_settlement")) {
            continue;
        }
        p << "<tr><td>"_html << columnZh(column) << "</td>"_html;
        for (const auto& r : ev.results) {
            p << "<td class=\"num\">"_html << cell(r.condition) << "</td>"_html;
        }
        p << "</tr>\n"_html;
    }
    p << "</table>\n"_html;
}

void conditions(Page& p, const Evaluation& ev) {
    p << heading(Section::Conditions);
    if (ev.results.empty()) {
        p << "<p>"_html
          << "无可计算的工况。"
          << "</p>\n"_html;
    } else {
        inputsTable(p, ev);
    }
    if (!ev.failures.empty()) {
        titledList(p, Listing::Failures, "以下工况未能计算，未列入计算与汇总：",
                   worded(ev.failures, failureZh));
    }
}

// The sketch's size in CSS pixels: the width of the A4 page inside its margins.
constexpr double kPictureWidth = 640;
constexpr double kPictureHeight = 250;

void picture(Page& p, const Evaluation& ev, const Settlement& settlement) {
    const Drawing d = freeboardDrawing(ev, settlement.settled);
    if (d.empty()) {
        return;
    }
    p << "<p class=\"keep\">"_html << svgMarkup(d, kPictureWidth, kPictureHeight, false)
      << "<br>"_html
      << "控制工况 " << conditionNameZh(ev.results[*ev.governing].condition)
      << " 的坝顶超高示意，高程与尺寸以 m 计。"
      << "</p>\n"_html;
}

void summary(Page& p, const Evaluation& ev, const BookOptions& o, const Settlement& settlement) {
    // The whole summary on one page: the governing line and the adopted values never fall
    // alone onto the next, which starts the calculations.
    p << "<section class=\"keep\">"_html << heading(Section::Summary)
      << "<table><tr><th>工况</th><th>公式</th><th>hm（m）</th><th>Lm（m）</th>"
         "<th>e（m）</th><th>Rp（m）</th><th>A（m）</th>"_html;
    // The earthquake allowance's column only where a condition is one.
    const bool quake = anyEarthquake(ev);
    if (quake) {
        p << "<th>B（m）</th>"_html;
    }
    p << "<th>y（m）</th><th>静水位（m）</th><th>静水位 + y（m）</th><th>控制</th></tr>\n"_html;
    const auto num = [&p](const std::string& text) {
        p << "<td class=\"num\">"_html << text << "</td>"_html;
    };
    for (const auto& r : ev.results) {
        p << (r.governs ? "<tr class=\"gov\">"_html : "<tr>"_html) << "<td class=\"name\">"_html
          << conditionNameZh(r.condition) << "</td><td class=\"name\">"_html
          << formulaShortZh(r.condition.formula) << "</td>"_html;
        num(fx(r.waves.hm, 3));
        num(fx(r.waves.Lm, 3));
        num(fx(r.e, 3));
        num(fx(r.runUp.Rp, 3));
        num(fx(r.A, 2));
        if (quake) {
            num(r.condition.operation == Operation::Earthquake ? fx(r.B, 2) : "—");
        }
        num(fx(r.y, 3));
        num(r.condition.level ? fx(*r.condition.level, 2) : "—");
        num(r.crest ? fx(*r.crest, 3) : "—");
        p << "<td style=\"text-align:center\">"_html << (r.governs ? "★" : "")
          << "</td></tr>\n"_html;
    }
    p << "</table>\n<p>"_html << governingRuleZh(ev.rule) << "</p>\n"_html;
    if (ev.governing) {
        const Result& g = ev.results[*ev.governing];
        p << "<p class=\"mark\">"_html
          << "控制工况：" << conditionNameZh(g.condition) << "，坝顶超高 y = " << fx(g.y, 3)
          << " m";
        if (g.crest) {
            p << "，要求" << (o.dam.wall ? "防浪墙顶" : "坝顶") << "高程不低于 " << fx(*g.crest, 3)
              << " m";
        }
        p << "。"
          << "</p>\n"_html;
    }
    if (settlement.settled) {
        const bool met = settlement.settled->met();
        p << (met ? "<p class=\"mark\">"_html : "<p class=\"mark fail\">"_html)
          << settledZh(*settlement.settled, o.dam) << "</p>\n"_html;
    }
    p << "</section>\n"_html;
    if (ev.governing && o.picture) {
        picture(p, ev, settlement);
    }
}

void conditionSection(Page& p, const Result& r, int n) {
    const Condition& c = r.condition;
    p << "<section class=\"condition\"><h3>"_html << number(Section::Calculations) << "."
      << std::to_string(n) << " " << conditionNameZh(c) << "</h3>\n<p>"_html << formulaZh(c.formula)
      << "；" << gradeZh(c.grade) << "坝，" << operationZh(c.operation)
      << "；g = " << coefficient(kG) << " m/s²。";
    if (r.governs) {
        p << "<span class=\"mark\">"_html
          << "本工况为控制工况。"
          << "</span>"_html;
    }
    p << "</p>\n<table class=\"steps\"><tr><th>步骤</th><th>公式</th><th>代入数值</th>"
         "<th>结果</th><th>查表、内插及说明</th></tr>\n"_html;
    for (const Step& s : conditionSteps(r)) {
        p << "<tr><td>"_html << s.name << "</td><td class=\"f\">"_html << s.formula
          << "</td><td class=\"f\">"_html << s.values << "</td><td class=\"num\">"_html << s.result
          << "</td><td class=\"note\">"_html << s.basis << "</td></tr>\n"_html;
    }
    p << "</table>\n"_html;
    if (!r.warnings.empty()) {
        titledList(p, Listing::Warnings, "警告：", worded(r.warnings, warningZh));
    }
    p << "</section>\n"_html;
}

void calculations(Page& p, const Evaluation& ev) {
    p << heading(Section::Calculations);
    int n = 1;
    for (const auto& r : ev.results) {
        conditionSection(p, r, n++);
    }
}

void warnings(Page& p, const Evaluation& ev) {
    p << heading(Section::Warnings);
    bool any = false;
    for (const auto& r : ev.results) {
        for (const auto& w : r.warnings) {
            if (!any) {
                p << "<ul class=\"warn\">"_html;
            }
            any = true;
            p << "<li>"_html << conditionNameZh(r.condition) << "：" << warningZh(w)
              << "</li>"_html;
        }
    }
    if (any) {
        p << "</ul>\n"_html;
    } else {
        p << "<p>"_html
          << "无。各公式均在其来源给出的适用范围内使用。"
          << "</p>\n"_html;
    }
}

// A row of the settling's table: what is bounded, how, the figures and the bound.
void boundRow(Page& p, std::string_view rule, const std::string& values, const std::string& value,
              std::string_view mark) {
    p << "<tr><td>"_html << rule << "</td><td class=\"f\">"_html << values
      << "</td><td class=\"num\">"_html << value << "</td><td>"_html << mark << "</td></tr>\n"_html;
}

void adoptedLine(Page& p, std::string_view what, const Adopted& a, const Dam& dam) {
    p << (a.met ? "<p>"_html : "<p class=\"fail\">"_html) << what << "：要求 " << fx(a.required, 3)
      << " m；";
    if (a.typed) {
        p << "采用设计人员给定之值 " << adoptedZh(a.value, dam.step) << " m";
    } else {
        p << "按 " << plain(dam.step) << " m 向上取整，采用 " << adoptedZh(a.value, dam.step)
          << " m";
    }
    p << "，" << metZh(a.met) << (a.met ? "" : "（低于要求值）") << "。"
      << "</p>\n"_html;
}

// The closing step: the highest level + y over the conditions, the wave wall's rules with
// their bounds, the rounding, the reserve and the crest as built.
void crestSection(Page& p, const Evaluation& ev, const BookOptions& o,
                  const Settlement& settlement) {
    p << "<section class=\"keep\">"_html << heading(Section::Crest);
    if (o.damError) {
        p << "<p class=\"fail\">"_html << damFailureZh(*o.damError) << "坝顶高程未定。"
          << "</p>\n</section>\n"_html;
        return;
    }
    if (!settlement.settled) {
        p << "<p class=\"fail\">"_html << unsettledZh(settlement.why) << "</p>\n</section>\n"_html;
        return;
    }
    const Settled& s = *settlement.settled;
    const Dam& dam = o.dam;
    const std::string confirmed(standingMark(Standing::Confirmed));
    p << "<table><tr><th>工况</th><th>运用条件</th><th>静水位（m）</th><th>y（m）</th>"
         "<th>静水位 + y（m）</th></tr>\n"_html;
    for (std::size_t i = 0; i < ev.results.size(); ++i) {
        const Result& r = ev.results[i];
        if (!r.crest) {
            continue;
        }
        p << (i == s.highest ? "<tr class=\"gov\">"_html : "<tr>"_html)
          << "<td class=\"name\">"_html << conditionNameZh(r.condition) << "</td><td>"_html
          << operationZh(r.condition.operation) << "</td><td class=\"num\">"_html
          << fx(*r.condition.level, 2) << "</td><td class=\"num\">"_html << fx(r.y, 3)
          << "</td><td class=\"num\">"_html << fx(*r.crest, 3) << "</td></tr>\n"_html;
    }
    p << "</table>\n<p>"_html << crestRuleZh(CrestRule::HighestLevelPlusY) << "："
      << conditionNameZh(ev.results[s.highest].condition) << " " << fx(s.highestLevelPlusY, 3)
      << " m " << confirmed << "。"
      << "</p>\n"_html;
    if (s.wallTop) {
        p << "<p>"_html
          << "坝顶设防浪墙，墙顶高出坝顶 " << fx(*dam.wall, 2)
          << " m；坝顶超高计至防浪墙顶，防浪墙顶高程 = 各工况静水位 + y 之最大值 " << confirmed
          << "。"
          << "</p>\n"_html;
        adoptedLine(p, "防浪墙顶高程", *s.wallTop, dam);
        p << "<table class=\"bounds\"><tr><th>坝顶高程的条件</th><th>代入数值</th>"
             "<th>下限（m）</th><th>来源</th></tr>\n"_html;
        for (const CrestBound& b : s.bounds) {
            std::string values;
            switch (b.rule) {
                case CrestRule::WallTopLessWall:
                    values = adoptedZh(b.basis, dam.step) + " − " + fx(*dam.wall, 2);
                    break;
                case CrestRule::AboveNormalLevel:
                    values = fx(b.basis, 2) + " + " + tv(WallRules::aboveNormal) + "（" +
                             conditionNameZh(ev.results[*b.condition].condition) + "）";
                    break;
                default:
                    values = fx(b.basis, 2) + "（" +
                             conditionNameZh(ev.results[*b.condition].condition) + "）";
                    break;
            }
            boundRow(p, crestRuleZh(b.rule), values, fx(b.value, 3), standingMark(b.standing));
        }
        p << "</table>\n<p>"_html
          << "要求坝顶高程取上列下限之最大值：" << crestRuleZh(s.bounds[s.leading].rule) << "，"
          << fx(s.crest.required, 3) << " m。"
          << "</p>\n"_html;
        adoptedLine(p, "坝顶高程", s.crest, dam);
        p << (s.wallHeightUnusual ? "<p class=\"warn\">"_html : "<p>"_html)
          << "防浪墙高度 = 防浪墙顶采用高程 − 坝顶采用高程 = "
          << adoptedZh(s.wallTop->value, dam.step) << " − " << adoptedZh(s.crest.value, dam.step)
          << " = " << fx(*s.wallHeight, 2) << " m" << (s.wallHeightUnusual ? "，不在" : "，在")
          << "一般的 " << tv(WallRules::heightLow) << "～" << tv(WallRules::heightHigh) << " m 之间"
          << (s.wallHeightUnusual ? "，请核对" : "") << " " << standingMark(WallRules::standing)
          << "。"
          << "</p>\n"_html;
    } else {
        p << "<p>"_html
          << "坝顶不设防浪墙，要求坝顶高程 = " << fx(s.crest.required, 3) << " m。"
          << "</p>\n"_html;
        adoptedLine(p, "坝顶高程", s.crest, dam);
    }
    p << "<p>"_html;
    if (dam.reserve && dam.reserve->percent) {
        p << "预留沉降 = " << plain(dam.reserve->value) << "% × 坝高 " << fx(*dam.damHeight, 2)
          << " m = " << fx(s.reserve, 3) << " m";
    } else {
        p << "预留沉降 " << fx(s.reserve, 3) << " m" << (dam.reserve ? "" : "（未预留）");
    }
    p << "，不计入坝顶超高 y，亦不计入坝高 " << confirmed
      << "。竣工坝顶高程 = " << adoptedZh(s.crest.value, dam.step) << " + " << fx(s.reserve, 3)
      << " = " << fx(s.asBuilt, 3) << " m。"
      << "</p>\n"_html;
    p << (s.met() ? "<p class=\"mark\">"_html : "<p class=\"mark fail\">"_html) << settledZh(s, dam)
      << "</p>\n</section>\n"_html;
}

void sources(Page& p) {
    const auto mark = [](Standing s) { return std::string(standingMark(s)); };
    const std::string half = coefficient(kDeepWaterDepthRatio);
    p << heading(Section::Sources) << "<ul><li>"_html
      << "方法：SL 274《碾压式土石坝设计规范》附录 A（2001、2020 年版）风浪要素、风壅水面高、"
         "波浪爬高与坝顶超高的计算；y = R + e + A。本计算书所依据的不是规范原文，而是转引规范的"
         "公开资料；各表之值的可靠程度标注如下："
      << mark(Standing::Confirmed) << " 已核实（公开资料所载并经算例复算），"
      << mark(Standing::Corroborated) << " 间接印证，" << mark(Standing::NotConfirmed)
      << " 常见转引、未能核实，" << mark(Standing::Derived)
      << " 本程序按该表所依据的分布公式推算、未能核实。"
      << "</li>"_html;
    for (const TableSource* s : allSources()) {
        p << "<li><b>"_html << s->title << "</b>"_html
          << "：" << s->sourceZh << "</li>"_html;
    }
    p << "<li>"_html
      << "平均波长：莆田公式 Lm 由 Lm = g·Tm²/(2π)·th(2πH/Lm) 解至双精度；H ≥ " + half +
             "·Lm 时按深水波取 Lm = g·Tm²/(2π)。鹤地、官厅公式的 Tm 按深水波关系由 Lm 反算，"
             "仅供参考。"
      << "</li><li>"_html
      << "数值按双精度计算，表中按所示位数四舍五入显示；逐步手算复核时末位可有一个单位之差。"
      << "</li></ul>\n"_html;
}

// The title block a design institute files the book with: the project and the design stage,
// the date, and who computed, checked and reviewed it. A name not given is an empty cell,
// tall enough to sign in.
void titleBlock(Page& p, const BookOptions& o) {
    const auto cell = [&p](std::string_view text) { p << "<td>"_html << text << "</td>"_html; };
    p << "<table class=\"titleblock\">\n<tr><th>工程名称</th><td colspan=\"5\">"_html << o.project
      << "</td></tr>\n<tr><th>设计阶段</th><td colspan=\"3\">"_html << o.stage
      << "</td><th>日期</th>"_html;
    cell(o.date);
    p << "</tr>\n<tr class=\"sign\"><th>计算</th>"_html;
    cell(o.by);
    p << "<th>校核</th>"_html;
    cell(o.checkedBy);
    p << "<th>审查</th>"_html;
    cell(o.reviewedBy);
    p << "</tr>\n</table>\n"_html;
}

}  // namespace

std::string calculationBook(const Evaluation& ev, const BookOptions& options) {
    Page p;
    const std::string& project = options.project;
    const std::string title = project + "坝顶超高计算书";
    p << "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n<title>"_html
      << (project.empty() ? "" : project + " ") << "坝顶超高计算书"
      << "</title>\n<style>\n"_html
      << Markup::Source(kBookCss)
      // The head of every printed page; its foot, the page numbers, is in the style sheet.
      << "@page { @top-center { content: "_html << Markup::cssString(title) << "; } }\n"_html
      << "</style>\n</head>\n<body>\n<h1>"_html << title << "</h1>\n<p class=\"subtitle\">"_html
      << "依据 SL 274《碾压式土石坝设计规范》附录 A · 共 "
      << std::to_string(ev.results.size() + ev.failures.size()) << " 个工况"
      << "</p>\n"_html;
    titleBlock(p, options);
    method(p);
    conditions(p, ev);
    const Settlement settlement = options.damError ? Settlement{} : settleCrest(ev, options.dam);
    summary(p, ev, options, settlement);
    calculations(p, ev);
    crestSection(p, ev, options, settlement);
    // The warnings and the sources close the book in one section.
    p << "<section>"_html;
    warnings(p, ev);
    sources(p);
    p << "</section>\n</body>\n</html>\n"_html;
    return p.str();
}

bool isBookDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return false;
    }
    const auto number = [&](std::size_t at, std::size_t length) {
        int n = 0;
        for (std::size_t i = at; i < at + length; ++i) {
            if (text[i] < '0' || text[i] > '9') {
                return -1;
            }
            n = n * 10 + (text[i] - '0');
        }
        return n;
    };
    const int year = number(0, 4);
    const int month = number(5, 2);
    const int day = number(8, 2);
    if (year < 1 || month < 0 || day < 0) {
        return false;
    }
    return std::chrono::year_month_day(std::chrono::year(year),
                                       std::chrono::month(static_cast<unsigned>(month)),
                                       std::chrono::day(static_cast<unsigned>(day)))
        .ok();
}

std::string today() {
    const std::time_t now = std::time(nullptr);
    char text[16] = "";
    if (const std::tm* local = std::localtime(&now)) {
        std::strftime(text, sizeof text, "%Y-%m-%d", local);
    }
    return text;
}

}  // namespace kelnor::design
