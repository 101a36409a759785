#include "kelnor/number_format.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace kelnor {

namespace {

// A magnitude to 15 significant digits: digits[0..count) without trailing zeros, the value
// being 0.d₀d₁… × 10^(exponent + 1), i.e. d₀ stands at the decimal position `exponent`.
struct Decimal {
    char digits[15];
    int count = 0;
    int exponent = 0;
};

Decimal toDecimal(double magnitude) {
    Decimal d;
    char buf[40];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 14);
    // buf: d.dddddddddddddde±XX
    d.digits[0] = buf[0];
    for (int i = 1; i < 15; ++i) {
        d.digits[i] = buf[i + 1];
    }
    d.count = 15;
    while (d.count > 1 && d.digits[d.count - 1] == '0') {
        --d.count;
    }
    const char* sign = buf + 17;  // after the 'e'
    std::from_chars(sign + 1, res.ptr, d.exponent);
    if (*sign == '-') {
        d.exponent = -d.exponent;
    }
    return d;
}

void appendExponentForm(std::string& out, const Decimal& d) {
    out += d.digits[0];
    if (d.count > 1) {
        out += '.';
        out.append(d.digits + 1, d.count - 1);
    }
    out += d.exponent < 0 ? "E-" : "E+";
    const int e = std::abs(d.exponent);
    if (e < 10) {
        out += '0';
    }
    out += std::to_string(e);
}

}  // namespace

void appendPlainNumber(std::string& out, double x) {
    out += x < 0 ? '-' : ' ';
    const double magnitude = std::fabs(x);
    if (magnitude == 0.0) {
        out += "0 ";
        return;
    }
    const Decimal d = toDecimal(magnitude);
    if (d.exponent >= 15 || d.exponent < -2) {
        appendExponentForm(out, d);
    } else if (d.exponent >= 0) {
        const int intDigits = d.exponent + 1;
        if (d.count <= intDigits) {
            out.append(d.digits, d.count);
            out.append(intDigits - d.count, '0');
        } else {
            out.append(d.digits, intDigits);
            out += '.';
            out.append(d.digits + intDigits, d.count - intDigits);
        }
    } else {
        out += '.';
        out.append(-d.exponent - 1, '0');
        out.append(d.digits, d.count);
    }
    out += ' ';
}

std::string formatPlainNumber(double x) {
    std::string s;
    appendPlainNumber(s, x);
    return s;
}

void appendTwoDecimals(std::string& out, double x) {
    const double magnitude = std::fabs(x);
    // Fixed-point digits of the magnitude down to the hundredths, most significant first.
    char fixed[400];
    int n = 0;
    if (magnitude != 0.0) {
        const Decimal d = toDecimal(magnitude);
        const int kept = d.exponent + 3;  // digits from d₀'s position down to hundredths
        if (kept > 0) {
            for (int i = 0; i < kept; ++i) {
                fixed[n++] = i < d.count ? d.digits[i] : '0';
            }
            const bool roundUp = kept < d.count && d.digits[kept] >= '5';
            if (roundUp) {
                int i = n - 1;
                while (i >= 0 && fixed[i] == '9') {
                    fixed[i--] = '0';
                }
                if (i >= 0) {
                    ++fixed[i];
                } else {
                    // Carry past the first digit: 9.995 becomes 10.00.
                    for (int j = n; j > 0; --j) {
                        fixed[j] = fixed[j - 1];
                    }
                    fixed[0] = '1';
                    ++n;
                }
            }
        } else if (kept == 0 && d.digits[0] >= '5') {
            fixed[n++] = '1';  // 0.005 … 0.00999 round to 0.01
        }
    }
    // At least the two decimals.
    if (n < 2) {
        for (int j = n - 1; j >= 0; --j) {
            fixed[j + 2 - n] = fixed[j];
        }
        for (int j = 0; j < 2 - n; ++j) {
            fixed[j] = '0';
        }
        n = 2;
    }
    // Integer part without leading zeros; none at all when it is 0.
    int start = 0;
    while (start < n - 2 && fixed[start] == '0') {
        ++start;
    }
    const bool isZero = start == n - 2 && fixed[n - 2] == '0' && fixed[n - 1] == '0';
    if (x < 0 && !isZero) {
        out += '-';
    }
    out.append(fixed + start, n - 2 - start);
    out += '.';
    out.append(fixed + n - 2, 2);
}

std::string formatTwoDecimals(double x) {
    std::string s;
    appendTwoDecimals(s, x);
    return s;
}

}  // namespace kelnor
