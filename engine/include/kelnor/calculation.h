#pragma once

#include "kelnor/inputs.h"
#include "kelnor/runup.h"
#include "kelnor/waves.h"

namespace kelnor {

// Everything a calculation yields, rounded where the report shows it rounded.
struct Results {
    WaveElements waves;
    RunupResult runup;
};

// The calculation up to the report: design wind speed, wave elements, wind set-up, run-up
// and freeboard, then the rounding of period and wavelength. Raises a Failure at the first
// operation that fails; nothing is written.
Results calculate(FormulaChoice Igs, const InputSet& inputs);

}  // namespace kelnor
