#include "kelnor/sheet/rays_form.h"

#include <cstddef>

#include "kelnor/design/condition.h"
#include "kelnor/design/wording.h"
#include "kelnor/text/number.h"
#include "kelnor/text/text.h"

namespace kelnor::sheet {

namespace {

// Whether only the lines 15° apart (the even ones) are given.
bool coarseOnly(const std::vector<std::string>& texts) {
    bool any = false;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const bool blank = isBlank(texts[i]);
        if (i % 2 == 1 && !blank) {
            return false;
        }
        any = any || !blank;
    }
    return any;
}

}  // namespace

LinesForm raysForm(std::string_view cell) {
    LinesForm form;
    form.title = std::string(kRaysTitle);
    const design::FetchRays angles =
        design::equivalentFetch(std::vector<double>(design::kFineRays, 1));
    for (std::size_t i = 0; i < design::kFineRays; ++i) {
        const double angle = angles.angle(i);
        std::string caption = fixed(angle, angle == static_cast<int>(angle) ? 0 : 1) + "°（km）";
        form.lines.push_back({std::move(caption), "", i % 2 == 0 ? "" : "初步设计可空"});
    }
    const std::vector<std::string_view> given = design::rayTexts(cell);
    const bool coarse = given.size() == design::kCoarseRays;
    for (std::size_t i = 0; i < given.size() && i < design::kFineRays; ++i) {
        form.lines[coarse ? 2 * i : i].text = std::string(given[i]);
    }
    form.live = raysSaying;
    return form;
}

std::string raysCell(const std::vector<std::string>& texts) {
    const bool coarse = coarseOnly(texts);
    std::string out;
    bool any = false;
    for (std::size_t i = 0; i < texts.size(); i += coarse ? 2 : 1) {
        if (i != 0) {
            out += ';';
        }
        out += trimBlanks(texts[i]);
        any = any || !isBlank(texts[i]);
    }
    return any ? out : std::string();
}

std::string raysSaying(const std::vector<std::string>& texts) {
    const std::string cell = raysCell(texts);
    if (cell.empty()) {
        return "填 13 条射线（每隔 7.5°），或初步设计只填每隔 15° 的 7 条。";
    }
    try {
        const design::Condition c = design::readCondition({0,
                                                           {{"fetch_rays", cell},
                                                            {"depth", "1"},
                                                            {"wind", "1"},
                                                            {"slope", "1"},
                                                            {"roughness", "1"},
                                                            {"grade", "1"}}});
        const design::FetchRays& rays = *c.rays;
        return "Fe = " + fixed(rays.sumRCos2, 4) + " / " + fixed(rays.sumCos, 4) + " = " +
               fixed(rays.fe, 3) + " km（" + std::to_string(rays.km.size()) + " 条，间隔 " +
               fixed(rays.step(), rays.km.size() == design::kFineRays ? 1 : 0) + "°）";
    } catch (const design::ConditionError& e) {
        const std::string why = design::failureZh(e);
        return why.substr(why.find("：") + std::string_view("：").size());
    }
}

}  // namespace kelnor::sheet
