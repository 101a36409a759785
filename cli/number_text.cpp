#include "number_text.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>

namespace kelnor::cli {

namespace {

__extension__ typedef unsigned __int128 Wide;

constexpr std::uint64_t kPowersOfTen[20] = {1,
                                            10,
                                            100,
                                            1000,
                                            10000,
                                            100000,
                                            1000000,
                                            10000000,
                                            100000000,
                                            1000000000,
                                            10000000000,
                                            100000000000,
                                            1000000000000,
                                            10000000000000,
                                            100000000000000,
                                            1000000000000000,
                                            10000000000000000,
                                            100000000000000000,
                                            1000000000000000000,
                                            10000000000000000000u};

// Past 19 decimals the products below no longer fit; 17 significant digits always read
// back, so 19 decimals suffice from 0.001 up.
constexpr int kMostDecimals = 19;
constexpr double kPowersOfTenAsDoubles[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                              1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
// 10^-3 ... 10^16, to place the leading digit.
constexpr double kPowersOfTenFromMinus3[20] = {1e-3, 1e-2, 1e-1, 1e0,  1e1,  1e2, 1e3,
                                               1e4,  1e5,  1e6,  1e7,  1e8,  1e9, 1e10,
                                               1e11, 1e12, 1e13, 1e14, 1e15, 1e16};
constexpr double kFastFrom = 1e-3;
constexpr double kFastBelow = 1e15;

void appendByLibrary(std::string& out, double x) {
    char text[32];
    out.append(text, std::to_chars(text, text + sizeof text, x).ptr);
}

// A positive double in the fast range, exactly mantissa · 2^-shift.
struct Binary {
    std::uint64_t mantissa;  // 2^52 <= mantissa < 2^53
    int shift;               // 3 ... 62
};

// The decimal with `decimals` places nearest to the value (a tie to the even one), as an
// integer count of 10^-decimals; `readsBack` tells whether reading it gives the value again,
// that is whether it lies within half the gap to each neighbouring double. The gaps are
// 2^-shift, below a power of two the lower gap is half that, and a decimal exactly halfway
// reads as the neighbour with the even mantissa.
Wide nearestDecimal(Binary b, int decimals, bool& readsBack) {
    const Wide scaled = Wide{b.mantissa} * kPowersOfTen[decimals];  // value · 10^d · 2^shift
    const Wide fraction = scaled & ((Wide{1} << b.shift) - 1);
    const Wide half = Wide{1} << (b.shift - 1);
    Wide n = scaled >> b.shift;
    if (fraction > half || (fraction == half && (n & 1) != 0)) {
        ++n;
    }
    const Wide back = n << b.shift;
    const bool above = back >= scaled;
    const Wide distance4 = 4 * (above ? back - scaled : scaled - back);
    const bool lowerGapHalved = !above && b.mantissa == (std::uint64_t{1} << 52);
    const Wide halfGap4 = Wide{kPowersOfTen[decimals]} * (lowerGapHalved ? 1 : 2);
    readsBack = distance4 < halfGap4 || (distance4 == halfGap4 && (b.mantissa & 1) == 0);
    return n;
}

// How a decimal of some number of places reads back.
enum class Reading { Back, NotBack, TooManyDigits };

// The same in double arithmetic, which is exact while the decimal has at most 15
// significant digits: then the value times 10^places lies within 0.25 of the nearest such
// decimal whenever that decimal reads back, so rounding finds it, and dividing it by the
// power of ten rounds exactly as reading its text does.
Reading shortDecimal(double magnitude, int places, std::uint64_t& count) {
    const double scaled = magnitude * kPowersOfTenAsDoubles[places];
    if (!(scaled < 1e15)) {
        return Reading::TooManyDigits;
    }
    const double whole = (scaled + 0x1p52) - 0x1p52;  // to the nearest integer
    if (whole / kPowersOfTenAsDoubles[places] != magnitude) {
        return Reading::NotBack;
    }
    count = static_cast<std::uint64_t>(whole);
    return Reading::Back;
}

// The fewest places from `fewest` on that read back, and the decimal, when the double
// arithmetic above cannot settle it. 17 significant digits always read back, and they are
// at most kMostDecimals places in the fast range.
int fewestPlacesExactly(Binary b, int fewest, std::uint64_t& count) {
    for (int places = fewest;; ++places) {
        bool readsBack = false;
        const Wide decimal = nearestDecimal(b, places, readsBack);
        if (readsBack || places == kMostDecimals) {
            count = static_cast<std::uint64_t>(decimal);
            return places;
        }
    }
}

}  // namespace

void appendShortest(std::string& out, double x) {
    const double magnitude = x < 0 ? -x : x;
    if (!(magnitude >= kFastFrom && magnitude < kFastBelow)) {
        appendByLibrary(out, x);
        return;
    }
    const auto bits = std::bit_cast<std::uint64_t>(magnitude);
    const int binaryExponent = static_cast<int>(bits >> 52) - 1023;
    const Binary b{(bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52),
                   52 - binaryExponent};

    // Most results are rounded to two places; the others mostly need 16 or 17 digits.
    std::uint64_t count = 0;
    int decimals = 2;
    switch (shortDecimal(magnitude, 2, count)) {
        case Reading::Back:  // perhaps with fewer places
            for (std::uint64_t fewer = 0;
                 decimals > 0 && shortDecimal(magnitude, decimals - 1, fewer) == Reading::Back;
                 --decimals) {
                count = fewer;
            }
            break;
        case Reading::NotBack: {
            // Try 15 significant digits; `lead` is roughly the place of the leading digit
            // (1233 / 4096 is about log10 2), and only the speed depends on it being right.
            int lead = (binaryExponent * 1233) >> 12;
            if (magnitude >= kPowersOfTenFromMinus3[lead + 4]) {
                ++lead;
            }
            const int places15 = std::max(3, 14 - lead);
            switch (shortDecimal(magnitude, places15, count)) {
                case Reading::Back:
                    decimals = 3;
                    while (shortDecimal(magnitude, decimals, count) != Reading::Back) {
                        ++decimals;
                    }
                    break;
                case Reading::NotBack:  // nor with fewer places
                    decimals = fewestPlacesExactly(b, places15 + 1, count);
                    break;
                case Reading::TooManyDigits:
                    decimals = fewestPlacesExactly(b, 3, count);
                    break;
            }
            break;
        }
        case Reading::TooManyDigits:
            decimals = fewestPlacesExactly(b, 0, count);
            break;
    }

    char digits[24];
    const int length =
        static_cast<int>(std::to_chars(digits, digits + sizeof digits, count).ptr - digits);
    // Only a whole number can end in zeros: with decimals, one fewer would have read back.
    int significant = length;
    while (significant > 1 && digits[significant - 1] == '0') {
        --significant;
    }
    const int exponent = length - 1 - decimals;  // -3 ... 15
    const int fixedLength = length > decimals ? length + (decimals > 0 ? 1 : 0) : 2 + decimals;
    const int exponentLength = significant + (significant > 1 ? 1 : 0) + 4;  // e+dd

    // Written into a small buffer first: one append is cheaper than several.
    char text[32];
    char* p = text;
    if (x < 0) {
        *p++ = '-';
    }
    if (fixedLength <= exponentLength) {
        if (length > decimals) {
            p = std::copy_n(digits, length - decimals, p);
            if (decimals > 0) {
                *p++ = '.';
                p = std::copy_n(digits + length - decimals, decimals, p);
            }
        } else {
            *p++ = '0';
            *p++ = '.';
            p = std::fill_n(p, decimals - length, '0');
            p = std::copy_n(digits, length, p);
        }
    } else {
        *p++ = digits[0];
        if (significant > 1) {
            *p++ = '.';
            p = std::copy_n(digits + 1, significant - 1, p);
        }
        *p++ = 'e';
        *p++ = exponent < 0 ? '-' : '+';
        const int e = exponent < 0 ? -exponent : exponent;
        *p++ = static_cast<char>('0' + e / 10);
        *p++ = static_cast<char>('0' + e % 10);
    }
    out.append(text, p);
}

}  // namespace kelnor::cli
