#pragma once

// What the design window's dam panel shows, once for every toolkit: the values of the dam as a
// whole (the wave wall, the reserve, the dam's height, the rounding step and the adopted
// values), each with its caption, greyed default and fault, and under them the settled crest:
// the requirement, each bound with its rule, the adopted values with 满足/不满足, the reserve
// and the crest as built. The title block is edited in the 计算书信息 box, not here.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "kelnor/sheet/evaluation.h"
#include "kelnor/sheet/sheet.h"

namespace kelnor::sheet {

// The values the panel edits in place, as indices into design::damFields(), in order: a dam's
// and a dike's, each shown while the sheet is of its code.
const std::vector<std::size_t>& damPanelFields();

// How many of them a sheet of `code` shows.
std::size_t shownEntryCount(DesignCode code);

// An entry box of the panel.
struct DamEntry {
    std::size_t field = 0;  // into design::damFields()
    std::string caption;    // "防浪墙高度（m）"
    std::string text;       // as typed
    std::string hint;       // greyed while empty: "无防浪墙"
    bool shown = true;      // a value of the sheet's code: hidden otherwise
    bool atFault = false;   // the value cannot be used
    std::string tip;        // why, where at fault
};

// One per damPanelFields(), in its order.
std::vector<DamEntry> damEntries(const Sheet& sheet, const SheetEvaluation& evaluation);

// A line of the settled crest.
struct SettledLine {
    std::string caption;   // "要求防浪墙顶高程（m）"
    std::string value;     // "104.223"
    std::string note;      // the rule, or 满足/不满足
    bool failing = false;  // an adopted value below its requirement, or nothing settled
};

std::vector<SettledLine> settledLines(const SheetEvaluation& evaluation);

// What the settled lines are headed with: 坝顶高程的确定, or 坝顶高程复核 for a dam that stands.
std::string_view settledTitle(const SheetEvaluation& evaluation);

// The settled crest as tab-separated lines caption, value, note (with 复制成果).
std::string copySettled(const SheetEvaluation& evaluation);

}  // namespace kelnor::sheet
