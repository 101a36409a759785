#pragma once

#include <optional>
#include <string>

#include "tables.h"

namespace kelnor::cli {

// Computes the design conditions of a CSV table by the design code's method (SL 274 Appendix A)
// and prints one CSV row per computed condition:
//   case,formula,hm,Tm,Lm,e,Kw,Kp,Rm,Rp,A,y,crest,governs,warnings
// numbers as the shortest text that reads back to the same double, crest empty without a
// level, governs 1 for the governing condition and 0 for the others, warnings joined by "; ".
// The header names columns among those of a condition (case, level, depth, mean_depth, wind,
// fetch, angle, slope, roughness, kw, formula, grade, operation, region, frequency, allowance,
// extra) in any order. A condition that fails is left out of the output and named in one line
// on `io.errors`; the others still compute. With `book`, the calculation book (HTML) of all
// conditions replaces that file whole.
//
// Returns the exit status: 0 when every condition computed, 1 when any failed or the book
// could not be written, 2 when the input cannot be read or its header is wrong.
using ConditionsIo = TableIo;
int runConditions(ConditionsIo& io, const std::optional<std::string>& book);

}  // namespace kelnor::cli
