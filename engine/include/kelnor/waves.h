#pragma once

#include <vector>

#include "kelnor/inputs.h"

namespace kelnor {

// Constants as the method uses them; the unusual ones differ from the textbook values on
// purpose and every reported figure depends on them.
inline constexpr double g = 9.810001;      // gravity in formula 1 (not 9.81)
inline constexpr double twoG = 19.620002;  // 2g in the wind set-up (not 19.62)
inline constexpr double twoPi = 6.28318;   // 2π of the wavelength search
// Deep-water wavelength coefficient g / 2π, rounded: L = 1.56 T².
inline constexpr double deepWater = 1.56;

// Wind-wave elements on the reservoir; lengths in metres.
struct WaveElements {
    double W = 0;       // design wind speed, m/s
    double Dm = 0;      // fetch in metres
    double H1 = 0;      // mean wave height
    double T = 0;       // mean wave period, s
    double Lambda = 0;  // mean wavelength
    double E = 0;       // wind set-up
};

// The wave elements for the chosen formula from the design wind speed W, the fetch and the
// depth. H1 comes back rounded; T, Lambda and E as computed (the run rounds them).
WaveElements computeWaveElements(FormulaChoice Igs, const InputSet& inputs, double W);

// Outcome of the stepped wavelength search of the Putian formula.
struct WavelengthSearch {
    double Lambda = 0;     // the wavelength found, or the deep-water 1.56 T²
    int candidate = 0;     // 1-based number of the candidate that ended the search, 0 if none
    bool matched = false;  // a candidate came within the tolerance
};

// The candidate lengths: 2, 2.2, … accumulated in steps of 0.2 while they stay at most 90.
// The sum passes 90 just before reaching it, so the last is 89.8 (440 candidates).
const std::vector<double>& wavelengthCandidates();

// The first candidate L whose computed length Lc = (T²g/2π)·th(2πH/L) lies within 0.5 of it
// ends the search: with H/L < 0.5 its Lc is the wavelength, otherwise the deep-water length
// 1.56 T² is; when no candidate comes within 0.5, the deep-water length too.
WavelengthSearch searchWavelength(double T, double H);

}  // namespace kelnor
