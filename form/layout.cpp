#include "kelnor/form/layout.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "kelnor/inputs.h"

namespace kelnor::form {

namespace {

using enum ControlKind;
using kelnor::kDefaultTexts;

// The input rows from top to bottom, each label before its box. The wind-height factor, the
// last box, stands third: it qualifies the wind speed above it. The widest label runs on under
// its box, which lies on top of it. A box's caption is the text it starts with.
constexpr std::array kControls = {
    Control{Label, "Label1", 0, "平均水深(m)：", {360, 240, 1572, 252}},
    Control{TextBox, "Text1", 0, kDefaultTexts[0], {2280, 120, 852, 372}},
    Control{Label, "Label1", 1, "设计风速(m/s 10米高)：", {360, 660, 2232, 252}},
    Control{TextBox, "Text1", 1, kDefaultTexts[1], {2280, 540, 852, 372}},
    Control{Label, "Label1", 7, "风速高度修正系数Kz:", {360, 1080, 1812, 252}},
    Control{TextBox, "Text1", 7, kDefaultTexts[7], {2280, 960, 852, 372}},
    Control{Label, "Label1", 2, "吹程(km)：", {360, 1500, 1572, 252}},
    Control{TextBox, "Text1", 2, kDefaultTexts[2], {2280, 1380, 852, 372}},
    Control{Label, "Label1", 3, "糙率及渗透系数K△:", {360, 1920, 1572, 252}},
    Control{TextBox, "Text1", 3, kDefaultTexts[3], {2280, 1800, 852, 372}},
    Control{Label, "Label1", 4, "经验系数Kw:", {360, 2340, 1572, 252}},
    Control{TextBox, "Text1", 4, kDefaultTexts[4], {2280, 2220, 852, 372}},
    Control{Label, "Label1", 5, "边坡系数M:", {360, 2760, 1572, 252}},
    Control{TextBox, "Text1", 5, kDefaultTexts[5], {2280, 2640, 852, 372}},
    Control{Label, "Label1", 6, "安全加高(米):", {360, 3180, 1572, 252}},
    Control{TextBox, "Text1", 6, kDefaultTexts[6], {2280, 3060, 852, 372}},
    Control{
        Label, "Label2", -1, "依据：《碾压式土石坝设计规范》中莆田公式", {240, 3540, 3732, 252}},
    Control{Frame, "Frame1", -1, "风浪要素计算公式", {3360, 60, 2412, 1332}},
    Control{Option, "Option1", 0, "莆田试验站公式", {240, 300, 1992, 312}},
    Control{Option, "Option1", 1, "安得烈扬诺夫公式", {240, 600, 1992, 312}},
    Control{Option, "Option1", 2, "官厅—鹤地公式", {240, 900, 1992, 312}},
    Control{Button, "Command4", -1, "参数选取说明", {4080, 1560, 1572, 372}},
    Control{Button, "Command1", -1, "计算Kelnor", {4080, 2040, 1572, 372}},
    Control{Button, "Command3", -1, "查看成果", {4080, 2520, 1572, 372}},
    Control{Button, "Command2", -1, "退    出", {4080, 3000, 1572, 372}},
};

constexpr const Control* find(std::string_view name, int index) {
    for (const Control& c : kControls) {
        if (c.name == name && c.index == index) {
            return &c;
        }
    }
    return nullptr;
}

// The three main inputs, calculate and exit, the slope coefficients, view results, then the
// rest.
constexpr std::array kTabChain = {
    find("Text1", 0),     find("Text1", 1),     find("Text1", 2),   find("Command1", -1),
    find("Command2", -1), find("Text1", 3),     find("Text1", 4),   find("Command3", -1),
    find("Text1", 5),     find("Text1", 6),     find("Option1", 0), find("Option1", 1),
    find("Option1", 2),   find("Command4", -1), find("Text1", 7),
};
static_assert(std::ranges::none_of(kTabChain, [](const Control* c) { return c == nullptr; }));

}  // namespace

std::string Control::id() const {
    std::string text(name);
    if (index >= 0) {
        // Appended piece by piece: "(" + std::to_string(…) draws a false -Wrestrict of GCC 12.
        text += '(';
        text += std::to_string(index);
        text += ')';
    }
    return text;
}

std::span<const Control> controls() {
    return kControls;
}

const Control& control(std::string_view name, int index) {
    const Control* found = find(name, index);
    if (found == nullptr) {
        throw std::out_of_range("the form has no control " + Control{{}, name, index, {}, {}}.id());
    }
    return *found;
}

std::span<const Control* const> tabChain() {
    return kTabChain;
}

std::string boxName(int box) {
    std::string_view caption = control("Label1", box).caption;
    for (std::string_view colon : {std::string_view(":"), std::string_view("：")}) {
        if (caption.ends_with(colon)) {
            caption.remove_suffix(colon.size());
        }
    }
    return std::string(caption);
}

int pixels(int twips, int dpi) {
    // Half a pixel rounds away from the origin, the same at every resolution.
    const long long scaled = 2LL * twips * dpi;
    const long long unit = 2LL * kTwipsPerInch;
    return static_cast<int>(scaled >= 0 ? (scaled + kTwipsPerInch) / unit
                                        : -((-scaled + kTwipsPerInch) / unit));
}

Pixels pixels(const Twips& place, int dpi) {
    return {pixels(place.left, dpi), pixels(place.top, dpi), pixels(place.right(), dpi),
            pixels(place.bottom(), dpi)};
}

Twips captionRoom(const Control& label) {
    Twips room = label.place;
    for (const Control& box : kControls) {
        const Twips& over = box.place;
        const bool overlaps = over.left < room.right() && room.left < over.right() &&
                              over.top < room.bottom() && room.top < over.bottom();
        if (box.kind == TextBox && overlaps && over.left > room.left) {
            room.width = over.left - room.left;
        }
    }
    return room;
}

std::string missingFileMessage(std::string_view whenMissing, std::string_view path) {
    return std::string(whenMissing) + "\n" + std::string(path);
}

Origin centredOrigin(int width, int height, const Pixels& area) {
    const auto along = [](int size, int first, int end) {
        return std::max(first, first + (end - first - size) / 2);
    };
    return {along(width, area.left, area.right), along(height, area.top, area.bottom)};
}

}  // namespace kelnor::form
