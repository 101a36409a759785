// The calculation book's closing section for a dam that stands: what stands against each
// condition and against the crest's rules under a wall, with the margins, the verdict and the
// raise needed.

#include "book_parts.h"
#include "figures.h"
#include "kelnor/design/check.h"
#include "kelnor/design/tables.h"
#include "kelnor/design/wording.h"

namespace kelnor::design::book_parts {

namespace {

using namespace doc;

std::string surveyedZh(Surveyed from, std::string_view other, const Dam& dam) {
    return from == Surveyed::Typed ? std::string("实测")
                                   : "按" + std::string(other) + "与防浪墙高度 " +
                                         fx(dam.wall.value_or(0), 2) + " m 推得";
}

Cell verdict(const Margin& m) {
    return {std::string(metZh(m.met)), m.met ? CellLook::Centre : CellLook::Note};
}

// Each condition's level + y against the wall top or the crest that stands.
Table conditionsTable(const Evaluation& ev, const DamCheck& c) {
    const std::string existing = std::string(checkedLevelZh(c)) + "（m）";
    Table t{TableKind::Plain,
            {2, 1.3, 1, 1.5, 1.5, 1.5, 1},
            {headerRow({"工况", "静水位（m）", "y（m）", "静水位 + y（m）", existing,
                        "富裕 / 不足（m）", "结论"})}};
    for (std::size_t i = 0; i < c.conditions.size(); ++i) {
        const ConditionCheck& k = c.conditions[i];
        const Result& r = ev.results[k.result];
        t.rows.push_back(
            {{name(conditionNameZh(r.condition)), num(fx(*r.condition.level, 2)), num(fx(r.y, 3)),
              num(fx(k.margin.required, 3)), num(fx(k.margin.existing, 2)), num(marginZh(k.margin)),
              verdict(k.margin)},
             i == c.governing ? RowLook::Governing : RowLook::Plain});
    }
    return t;
}

// The crest's own rules under a wall against the crest that stands.
Table rulesTable(const Evaluation& ev, const DamCheck& c) {
    Table t{TableKind::Bounds,
            {3.6, 2.6, 1.2, 1.2, 1.4, 0.9, 0.8},
            {headerRow({"坝顶高程的条件", "代入数值", "要求（m）", "现状坝顶（m）",
                        "富裕 / 不足（m）", "结论", "来源"})}};
    for (const RuleCheck& r : c.rules) {
        const CrestBound& b = r.bound;
        std::string values = fx(b.basis, 2);
        if (b.rule == CrestRule::AboveNormalLevel) {
            values += " + " + tv(WallRules::aboveNormal);
        }
        values += "（" + conditionNameZh(ev.results[*b.condition].condition) + "）";
        t.rows.push_back({{{crestRuleZh(b.rule)},
                           {values, CellLook::Formula},
                           num(fx(r.margin.required, 3)),
                           num(fx(r.margin.existing, 2)),
                           num(marginZh(r.margin)),
                           verdict(r.margin),
                           {std::string(standingMark(b.standing))}}});
    }
    return t;
}

}  // namespace

void checkSection(Group& g, const Evaluation& ev, const BookOptions& o,
                  const Settlement& settlement, const DamCheck& c) {
    const Dam& dam = o.dam;
    const std::string confirmed(standingMark(Standing::Confirmed));
    std::string stands = "已建坝复核：现状坝顶高程 " + fx(c.crest, 2) + " m（" +
                         surveyedZh(c.crestFrom, "现状防浪墙顶高程", dam) + "）";
    if (c.wallTop) {
        stands += "，现状防浪墙顶高程 " + fx(*c.wallTop, 2) + " m（" +
                  surveyedZh(c.wallTopFrom, "现状坝顶高程", dam) + "）";
    }
    g << Paragraph{stands + "。已建坝的沉降已经发生，复核不计预留沉降 " + confirmed + "。"};
    g << Paragraph{c.wallTop ? "坝顶上游侧设有防浪墙，坝顶超高计至防浪墙顶（SL 274 第 5.3.4 条）" +
                                   confirmed + "：各工况静水位 + y 不得高于现状防浪墙顶高程。"
                             : "坝顶不设防浪墙：各工况静水位 + y 不得高于现状坝顶高程 " +
                                   confirmed + "。"}
      << conditionsTable(ev, c);
    if (!c.rules.empty()) {
        g << Paragraph{"设防浪墙时坝顶自身尚应满足：正常运用条件下高出静水位 " +
                       tv(WallRules::aboveNormal) +
                       " m，非常运用条件下不低于静水位（SL 274 第 5.3.4 条）。"}
          << rulesTable(ev, c);
    }
    g << Paragraph{checkConclusionZh(ev, c), c.met() ? Tone::Marked : Tone::MarkedFailure};
    std::string raise = "加高按 " + adoptedZh(c.step, c.step) + " m 向上取整。";
    if (c.wallTop) {
        raise += "若不设防浪墙，坝顶高程须不低于 " +
                 fx(c.conditions[c.governing].margin.required, 3) + " m，取整为 " +
                 adoptedZh(c.crestWithoutWall, c.step) + " m。";
    }
    g << Paragraph{raise};
    if (settlement.settled && dam.settles()) {
        g << Paragraph{"加高方案（设计人员给定之采用值）：" + settledZh(*settlement.settled, dam),
                       settlement.settled->met() ? Tone::Marked : Tone::MarkedFailure};
    }
}

}  // namespace kelnor::design::book_parts
