#pragma once

#include "kelnor/inputs.h"
#include "kelnor/waves.h"

namespace kelnor {

// Run-up on the upstream slope and the crest freeboard above the still water level.
struct RunupResult {
    double R = 0;   // mean run-up
    double K1 = 0;  // factor from mean run-up to the 1 % run-up
    double K5 = 0;  // factor from mean run-up to the 5 % run-up
    double R1 = 0;  // design run-up at 1 %, dams of grades Ⅰ to Ⅲ
    double R5 = 0;  // design run-up at 5 %, dams of grades Ⅳ and Ⅴ
    double B1 = 0;  // crest freeboard with R1
    double B5 = 0;  // crest freeboard with R5
};

// Reads K△, Kw, M and H2 where the method first uses them. Takes H1 rounded, Lambda before
// rounding and E rounded.
RunupResult computeRunup(const InputSet& inputs, const WaveElements& waves);

}  // namespace kelnor
