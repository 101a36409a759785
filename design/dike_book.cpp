#include "kelnor/design/dike_book.h"
#include "kelnor/text/text.h"

#include <algorithm>

#include "book_parts.h"
#include "figures.h"
#include "kelnor/design/long_section.h"
#include "kelnor/design/tables.h"
#include "kelnor/design/wording.h"

namespace kelnor::design {

namespace {

using namespace doc;
using namespace book_parts;

Heading section(int n, std::string_view title) {
    return {2, std::to_string(n) + " " + std::string(title)};
}

// Every section's results, the one worked in full marked. Under a wave wall the wall top
// takes Y, and the crest required is the earth crest beneath it.
Table resultsTable(const std::vector<SectionResult>& sections, std::size_t worked) {
    Table t{TableKind::Plain,
            {1.5, 1.2, 1.0, 1.0, 1.0, 1.2, 1.2, 1.1, 1.1, 1.1, 1.3},
            {headerRow({"断面", "设计水位（m）", "Rp（m）", "A（m）", "Y（m）", "要求墙顶（m）",
                        "要求堤顶（m）", "采用堤顶（m）", "竣工堤顶（m）", "现状堤顶（m）",
                        "富裕 / 不足（m）"})}};
    for (std::size_t i = 0; i < sections.size(); ++i) {
        const SectionResult& s = sections[i];
        const std::optional<Margin>& m = s.margin;
        t.rows.push_back({{name(s.section.water.label), num(fx(*s.section.water.level, 2)),
                           num(fx(s.result.runUp.Rp, 3)), num(fx(s.result.A, 2)),
                           num(fx(s.result.y, 3)), num(s.wallTop ? fx(*s.wallTop, 3) : "—"),
                           num(fx(s.required, 3)), num(fx(s.adopted, 2)), num(fx(s.asBuilt, 3)),
                           num(m ? fx(m->existing, 2) : "—"), num(m ? marginZh(*m) : "—")},
                          i == worked ? RowLook::Governing : RowLook::Plain});
    }
    return t;
}

}  // namespace

doc::Document dikeBookDocument(const std::vector<SectionResult>& sections,
                               const std::vector<ConditionError>& failures, const TitleBlock& title,
                               std::string_view workedName) {
    const std::string name = title.project + "堤顶高程计算书";
    Document d;
    d.title = (title.project.empty() ? "" : title.project + " ") + "堤顶高程计算书";
    d.pageHead = name;
    d.language = "zh-CN";
    d << Heading{1, name}
      << Paragraph{"依据 GB 50286-2013《堤防工程设计规范》附录 C · 共 " +
                       std::to_string(sections.size() + failures.size()) + " 个断面",
                   Tone::Subtitle}
      << titleBlock(title);
    d << section(1, "计算方法")
      << Paragraph{
             "逐断面以其设计洪水位（或设计高潮位）计算：波浪要素按莆田公式，风壅水面高 e "
             "按风区平均水深，波浪爬高取累积频率 2%（不允许越浪），堤顶超高 Y = Rp + e + A，"
             "堤顶高程 = 设计水位 + Y；采用值按步长向上取整，竣工堤顶另加预留沉降。"}
      << Paragraph{"注：m ≤ 1.0 的砌石护坡，糙率及渗透性系数 KΔ 取 1.0（附录 C）。"};
    // The section worked in full: the one the engineer names, else the one that requires the
    // highest crest.
    std::size_t worked = 0;
    for (std::size_t i = 1; i < sections.size(); ++i) {
        if (sections[i].required > sections[worked].required) {
            worked = i;
        }
    }
    const std::string_view named = trimBlanks(workedName);
    const auto namedAt = std::find_if(sections.begin(), sections.end(), [&](const auto& s) {
        return !named.empty() && trimBlanks(s.section.water.label) == named;
    });
    const bool asNamed = namedAt != sections.end();
    if (asNamed) {
        worked = static_cast<std::size_t>(namedAt - sections.begin());
    }
    d << section(2, "各断面成果");
    if (sections.empty()) {
        d << Paragraph{"无可计算的断面。"};
    } else {
        d << resultsTable(sections, worked);
    }
    if (!failures.empty()) {
        List list{Tone::Failure, "以下断面未能计算，未列入成果：", {}};
        for (const ConditionError& e : failures) {
            list.items.emplace_back(failureZh(e));
        }
        d << std::move(list);
    }
    if (!sections.empty()) {
        d << section(3, "纵断面")
          << Figure{longSectionDrawing(longSectionOf(sections)), 640, 250,
                    "设计水位、要求与采用堤顶及现状堤顶沿桩号的变化，高程以 m 计。"};
        const SectionResult& w = sections[worked];
        d << section(4, "典型断面计算：" + w.section.water.label)
          << Paragraph{(asNamed         ? std::string("所指定的典型断面，")
                        : named.empty() ? std::string("要求堤顶最高的断面，")
                                        : "所指定的典型断面 " + std::string(named) +
                                              " 不在成果之中，改取要求堤顶最高的断面，") +
                       std::to_string(w.section.water.grade) + " 级堤防；g = " + coefficient(kG) +
                       " m/s²。"}
          << stepsTable(w.result);
    }
    List warned{Tone::Warning, {}, {}};
    for (const SectionResult& s : sections) {
        for (const Warning& w : s.result.warnings) {
            warned.items.emplace_back(s.section.water.label + "：" + warningZh(w));
        }
    }
    d << section(5, "警告");
    if (warned.items.empty()) {
        d << Paragraph{"无。"};
    } else {
        d << std::move(warned);
    }
    List sources;
    sources.items.push_back(strong(kDikeSource.title) + "：" + kDikeSource.sourceZh);
    for (const TableSource* s : allSources()) {
        if (s != &kDikeSource && s != &kCrestSource && s != &kEarthquakeSource &&
            s != &kAllowanceSource) {
            sources.items.push_back(strong(s->title) + "：" + s->sourceZh);
        }
    }
    d << section(6, "资料来源") << std::move(sources);
    return d;
}

}  // namespace kelnor::design
