#pragma once

// The sheet's own Chinese words, kept in one place beside those of the design method
// (kelnor/design/wording.h): the greyed defaults of empty cells, the summary line and the
// results table's header.

#include <string>
#include <string_view>
#include <vector>

namespace kelnor::sheet::words {

// Greyed in an empty cell: what the method takes instead.
inline constexpr std::string_view kByDepth = "按 H";    // mean_depth: the depth in front
inline constexpr std::string_view kFromTable = "查表";  // kw, allowance
inline constexpr std::string_view kByGrade = "按级别";  // frequency
inline constexpr std::string_view kZero = "0";          // angle, extra

// A result the condition does not have.
inline constexpr std::string_view kDash = "—";
// The governing condition's mark.
inline constexpr std::string_view kGoverns = "★";

// "控制工况：设计洪水位，y = 2.723 m，坝顶高程不低于 104.223 m"; `crest` empty: without it.
std::string summary(std::string_view name, std::string_view y, std::string_view crest);

// "18 个断面，要求堤顶最高为 K0+000：12.345 m".
std::string dikeSummary(std::size_t sections, std::string_view highest, std::string_view crest);
// "；3 个断面现状堤顶不足".
std::string shortSections(std::size_t count);

// The results table's header cells.
const std::vector<std::string>& resultHeader();

}  // namespace kelnor::sheet::words
