#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "kelnor/failure.h"

namespace kelnor {

// The wind-wave formula chosen in the window (Igs).
enum class FormulaChoice : std::int16_t {
    Putian = 1,        // Putian test-station formula, the design code's own
    Andreyanov = 2,    // Andreyanov formula
    GuantingHedi = 3,  // Guanting–Hedi formula
};

// The input boxes Text1(0) … Text1(7), by index.
enum class Box : int { H = 0, W10 = 1, D = 2, KDelta = 3, Kw = 4, M = 5, H2 = 6, Kz = 7 };

inline constexpr int kBoxCount = 8;

// The texts the window's boxes start with.
inline constexpr std::array<std::string_view, kBoxCount> kDefaultTexts = {
    "9.0", "27.0", "4", "0.65", "1.02", "3", "0.4", "1"};

// Reads a typed number as kelnor::parseNumber (kelnor/text/number.h) does: a text that is not
// one is a type mismatch, a number beyond the double range an overflow. Failures name `box`
// (-1 for none) and the text.
double readNumber(std::string_view text, int box = -1);

// The eight inputs of a calculation, kept as typed. A text becomes a double only where the
// method first uses it, so a bad box fails at the stage that needs it.
struct InputSet {
    std::array<std::string, kBoxCount> text;

    static InputSet defaults();

    const std::string& operator[](Box b) const { return text[static_cast<int>(b)]; }
    std::string& operator[](Box b) { return text[static_cast<int>(b)]; }

    double number(Box b) const { return readNumber((*this)[b], static_cast<int>(b)); }
};

}  // namespace kelnor
