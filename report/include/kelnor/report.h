#pragma once

#include <string>

#include "kelnor/calculation.h"
#include "kelnor/inputs.h"

namespace kelnor {

// The report's file name in the program directory.
inline constexpr const char* kReportFileName = "tavoout.txt";

// The fixed-layout results report of one calculation, as the bytes of the file: code page
// 936, every line ended by CR LF. The depth, slope coefficient and safety allowance are
// echoed exactly as typed.
std::string formatReport(FormulaChoice Igs, const InputSet& inputs, const Results& results);

// Calculates and formats in one go; raises the calculation's Failure, writes nothing.
std::string calculateReport(FormulaChoice Igs, const InputSet& inputs);

}  // namespace kelnor
