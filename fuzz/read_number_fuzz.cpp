// The number reader on arbitrary bytes taken as typed text. It must give a finite double or
// fail with a type mismatch or an overflow that names the box and the text as typed. What it
// accepts must be exactly the typed-number grammar, read to the value the C library's strtod
// gives for the same digits, and the text with its full-width forms folded to ASCII must read
// to the same value.

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "kelnor/failure.h"
#include "kelnor/inputs.h"

namespace {

using namespace kelnor;
using fuzz::asCString;
using fuzz::require;

constexpr int kBox = 5;

// The forms a Chinese input method types in place of the ASCII ones.
struct WideForm {
    std::string_view utf8;
    char ascii;
};
constexpr WideForm kWideForms[] = {
    {"\u3000", ' '}, {"\uFF0B", '+'}, {"\uFF0D", '-'}, {"\uFF0E", '.'},
    {"\uFF25", 'E'}, {"\uFF45", 'e'}, {"\uFF10", '0'}, {"\uFF11", '1'},
    {"\uFF12", '2'}, {"\uFF13", '3'}, {"\uFF14", '4'}, {"\uFF15", '5'},
    {"\uFF16", '6'}, {"\uFF17", '7'}, {"\uFF18", '8'}, {"\uFF19", '9'},
};

std::string foldWideForms(std::string_view text) {
    std::string out;
    while (!text.empty()) {
        bool folded = false;
        for (const WideForm& form : kWideForms) {
            if (text.starts_with(form.utf8)) {
                out += form.ascii;
                text.remove_prefix(form.utf8.size());
                folded = true;
                break;
            }
        }
        if (!folded) {
            out += text.front();
            text.remove_prefix(1);
        }
    }
    return out;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The number a folded text stands for, without its surrounding blanks, when it is one:
// an optional sign, digits with at most one point (at least one digit), an optional
// exponent of e or E, an optional sign and digits.
std::optional<std::string> typedNumber(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        ++i;
    }
    int digits = 0, points = 0;
    for (; i < s.size() && (isDigit(s[i]) || s[i] == '.'); ++i) {
        s[i] == '.' ? ++points : ++digits;
    }
    if (digits == 0 || points > 1) {
        return std::nullopt;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            ++i;
        }
        const std::size_t start = i;
        while (i < s.size() && isDigit(s[i])) {
            ++i;
        }
        if (i == start) {
            return std::nullopt;
        }
    }
    if (i != s.size()) {
        return std::nullopt;
    }
    return std::string(s);
}

struct Outcome {
    std::optional<double> value;
    std::optional<FailureKind> failure;
};

Outcome read(std::string_view text) {
    Outcome o;
    try {
        o.value = readNumber(text, kBox);
    } catch (const Failure& f) {
        o.failure = f.kind();
        require(f.kind() == FailureKind::TypeMismatch || f.kind() == FailureKind::Overflow,
                "a reading failure is a type mismatch or an overflow", asCString(text));
        require(f.box() == kBox, "the failure names the box", asCString(text));
        require(f.text() == text, "the failure carries the text as typed", asCString(text));
    }
    return o;
}

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const Outcome outcome = read(text);
    const std::string folded = foldWideForms(text);
    const std::optional<std::string> number = typedNumber(folded);

    if (!number) {
        require(outcome.failure == FailureKind::TypeMismatch,
                "a text outside the number grammar is a type mismatch", asCString(text));
        return 0;
    }

    errno = 0;
    char* end = nullptr;
    const double expected = std::strtod(number->c_str(), &end);
    const bool underflow = errno == ERANGE && std::fabs(expected) < DBL_MIN;
    require(end == number->c_str() + number->size(), "strtod reads the whole number",
            asCString(*number));

    if (std::isinf(expected)) {
        require(outcome.failure == FailureKind::Overflow,
                "a number beyond the double range is an overflow", asCString(text));
        return 0;
    }
    require(outcome.value.has_value(), "a number within the double range is read", asCString(text));
    const double value = *outcome.value;
    require(std::isfinite(value), "the value read is finite", asCString(text));
    // Below the normal range the reader may give zero (keeping the sign) or the subnormal.
    require(sameBits(value, expected) ||
                (underflow && value == 0.0 && std::signbit(value) == std::signbit(expected)),
            "the value is the nearest double to the digits", asCString(text));

    const Outcome refolded = read(folded);
    require(refolded.value.has_value() && sameBits(*refolded.value, value),
            "the text with its full-width forms folded reads to the same value", asCString(text));
    return 0;
}
