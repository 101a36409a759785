#pragma once

// The command line's English for the design method: a condition that cannot be computed (one
// line on standard error) and a warning (the `warnings` cell of the results CSV).

#include <string>

#include "kelnor/design/condition.h"
#include "kelnor/design/method.h"

namespace kelnor::cli {

// Which row, which condition and what is wrong with which cell, e.g.
//   row 3 (正常蓄水位): depth "-2" must be above 0
std::string describe(const design::ConditionError& e);

// What is out of range, by how much, and what the method held, e.g.
//   Hedi formula: wind 27 m/s is not below 26.5 m/s
std::string describe(const design::Warning& w);

}  // namespace kelnor::cli
