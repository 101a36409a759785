#pragma once

// The Chinese words of the design method, shared by the calculation book and the design
// conditions window: a condition's columns with their units, the names of its choices, why a
// condition cannot be computed and what a warning says. Plain text, never HTML: whoever puts
// it in a page escapes it.

#include <string>
#include <string_view>

#include "kelnor/design/condition.h"
#include "kelnor/design/method.h"

namespace kelnor::design {

// A column of a condition by its Chinese name with its unit, as the book's table of conditions
// lists it: "depth" → "坝前水深 H（m）", "case" → "工况名称". Empty for a column the method does
// not read.
std::string_view columnZh(std::string_view column) noexcept;

std::string_view formulaZh(WaveFormula f) noexcept;       // "莆田试验站公式"
std::string_view formulaShortZh(WaveFormula f) noexcept;  // "莆田"
std::string gradeZh(int grade);                           // "2 级"
std::string_view operationZh(Operation o) noexcept;       // "正常运用"
std::string_view regionZh(Region r) noexcept;             // "山区、丘陵区"

// A row of the conditions: "第 3 行".
std::string rowZh(int row);

// How a condition is named: its label, else its row, else "工况".
std::string conditionNameZh(const Condition& c);

// A condition that cannot be computed, where and why:
//   第 5 行（缺水深）：depth 的 “-2” 应大于 0。
std::string failureZh(const ConditionError& e);

// What is out of range and what the method did about it:
//   鹤地公式适用于 D < 7.5 km，本工况 D = 9.000 km。
std::string warningZh(const Warning& w);

// Which rule chose the governing condition (★).
std::string_view governingRuleZh(GoverningRule rule) noexcept;

}  // namespace kelnor::design
