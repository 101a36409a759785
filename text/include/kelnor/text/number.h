#pragma once

// Reading a typed number the one way every front end and the design method read one, and
// writing one with a fixed count of decimals.

#include <exception>
#include <string>
#include <string_view>
#include <utility>

namespace kelnor {

enum class NumberErrorKind {
    NotANumber,  // the text is not a number as the grammar below has it
    TooLarge,    // a number beyond the range of a double
};

// A text that does not read as a number: why, and the text as typed. Data only; each caller
// words it, or turns it into a failure of its own naming the box, cell or value.
class NumberError : public std::exception {
  public:
    NumberError(NumberErrorKind kind, std::string text) : kind_(kind), text_(std::move(text)) {}
    NumberErrorKind kind() const noexcept { return kind_; }
    const std::string& text() const noexcept { return text_; }
    const char* what() const noexcept override;

  private:
    NumberErrorKind kind_;
    std::string text_;
};

// Reads a typed number, whatever the locale: "." is the decimal point. Blanks (space, tab,
// ideographic space) may stand before and after; an optional sign, digits with at most one
// ".", at least one digit and an optional exponent. The full-width forms a Chinese input
// method types read as their ASCII forms. A number too small for a double reads as 0. Raises
// NumberError.
double parseNumber(std::string_view text);

// How a negative number's sign is written: "-" where a spreadsheet must read a copied number
// as one, "−" (U+2212) as printed tables write it.
enum class Minus { Ascii, Typographic };

// `value` with a fixed count of decimals, rounded as printf rounds: fixed(0.54506, 4) is
// "0.5451". A negative zero ("-0.000") is written without its sign.
std::string fixed(double value, int decimals, Minus minus = Minus::Ascii);

}  // namespace kelnor
