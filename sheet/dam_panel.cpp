#include "kelnor/sheet/dam_panel.h"

#include <algorithm>

#include "kelnor/design/tables.h"
#include "kelnor/design/wording.h"

namespace kelnor::sheet {

namespace {

std::string level(double value) {
    return fixed(value, 3);
}

std::string adoptedNote(const design::Adopted& a) {
    return std::string(design::metZh(a.met)) + (a.typed ? "（给定）" : "（向上取整）");
}

std::string surveyed(design::Surveyed from) {
    return from == design::Surveyed::Typed ? "实测" : "按防浪墙高度推得";
}

// What stands checked: the existing levels, each condition's level + y and each of the
// crest's rules with its margin, the verdict and the raise needed.
void checkLines(std::vector<SettledLine>& out, const design::Evaluation& ev,
                const design::DamCheck& c) {
    if (c.wallTop) {
        out.push_back(
            {"现状防浪墙顶高程（m）", fixed(*c.wallTop, 2), surveyed(c.wallTopFrom), false});
    }
    out.push_back({"现状坝顶高程（m）", fixed(c.crest, 2), surveyed(c.crestFrom), false});
    const auto margin = [](const design::Margin& m) {
        return design::marginZh(m) + "，" + std::string(design::metZh(m.met));
    };
    for (const design::ConditionCheck& k : c.conditions) {
        out.push_back({design::conditionNameZh(ev.results[k.result].condition) + " 静水位 + y（m）",
                       level(k.margin.required), margin(k.margin), !k.margin.met});
    }
    for (const design::RuleCheck& r : c.rules) {
        out.push_back({"坝顶下限（m）", level(r.margin.required),
                       design::crestRuleZh(r.bound.rule) + "：" + margin(r.margin), !r.margin.met});
    }
    const design::ConditionCheck& g = c.conditions[c.governing];
    out.push_back({"复核结论", std::string(design::metZh(c.met())),
                   "控制工况 " + design::conditionNameZh(ev.results[g.result].condition),
                   !c.met()});
    const auto raise = [&](std::string caption, double by) {
        if (by > 0) {
            out.push_back({std::move(caption), design::adoptedZh(by, c.step),
                           "按 " + design::adoptedZh(c.step, c.step) + " m 向上取整", true});
        }
    };
    raise(c.wallTop ? "防浪墙需加高（m）" : "坝顶需加高（m）",
          c.wallTop ? c.wallRaise : c.crestRaise);
    if (c.wallTop) {
        raise("坝顶需加高（m）", c.crestRaise);
        out.push_back({"无防浪墙时坝顶高程（m）", design::adoptedZh(c.crestWithoutWall, c.step),
                       "静水位 + y 最大值向上取整", false});
    }
}

}  // namespace

const std::vector<std::size_t>& damPanelFields() {
    static const std::vector<std::size_t> fields = [] {
        std::vector<std::size_t> out;
        const auto& all = design::damFields();
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (!all[i].titleBlock) {
                out.push_back(i);
            }
        }
        return out;
    }();
    return fields;
}

std::size_t shownEntryCount(DesignCode code) {
    return static_cast<std::size_t>(
        std::count_if(damPanelFields().begin(), damPanelFields().end(),
                      [code](std::size_t i) { return design::damFields()[i].usedBy(code); }));
}

std::vector<DamEntry> damEntries(const Sheet& sheet, const SheetEvaluation& evaluation) {
    std::vector<DamEntry> out;
    const auto fault = evaluation.failedDamField();
    for (const std::size_t i : damPanelFields()) {
        const design::DamField& f = design::damFields()[i];
        DamEntry e;
        e.field = i;
        e.caption = design::damCaptionZh(f);
        e.text = sheet.dam()[i];
        e.hint = std::string(f.hintZh);
        e.shown = f.usedBy(sheet.code());
        e.atFault = fault == i;
        if (e.atFault) {
            e.tip = design::damFailureZh(*evaluation.damError);
        }
        out.push_back(std::move(e));
    }
    return out;
}

namespace {

bool anyChecked(const SheetEvaluation& evaluation) {
    return std::any_of(evaluation.sections->begin(), evaluation.sections->end(),
                       [](const design::SectionResult& s) { return s.margin.has_value(); });
}

// A dike's crest over its sections: how many computed, the highest requirement and where, the
// adopted crests' range and how they were taken, and the sections that stand short.
std::vector<SettledLine> dikeLines(const SheetEvaluation& evaluation) {
    std::vector<SettledLine> out;
    const auto& sections = *evaluation.sections;
    const std::size_t failed = evaluation.computed->failures.size();
    out.push_back({"计算断面", std::to_string(sections.size()) + " 个",
                   failed > 0 ? std::to_string(failed) + " 个断面未能计算" : std::string(),
                   failed > 0});
    if (!evaluation.governing) {
        return out;
    }
    const design::SectionResult& g = *evaluation.outcomes[*evaluation.governing].section;
    out.push_back({"要求堤顶最高（m）", level(g.required), g.section.water.label, false});
    const auto [low, high] =
        std::minmax_element(sections.begin(), sections.end(),
                            [](const auto& a, const auto& b) { return a.adopted < b.adopted; });
    const double step = evaluation.dikeBlock.step;
    out.push_back(
        {"采用堤顶（m）",
         design::adoptedZh(low->adopted, step) + "～" + design::adoptedZh(high->adopted, step),
         evaluation.dikeBlock.smooth ? "沿程平顺，不低于各断面要求" : "逐断面向上取整", false});
    if (anyChecked(evaluation)) {
        out.push_back({"现状堤顶不足", std::to_string(evaluation.shortSections) + " 个断面",
                       evaluation.shortSections > 0 ? "不满足" : "满足",
                       evaluation.shortSections > 0});
    }
    return out;
}

}  // namespace

std::vector<SettledLine> settledLines(const SheetEvaluation& evaluation) {
    std::vector<SettledLine> out;
    const bool dike = evaluation.code == DesignCode::Dike;
    if (evaluation.damError) {
        out.push_back({dike ? "堤顶高程" : "坝顶高程", "—",
                       design::damFailureZh(*evaluation.damError), true});
        return out;
    }
    if (dike) {
        return dikeLines(evaluation);
    }
    const design::Settlement& settlement = evaluation.settlement;
    if (!settlement.settled) {
        if (settlement.why != design::Unsettled::NoConditions) {
            out.push_back(
                {"坝顶高程", "—", std::string(design::unsettledZh(settlement.why)), true});
        }
        return out;
    }
    const design::Dam& dam = evaluation.dam;
    if (evaluation.check) {
        checkLines(out, *evaluation.computed, *evaluation.check);
        if (!dam.settles()) {
            return out;
        }
    }
    const design::Settled& s = *settlement.settled;
    out.push_back({"静水位 + y 最大值（m）", level(s.highestLevelPlusY),
                   design::conditionNameZh(evaluation.computed->results[s.highest].condition),
                   false});
    if (s.wallTop) {
        out.push_back({"采用防浪墙顶高程（m）", design::adoptedZh(s.wallTop->value, dam.step),
                       adoptedNote(*s.wallTop), !s.wallTop->met});
        for (const design::CrestBound& b : s.bounds) {
            out.push_back(
                {"坝顶下限（m）", level(b.value),
                 design::crestRuleZh(b.rule) + " " + std::string(design::standingMark(b.standing)),
                 false});
        }
    }
    out.push_back({"要求坝顶高程（m）", level(s.crest.required),
                   design::crestRuleZh(s.bounds[s.leading].rule), false});
    out.push_back({"采用坝顶高程（m）", design::adoptedZh(s.crest.value, dam.step),
                   adoptedNote(s.crest), !s.crest.met});
    if (s.wallHeight) {
        out.push_back({"防浪墙高度（m）", fixed(*s.wallHeight, 2),
                       s.wallHeightUnusual ? "不在一般的 1.0～1.2 m 之间" : "一般为 1.0～1.2 m",
                       s.wallHeightUnusual});
    }
    if (!dam.isCheck()) {
        out.push_back({"预留沉降（m）", fixed(s.reserve, 3), "不计入 y 与坝高", false});
        out.push_back({"竣工坝顶高程（m）", fixed(s.asBuilt, 3), "采用坝顶高程 + 预留沉降", false});
    }
    return out;
}

std::string_view settledTitle(const SheetEvaluation& evaluation) {
    if (evaluation.code == DesignCode::Dike) {
        return anyChecked(evaluation) ? "堤顶高程复核" : "堤顶高程的确定";
    }
    return evaluation.check ? "坝顶高程复核" : "坝顶高程的确定";
}

std::string copySettled(const SheetEvaluation& evaluation) {
    std::string out;
    for (const SettledLine& line : settledLines(evaluation)) {
        out += line.caption + "\t" + line.value + "\t" + line.note + "\r\n";
    }
    return out;
}

}  // namespace kelnor::sheet
