#include "figures.h"

#include <charconv>
#include <cstdio>
#include <system_error>

#include "kelnor/text/number.h"

namespace kelnor::design {

namespace {

// The text with an ASCII minus sign at the front replaced by "−".
std::string minusSign(std::string s) {
    if (!s.empty() && s[0] == '-') {
        s.replace(0, 1, "−");
    }
    return s;
}

std::string shortest(double v, std::chars_format format) {
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, format);
    return ec == std::errc() ? std::string(buf, end) : std::string();
}

}  // namespace

std::string fx(double v, int decimals) {
    return fixed(v, decimals, Minus::Typographic);
}

std::string tv(double v) {
    std::string s = fx(v, 3);
    while (s.size() > 1 && s.back() == '0' && s[s.size() - 3] != '.') {
        s.pop_back();
    }
    return s;
}

std::string plain(double v) {
    std::string s = fx(v, 3);
    while (s.back() == '0') {
        s.pop_back();
    }
    if (s.back() == '.') {
        s.pop_back();
    }
    return s;
}

std::string pc(double P) {
    return plain(P) + " %";
}

std::string coefficient(double v) {
    return minusSign(shortest(v, std::chars_format::fixed));
}

std::string factor(double v) {
    const std::string table = tv(v);
    const std::string exact = coefficient(v);
    // The table's text reads back to v where, its zeros dropped, it is the shortest text.
    std::string trimmed = table;
    while (trimmed.find('.') != std::string::npos &&
           (trimmed.back() == '0' || trimmed.back() == '.')) {
        trimmed.pop_back();
    }
    return trimmed == exact ? table : exact;
}

PowerOfTen powerOfTen(double v) {
    // "3.6e-06": the mantissa before the e, the exponent after it without leading zeros.
    const std::string s = shortest(v, std::chars_format::scientific);
    const auto e = s.find('e');
    std::string exponent = s.substr(e + 1);
    const bool negative = exponent[0] == '-';
    exponent.erase(0, exponent[0] == '-' || exponent[0] == '+' ? 1 : 0);
    while (exponent.size() > 1 && exponent[0] == '0') {
        exponent.erase(0, 1);
    }
    return {minusSign(s.substr(0, e)), (negative ? "−" : "") + exponent};
}

}  // namespace kelnor::design
