#include "kelnor/calculation.h"

#include "kelnor/numeric.h"

namespace kelnor {

Results calculate(FormulaChoice Igs, const InputSet& inputs) {
    // Design wind speed at 10 m, corrected for the height it was measured at.
    const double W10 = inputs.number(Box::W10);
    const double Kz = inputs.number(Box::Kz);
    const double W = round2(checked::mul(W10, Kz));

    Results results;
    results.waves = computeWaveElements(Igs, inputs, W);
    results.waves.E = round2(results.waves.E);

    // The run-up uses the wavelength before it is rounded for the report.
    results.runup = computeRunup(inputs, results.waves);

    results.waves.T = round2(results.waves.T);
    results.waves.Lambda = round2(results.waves.Lambda);
    return results;
}

}  // namespace kelnor
