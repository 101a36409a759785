#pragma once

// The command line's English for the design method: a condition that cannot be computed (one
// line on standard error) and a warning (the `warnings` cell of the results CSV).

#include <string>

#include <vector>

#include "kelnor/design/check.h"
#include "kelnor/design/condition.h"
#include "kelnor/design/crest.h"
#include "kelnor/design/method.h"
#include "kelnor/docx/word_book.h"

namespace kelnor::cli {

// Which row, which condition and what is wrong with which cell, e.g.
//   row 3 (正常蓄水位): depth "-2" must be above 0
std::string describe(const design::ConditionError& e);

// What is out of range, by how much, and what the method held, e.g.
//   Hedi formula: wind 27 m/s is not below 26.5 m/s
std::string describe(const design::Warning& w);

// A value of the dam that cannot be used, e.g.
//   dam's value wall "abc" is not a number
std::string describe(const design::DamError& e);

// A Word template that cannot be used: "a macro-enabled document (.docm/.dotm) is not taken".
std::string describe(const docx::TemplateError& e);

// The rule a bound on the crest comes from, with its figures from `dam`, e.g.
//   0.5 m above the highest normal-operation level
std::string describe(design::CrestRule rule, const design::Dam& dam);

// Why the crest is not settled.
std::string describe(design::Unsettled why);

// A settled or checked value as the settled rows give it: to the micrometre, shortest.
std::string settledNumber(double v);

// What stands, where it falls short of the code, in one line, e.g.
//   what stands does not meet the code: the wall top 104 is 0.22285 m short of 104.22285
//   (设计洪水位); raise the wall top by 0.3 m
std::string checkShortfall(const design::Evaluation& ev, const design::DamCheck& check);

// Each adopted value typed below its requirement, e.g.
//   adopted crest 104.2 is below the required 104.22284981178971
std::vector<std::string> shortfalls(const design::Settled& settled);

}  // namespace kelnor::cli
