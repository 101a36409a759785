#include "kelnor/text/number.h"

#include <charconv>
#include <cstdio>
#include <string>

#include "kelnor/text/text.h"

namespace kelnor {

namespace {

[[noreturn]] void refuse(NumberErrorKind kind, std::string_view text) {
    throw NumberError(kind, std::string(text));
}

// Folds the text to ASCII: full-width digits, point, signs and e/E (U+FF10–FF19, FF0E,
// FF0B, FF0D, FF25, FF45) and the ideographic space U+3000. Returns false on any other
// non-ASCII byte.
bool foldToAscii(std::string_view text, std::string& out) {
    out.clear();
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        if (i + 2 >= text.size()) {
            return false;
        }
        const auto c1 = static_cast<unsigned char>(text[i + 1]);
        const auto c2 = static_cast<unsigned char>(text[i + 2]);
        char folded = 0;
        if (c == 0xE3 && c1 == 0x80 && c2 == 0x80) {
            folded = ' ';
        } else if (c == 0xEF && c1 == 0xBC && c2 >= 0x90 && c2 <= 0x99) {
            folded = static_cast<char>('0' + (c2 - 0x90));
        } else if (c == 0xEF && c1 == 0xBC && c2 == 0x8E) {
            folded = '.';
        } else if (c == 0xEF && c1 == 0xBC && c2 == 0x8B) {
            folded = '+';
        } else if (c == 0xEF && c1 == 0xBC && c2 == 0x8D) {
            folded = '-';
        } else if (c == 0xEF && c1 == 0xBC && c2 == 0xA5) {
            folded = 'E';
        } else if (c == 0xEF && c1 == 0xBD && c2 == 0x85) {
            folded = 'e';
        } else {
            return false;
        }
        out += folded;
        i += 2;
    }
    return true;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

const char* NumberError::what() const noexcept {
    return kind_ == NumberErrorKind::TooLarge ? "a number beyond the range of a double"
                                              : "not a number";
}

double parseNumber(std::string_view text) {
    thread_local std::string folded;
    if (!foldToAscii(trimBlanks(text), folded)) {
        refuse(NumberErrorKind::NotANumber, text);
    }
    const std::string_view s(folded);

    // Check the grammar ourselves: from_chars alone would also take "inf", "nan" and hex.
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    const std::size_t mantissaStart = i;
    int digits = 0;
    int fractionDigits = 0;
    bool seenPoint = false;
    bool seenNonzero = false;
    // Decimal exponent of the leading nonzero digit, to tell an overflow from an underflow.
    long magnitude = 0;
    for (; i < s.size(); ++i) {
        if (isDigit(s[i])) {
            ++digits;
            if (!seenNonzero && s[i] != '0') {
                seenNonzero = true;
                magnitude = seenPoint ? -(fractionDigits + 1) : 0;
            } else if (seenNonzero && !seenPoint) {
                ++magnitude;
            }
            if (seenPoint) {
                ++fractionDigits;
            }
        } else if (s[i] == '.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (digits == 0) {
        refuse(NumberErrorKind::NotANumber, text);
    }
    long exponent = 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        bool expNegative = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            expNegative = s[i] == '-';
            ++i;
        }
        const std::size_t expStart = i;
        for (; i < s.size() && isDigit(s[i]); ++i) {
            if (exponent < 100000) {
                exponent = exponent * 10 + (s[i] - '0');
            }
        }
        if (i == expStart) {
            refuse(NumberErrorKind::NotANumber, text);
        }
        if (expNegative) {
            exponent = -exponent;
        }
    }
    if (i != s.size()) {
        refuse(NumberErrorKind::NotANumber, text);
    }

    double value = 0.0;
    const char* first = s.data() + mantissaStart;
    const char* last = s.data() + s.size();
    const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Beyond the range of a double: too large is an overflow, too small reads as zero.
        if (seenNonzero && magnitude + exponent >= 0) {
            refuse(NumberErrorKind::TooLarge, text);
        }
        value = 0.0;
    } else if (ec != std::errc() || end != last) {
        refuse(NumberErrorKind::NotANumber, text);
    }
    return negative ? -value : value;
}

std::string fixed(double value, int decimals, Minus minus) {
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string text = buffer;
    if (text.front() != '-') {
        return text;
    }
    if (text.find_first_not_of("-0.") == std::string::npos) {  // a negative zero, -0.000
        text.erase(0, 1);
    } else if (minus == Minus::Typographic) {
        text.replace(0, 1, "\u2212");
    }
    return text;
}

}  // namespace kelnor
