#pragma once

// The box the rays of an equivalent fetch are typed in (等效吹程射线): one line for each ray,
// 7.5° apart from −45° to +45° of the wind, with the equivalent fetch worked out below them as
// they are typed. All thirteen give the fetch; the seven 15° apart alone (every other line, the
// others left empty) give it for preliminary work. Toolkit-free: each window shows it as a box
// of captioned lines (DesignView::editLines).

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kelnor::sheet {

// A captioned line of text in a box.
struct FormLine {
    std::string caption;
    std::string text;  // as the box opens
    std::string hint;  // shown greyed while the line is empty; may be empty
};

// A box of captioned lines with 确定 and 取消.
struct LinesForm {
    std::string title;
    std::vector<FormLine> lines;
    // What the box says under its lines about their texts as they stand, said again on every
    // change; none: nothing said.
    std::function<std::string(const std::vector<std::string>&)> live;
};

// The box's title.
inline constexpr std::string_view kRaysTitle = "等效吹程射线";

// The rays box for a fetch_rays cell: its distances in their lines (seven go to the lines 15°
// apart), the lines empty where the cell is.
LinesForm raysForm(std::string_view cell);

// The cell for the lines' texts: the distances given, joined by ";"; with only the lines 15°
// apart given, those seven; empty where every line is.
std::string raysCell(const std::vector<std::string>& texts);

// What the box says of the lines: the equivalent fetch with its sums, or what keeps the rays
// from giving one.
std::string raysSaying(const std::vector<std::string>& texts);

}  // namespace kelnor::sheet
