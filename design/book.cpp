#include "kelnor/design/book.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <functional>

#include "book_parts.h"
#include "book_steps.h"
#include "figures.h"
#include "html_book.h"
#include "kelnor/design/check.h"
#include "kelnor/design/drawing.h"
#include "kelnor/design/wording.h"
#include "kelnor/text/words.h"

namespace kelnor::design {

namespace {

using namespace doc;
using namespace book_parts;

// Each of `items` in words.
template <typename Item>
std::vector<Runs> worded(const std::vector<Item>& items, std::string (*word)(const Item&)) {
    std::vector<Runs> words;
    for (const Item& item : items) {
        words.emplace_back(word(item));
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

// The section's heading; the calculations start on a new page. The crest's section of a dam
// that stands is its check.
Heading heading(Section s, bool check = false) {
    const std::string_view text = check && s == Section::Crest ? "坝顶高程复核" : title(s);
    return {2, number(s) + " " + std::string(text), s == Section::Calculations};
}

// Columns of equal share after a first of `first` shares.
std::vector<double> widthsAfter(double first, std::size_t others) {
    std::vector<double> widths{first};
    widths.resize(others + 1, 1.0);
    return widths;
}

void method(Document& d) {
    d << heading(Section::Method)
      << Paragraph{
             "坝顶在静水位以上的超高 y = Rp + e + A（+ 附加高度；地震情况另加地震安全加高 B）；"
             "Rp 为设计爬高（1～3 级坝取累积频率 1%，4、5 级坝取 5%），e 为风壅水面高，A "
             "为安全加高。坝顶（或防浪墙顶）高程 = 静水位 + y，取各工况中的最大值，其确定与"
             "取用值见第 " +
             number(Section::Crest) + " 节。成果汇总见第 " + number(Section::Summary) +
             " 节，各步骤的公式、代入数值与查表见第 " + number(Section::Calculations) +
             " 节，表的来源见第 " + number(Section::Sources) + " 节。"};
}

// Whether a condition is an earthquake one: the book lists B only then.
bool anyEarthquake(const Evaluation& ev) {
    return std::any_of(ev.results.begin(), ev.results.end(), [](const Result& r) {
        return r.condition.operation == Operation::Earthquake;
    });
}

Table inputsTable(const Evaluation& ev) {
    Table t;
    t.widths = widthsAfter(2.2, ev.results.size());
    Row head = headerRow({"项目"});
    for (const auto& r : ev.results) {
        head.cells.push_back(header(conditionNameZh(r.condition)));
    }
    t.rows.push_back(std::move(head));
    const auto opt = [](const std::optional<double>& v, int d, std::string_view none) {
        return v ? fx(*v, d) : std::string(none);
    };
    using CellText = std::function<std::string(const Condition&)>;
    const std::pair<std::string_view, CellText> rows[] = {
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
        {"fetch", [](const Condition& c) { return fx(c.fetchKm, 3) + (c.rays ? "（等效）" : ""); }},
        {"fetch_rays",
         [](const Condition& c) {
             return c.rays ? std::to_string(c.rays->km.size()) + " 条，间隔 " +
                                 plain(c.rays->step()) + "°"
                           : std::string("—");
         }},
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
    // The earthquake's rows only where a condition is one, the rays where a fetch comes from
    // them.
    const bool quake = anyEarthquake(ev);
    const bool rays = std::any_of(ev.results.begin(), ev.results.end(),
                                  [](const Result& r) { return r.condition.rays.has_value(); });
    for (const auto& [column, text] : rows) {
        if ((!quake && (column == "surge" || column == "quake_settlement")) ||
            (!rays && column == "fetch_rays")) {
            continue;
        }
        Row row;
        row.cells.push_back({columnZh(column)});
        for (const auto& r : ev.results) {
            row.cells.push_back(num(text(r.condition)));
        }
        t.rows.push_back(std::move(row));
    }
    return t;
}

void conditions(Document& d, const Evaluation& ev) {
    d << heading(Section::Conditions);
    if (ev.results.empty()) {
        d << Paragraph{"无可计算的工况。"};
    } else {
        d << inputsTable(ev);
    }
    if (!ev.failures.empty()) {
        d << List{Tone::Failure, "以下工况未能计算，未列入计算与汇总：",
                  worded(ev.failures, failureZh)};
    }
}

// The sketch's size in CSS pixels: the width of the A4 page inside its margins.
constexpr double kPictureWidth = 640;
constexpr double kPictureHeight = 250;

void picture(Document& d, const Evaluation& ev, const Settlement& settlement,
             const std::optional<DamCheck>& check) {
    Drawing drawing = freeboardDrawing(ev, settlement.settled, check);
    if (drawing.empty()) {
        return;
    }
    d << Figure{std::move(drawing), kPictureWidth, kPictureHeight,
                "控制工况 " + conditionNameZh(ev.results[*ev.governing].condition) +
                    " 的坝顶超高示意，高程与尺寸以 m 计。"};
}

void summary(Document& d, const Evaluation& ev, const BookOptions& o, const Settlement& settlement,
             const std::optional<DamCheck>& check) {
    // The whole summary on one page: the governing line and the adopted values never fall
    // alone onto the next, which starts the calculations.
    Group g{GroupKind::Keep, {}};
    g << heading(Section::Summary);
    // The earthquake allowance's column only where a condition is one.
    const bool quake = anyEarthquake(ev);
    Table t;
    t.rows.push_back(
        headerRow({"工况", "公式", "hm（m）", "Lm（m）", "e（m）", "Rp（m）", "A（m）"}));
    if (quake) {
        t.rows[0].cells.push_back(header("B（m）"));
    }
    for (const std::string_view h : {"y（m）", "静水位（m）", "静水位 + y（m）", "控制"}) {
        t.rows[0].cells.push_back(header(h));
    }
    // Wide enough for "hm（m）" on one line at the cells' size.
    t.widths = {1.5, 0.8, 1.25, 1.3, 1.15, 1.25, 1.15};
    if (quake) {
        t.widths.push_back(1.15);
    }
    t.widths.insert(t.widths.end(), {1.2, 1.3, 1.5, 0.75});
    for (const auto& r : ev.results) {
        Row row{{name(conditionNameZh(r.condition)),
                 name(std::string(formulaShortZh(r.condition.formula))), num(fx(r.waves.hm, 3)),
                 num(fx(r.waves.Lm, 3)), num(fx(r.e, 3)), num(fx(r.runUp.Rp, 3)), num(fx(r.A, 2))},
                r.governs ? RowLook::Governing : RowLook::Plain};
        if (quake) {
            row.cells.push_back(
                num(r.condition.operation == Operation::Earthquake ? fx(r.B, 2) : "—"));
        }
        row.cells.push_back(num(fx(r.y, 3)));
        row.cells.push_back(num(r.condition.level ? fx(*r.condition.level, 2) : "—"));
        row.cells.push_back(num(r.crest ? fx(*r.crest, 3) : "—"));
        row.cells.push_back({r.governs ? "★" : "", CellLook::Centre});
        t.rows.push_back(std::move(row));
    }
    g << std::move(t) << Paragraph{governingRuleZh(ev.rule)};
    if (ev.governing) {
        const Result& r = ev.results[*ev.governing];
        std::string line =
            "控制工况：" + conditionNameZh(r.condition) + "，坝顶超高 y = " + fx(r.y, 3) + " m";
        if (r.crest) {
            line += std::string("，要求") + (o.dam.wall ? "防浪墙顶" : "坝顶") + "高程不低于 " +
                    fx(*r.crest, 3) + " m";
        }
        g << Paragraph{line + "。", Tone::Marked};
    }
    if (check) {
        g << Paragraph{checkConclusionZh(ev, *check),
                       check->met() ? Tone::Marked : Tone::MarkedFailure};
    }
    // In a check, the adopted values typed are the proposed raise.
    if (settlement.settled && o.dam.settles()) {
        g << Paragraph{settledZh(*settlement.settled, o.dam),
                       settlement.settled->met() ? Tone::Marked : Tone::MarkedFailure};
    }
    d << std::move(g);
    if (ev.governing && o.picture) {
        picture(d, ev, settlement, check);
    }
}

void conditionSection(Document& d, const Result& r, int n) {
    const Condition& c = r.condition;
    Group g{GroupKind::Condition, {}};
    g << Heading{
        3, number(Section::Calculations) + "." + std::to_string(n) + " " + conditionNameZh(c)};
    Runs intro = std::string(formulaZh(c.formula)) + "；" + gradeZh(c.grade) + "坝，" +
                 std::string(operationZh(c.operation)) + "；g = " + coefficient(kG) + " m/s²。";
    if (r.governs) {
        intro += marked("本工况为控制工况。");
    }
    g << Paragraph{std::move(intro)};
    g << stepsTable(r);
    if (!r.warnings.empty()) {
        g << List{Tone::Warning, "警告：", worded(r.warnings, warningZh)};
    }
    d << std::move(g);
}

void calculations(Document& d, const Evaluation& ev) {
    d << heading(Section::Calculations);
    int n = 1;
    for (const auto& r : ev.results) {
        conditionSection(d, r, n++);
    }
}

void warnings(Group& g, const Evaluation& ev) {
    g << heading(Section::Warnings);
    List list{Tone::Warning, {}, {}};
    for (const auto& r : ev.results) {
        for (const auto& w : r.warnings) {
            list.items.emplace_back(conditionNameZh(r.condition) + "：" + warningZh(w));
        }
    }
    if (!list.items.empty()) {
        g << std::move(list);
    } else {
        g << Paragraph{"无。各公式均在其来源给出的适用范围内使用。"};
    }
}

Paragraph adoptedLine(std::string_view what, const Adopted& a, const Dam& dam) {
    std::string line = std::string(what) + "：要求 " + fx(a.required, 3) + " m；";
    if (a.typed) {
        line += "采用设计人员给定之值 " + adoptedZh(a.value, dam.step) + " m";
    } else {
        line +=
            "按 " + plain(dam.step) + " m 向上取整，采用 " + adoptedZh(a.value, dam.step) + " m";
    }
    line += "，" + std::string(metZh(a.met)) + (a.met ? "" : "（低于要求值）") + "。";
    return {line, a.met ? Tone::Plain : Tone::Failure};
}

// The crest's bounds under a wave wall: what is bounded, how, the figures and the bound.
Table boundsTable(const Evaluation& ev, const Settled& s, const Dam& dam) {
    Table t{TableKind::Bounds,
            {4, 3.4, 1.2, 1.4},
            {headerRow({"坝顶高程的条件", "代入数值", "下限（m）", "来源"})}};
    for (const CrestBound& b : s.bounds) {
        std::string values;
        switch (b.rule) {
            case CrestRule::WallTopLessWall:
                values = adoptedZh(b.basis, dam.step) + " − " + fx(*dam.wall, 2);
                break;
            case CrestRule::RequiredWallTopLessWall:
                values = fx(b.basis, 3) + " − " + fx(*dam.wall, 2);
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
        t.rows.push_back({{{crestRuleZh(b.rule)},
                           {values, CellLook::Formula},
                           num(fx(b.value, 3)),
                           {standingMark(b.standing)}}});
    }
    return t;
}

// The closing step: the highest level + y over the conditions, the wave wall's rules with
// their bounds, the rounding, the reserve and the crest as built.
void crestSection(Document& d, const Evaluation& ev, const BookOptions& o,
                  const Settlement& settlement, const std::optional<DamCheck>& check) {
    Group g{GroupKind::Keep, {}};
    g << heading(Section::Crest, !o.damError && o.dam.isCheck());
    if (o.damError) {
        g << Paragraph{damFailureZh(*o.damError) + "坝顶高程未定。", Tone::Failure};
        d << std::move(g);
        return;
    }
    if (!settlement.settled) {
        g << Paragraph{unsettledZh(settlement.why), Tone::Failure};
        d << std::move(g);
        return;
    }
    if (o.dam.isCheck()) {
        checkSection(g, ev, o, settlement, *check);
        d << std::move(g);
        return;
    }
    const Settled& s = *settlement.settled;
    const Dam& dam = o.dam;
    const std::string confirmed(standingMark(Standing::Confirmed));
    Table levels = levelsTable(ev, s.highest);
    g << std::move(levels)
      << Paragraph{crestRuleZh(CrestRule::HighestLevelPlusY) + "：" +
                   conditionNameZh(ev.results[s.highest].condition) + " " +
                   fx(s.highestLevelPlusY, 3) + " m " + confirmed + "。"};
    if (s.wallTop) {
        g << Paragraph{"坝顶设防浪墙，墙顶高出坝顶 " + fx(*dam.wall, 2) +
                       " m；坝顶超高计至防浪墙顶，防浪墙顶高程 = 各工况静水位 + y 之最大值 " +
                       confirmed + "。"}
          << adoptedLine("防浪墙顶高程", *s.wallTop, dam) << boundsTable(ev, s, dam)
          << Paragraph{"要求坝顶高程取上列下限之最大值：" + crestRuleZh(s.bounds[s.leading].rule) +
                       "，" + fx(s.crest.required, 3) + " m。"}
          << adoptedLine("坝顶高程", s.crest, dam)
          << Paragraph{"防浪墙高度 = 防浪墙顶采用高程 − 坝顶采用高程 = " +
                           adoptedZh(s.wallTop->value, dam.step) + " − " +
                           adoptedZh(s.crest.value, dam.step) + " = " + fx(*s.wallHeight, 2) +
                           " m" + (s.wallHeightUnusual ? "，不在" : "，在") + "一般的 " +
                           tv(WallRules::heightLow) + "～" + tv(WallRules::heightHigh) + " m 之间" +
                           (s.wallHeightUnusual ? "，请核对" : "") + " " +
                           std::string(standingMark(WallRules::heightStanding)) + "。",
                       s.wallHeightUnusual ? Tone::Warning : Tone::Plain};
    } else {
        g << Paragraph{"坝顶不设防浪墙，要求坝顶高程 = " + fx(s.crest.required, 3) + " m。"}
          << adoptedLine("坝顶高程", s.crest, dam);
    }
    std::string reserve;
    if (dam.reserve && dam.reserve->percent) {
        reserve = "预留沉降 = " + plain(dam.reserve->value) + "% × 坝高 " + fx(*dam.damHeight, 2) +
                  " m = " + fx(s.reserve, 3) + " m";
    } else {
        reserve = "预留沉降 " + fx(s.reserve, 3) + " m" + (dam.reserve ? "" : "（未预留）");
    }
    g << Paragraph{reserve + "，不计入坝顶超高 y，亦不计入坝高 " + confirmed +
                   "。竣工坝顶高程 = " + adoptedZh(s.crest.value, dam.step) + " + " +
                   fx(s.reserve, 3) + " = " + fx(s.asBuilt, 3) + " m。"}
      << Paragraph{settledZh(s, dam), s.met() ? Tone::Marked : Tone::MarkedFailure};
    d << std::move(g);
}

void sources(Group& g) {
    const auto mark = [](Standing s) { return std::string(standingMark(s)); };
    const std::string half = coefficient(kDeepWaterDepthRatio);
    List list;
    list.items.emplace_back(
        "方法：SL 274《碾压式土石坝设计规范》附录 A（2001、2020 年版）风浪要素、风壅水面高、"
        "波浪爬高与坝顶超高的计算；y = R + e + A。本计算书所依据的不是规范原文，而是转引规范的"
        "公开资料；各表之值的可靠程度标注如下：" +
        mark(Standing::Confirmed) + " 已核实（公开资料所载并经算例复算），" +
        mark(Standing::Corroborated) + " 间接印证，" + mark(Standing::NotConfirmed) +
        " 常见转引、未能核实，" + mark(Standing::Derived) +
        " 本程序按该表所依据的分布公式推算、未能核实。");
    for (const TableSource* s : allSources()) {
        list.items.push_back(strong(s->title) + "：" + s->sourceZh);
    }
    list.items.emplace_back(
        "平均波长：莆田公式 Lm 由 Lm = g·Tm²/(2π)·th(2πH/Lm) 解至双精度；H ≥ " + half +
        "·Lm 时按深水波取 Lm = g·Tm²/(2π)。鹤地、官厅公式的 Tm 按深水波关系由 Lm 反算，"
        "仅供参考。");
    list.items.emplace_back(
        "数值按双精度计算，表中按所示位数四舍五入显示；逐步手算复核时末位可有一个单位之差。");
    g << heading(Section::Sources) << std::move(list);
}

}  // namespace

// The title block a design institute files the book with: the project and the design stage,
// the date, and who computed, checked and reviewed it. A name not given is an empty cell,
// tall enough to sign in.
Table book_parts::titleBlock(const TitleBlock& title) {
    Table t{TableKind::TitleBlock, {1.2, 2.1, 1.2, 2.1, 1.2, 2.1}, {}, 0};
    t.rows.push_back({{header("工程名称"), {title.project, CellLook::Text, 5}}});
    t.rows.push_back(
        {{header("设计阶段"), {title.stage, CellLook::Text, 3}, header("日期"), {title.date}}});
    t.rows.push_back({{header("计算"),
                       {title.by},
                       header("校核"),
                       {title.checkedBy},
                       header("审查"),
                       {title.reviewedBy}},
                      RowLook::Signing});
    return t;
}

Table book_parts::stepsTable(const Result& r) {
    Table t{TableKind::Steps,
            {1.3, 3.0, 3.0, 1.3, 2.6},
            {headerRow({"步骤", "公式", "代入数值", "结果", "查表、内插及说明"})}};
    std::vector<Step> steps = conditionSteps(r);
    t.rows.reserve(steps.size() + 1);
    for (Step& s : steps) {
        // Moved in cell by cell: a brace list would copy each.
        Row& row = t.rows.emplace_back();
        row.cells.reserve(5);
        row.cells.push_back({std::move(s.name)});
        row.cells.push_back({std::move(s.formula), CellLook::Formula});
        row.cells.push_back({std::move(s.values), CellLook::Formula});
        row.cells.push_back(num(std::move(s.result)));
        row.cells.push_back({std::move(s.basis), CellLook::Note});
    }
    return t;
}

Table book_parts::levelsTable(const Evaluation& ev, std::size_t highest) {
    Table levels{TableKind::Plain,
                 {2, 1.6, 1.3, 1, 1.5},
                 {headerRow({"工况", "运用条件", "静水位（m）", "y（m）", "静水位 + y（m）"})}};
    for (std::size_t i = 0; i < ev.results.size(); ++i) {
        const Result& r = ev.results[i];
        if (!r.crest) {
            continue;
        }
        levels.rows.push_back({{name(conditionNameZh(r.condition)),
                                {operationZh(r.condition.operation)},
                                num(fx(*r.condition.level, 2)),
                                num(fx(r.y, 3)),
                                num(fx(*r.crest, 3))},
                               i == highest ? RowLook::Governing : RowLook::Plain});
    }
    return levels;
}

doc::Document bookDocument(const Evaluation& ev, const BookOptions& options) {
    const std::string& project = options.title.project;
    const std::string title = project + "坝顶超高计算书";
    Document d;
    d.title = (project.empty() ? "" : project + " ") + "坝顶超高计算书";
    d.pageHead = title;
    d.language = "zh-CN";
    d << Heading{1, title}
      << Paragraph{"依据 SL 274《碾压式土石坝设计规范》附录 A · 共 " +
                       std::to_string(ev.results.size() + ev.failures.size()) + " 个工况",
                   Tone::Subtitle}
      << titleBlock(options.title);
    method(d);
    conditions(d, ev);
    const Settlement settlement = options.damError ? Settlement{} : settleCrest(ev, options.dam);
    // What stands, checked once for the summary, the sketch and the closing section.
    const std::optional<DamCheck> check = settlement.settled && options.dam.isCheck()
                                              ? checkDam(ev, options.dam).check
                                              : std::nullopt;
    summary(d, ev, options, settlement, check);
    calculations(d, ev);
    crestSection(d, ev, options, settlement, check);
    // The warnings and the sources close the book in one section.
    Group closing;
    warnings(closing, ev);
    sources(closing);
    d << std::move(closing);
    return d;
}

BookOptions bookOptions(const DamTexts& texts, const std::string& today, bool picture) {
    BookOptions options;
    options.title = titleOf(texts);
    options.picture = picture;
    try {
        options.dam = readDam(texts);
        options.title.date = options.dam.title.date;
    } catch (const DamError& e) {
        options.damError = e;
    }
    if (options.title.date.empty()) {
        options.title.date = today;
    }
    return options;
}

std::string calculationBook(const Evaluation& ev, const BookOptions& options) {
    return htmlBook(bookDocument(ev, options));
}

std::string bookHtml(const doc::Document& document) {
    return htmlBook(document);
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
