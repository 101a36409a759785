#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kelnor {

// The kinds of failure a calculation or the report write can end with.
enum class FailureKind {
    TypeMismatch,     // a box's text is not a number
    DivisionByZero,   // a divisor of the method became 0
    Overflow,         // a result too large for a double
    InvalidArgument,  // square root of a negative value, negative base to a fractional power
    CannotWriteReport,
};

// The one exception type of the core. It carries its kind and, for a failure in reading
// a box, the box index and the text as typed; for a report write, the file and the
// system's reason.
class Failure : public std::runtime_error {
  public:
    Failure(FailureKind kind, std::string message);

    static Failure reading(FailureKind kind, int box, std::string text);
    static Failure writing(std::string path, std::string reason);

    FailureKind kind() const noexcept { return kind_; }
    // The input box whose text could not be read, if the failure came from reading one.
    std::optional<int> box() const noexcept { return box_; }
    // The box's text as typed (reading failures) or the report file (write failures).
    const std::string& text() const noexcept { return text_; }
    // The system's reason for a write failure.
    const std::string& reason() const noexcept { return reason_; }

  private:
    FailureKind kind_;
    std::optional<int> box_;
    std::string text_;
    std::string reason_;
};

// The kind in the words the command line prints: "type mismatch", "division by zero", ...
std::string_view kindWords(FailureKind kind) noexcept;

}  // namespace kelnor
