#pragma once

// The Chinese words of the design method, shared by the calculation book and the design
// conditions window: a condition's columns with their units, the names of its choices, why a
// condition cannot be computed and what a warning says. Plain text, never HTML: whoever puts
// it in a page escapes it.

#include <string>
#include <string_view>

#include "kelnor/design/check.h"
#include "kelnor/design/condition.h"
#include "kelnor/design/crest.h"
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

// `value` with `decimals` decimals, or more where that many would not tell it from `limit`:
// fxTelling(5.0000001, 5, 3) is "5.0000001", never "5.000".
std::string fxTelling(double value, double limit, int decimals);

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

// A value of the dam that cannot be used: 坝的参数 防浪墙高度（wall）的 “abc” 不是数值。
std::string damFailureZh(const DamError& e);

// The rule a bound on the crest comes from: "坝顶高程不低于非常运用最高静水位".
std::string crestRuleZh(CrestRule rule);

// Why the crest is not settled: "有工况未能计算，坝顶高程未定。"
std::string_view unsettledZh(Unsettled why);

// An adopted level as the book and the window print it: with the step's decimals, at least
// two: 104.30.
std::string adoptedZh(double level, double step);

// The designer's answer in one line, for the summary: 采用坝顶高程 103.10 m（要求 103.100 m），
// 防浪墙顶高程 104.30 m（要求 104.223 m），竣工坝顶高程 103.304 m，满足。
std::string settledZh(const Settled& s, const Dam& dam);

// A margin of what stands over its requirement: "富裕 0.090" or "不足 0.223" (m, 3 decimals,
// more where that would read as no margin).
std::string marginZh(const Margin& m);

// What must meet each condition's level + y in a check: "现状防浪墙顶" or "现状坝顶".
std::string_view checkedLevelZh(const DamCheck& c) noexcept;

// The verdict of a check in one sentence, for the summary, the book and the window:
//   复核结论：不满足。控制工况 设计洪水位 要求防浪墙顶高程 104.223 m，现状 104.00 m，不足
//   0.223 m；防浪墙需加高 0.3 m。
std::string checkConclusionZh(const Evaluation& ev, const DamCheck& c);

// "满足" or "不满足".
std::string_view metZh(bool met) noexcept;

// Which rule chose the governing condition (★).
std::string_view governingRuleZh(GoverningRule rule) noexcept;

}  // namespace kelnor::design
