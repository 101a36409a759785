#pragma once

#include <exception>
#include <optional>
#include <string>

namespace kelnor {

// The kinds of failure a calculation can end with.
enum class FailureKind {
    TypeMismatch,     // a box's text is not a number
    DivisionByZero,   // a divisor of the method became 0
    Overflow,         // a result too large for a double
    InvalidArgument,  // square root of a negative value, negative base to a fractional power
};

// The one exception type of the calculation. It carries data only: its kind and, for a
// failure in reading a number, the text as typed and the box it came from (when it came from
// one). Each front end words it in its own language.
class Failure : public std::exception {
  public:
    explicit Failure(FailureKind kind) noexcept : kind_(kind) {}

    // A number text that does not read; `box` is the input box it came from, or −1.
    static Failure reading(FailureKind kind, int box, std::string text);

    FailureKind kind() const noexcept { return kind_; }
    // The input box whose text could not be read, if the failure came from reading one.
    std::optional<int> box() const noexcept { return box_; }
    // The text as typed, for a failure in reading a number; empty otherwise.
    const std::string& text() const noexcept { return text_; }

    const char* what() const noexcept override;

  private:
    FailureKind kind_;
    std::optional<int> box_;
    std::string text_;
};

}  // namespace kelnor
