#include "kelnor/failure.h"

#include <utility>

namespace kelnor {

Failure::Failure(FailureKind kind, std::string message)
    : std::runtime_error(std::move(message)), kind_(kind) {}

Failure Failure::reading(FailureKind kind, int box, std::string text) {
    std::string message(kindWords(kind));
    message += ": box ";
    message += std::to_string(box);
    message += " \"";
    message += text;
    message += kind == FailureKind::Overflow ? "\" is too large" : "\" is not a number";
    Failure f(kind, std::move(message));
    f.box_ = box;
    f.text_ = std::move(text);
    return f;
}

Failure Failure::writing(std::string path, std::string reason) {
    std::string message(kindWords(FailureKind::CannotWriteReport));
    message += ": " + path + ": " + reason;
    Failure f(FailureKind::CannotWriteReport, std::move(message));
    f.text_ = std::move(path);
    f.reason_ = std::move(reason);
    return f;
}

std::string_view kindWords(FailureKind kind) noexcept {
    switch (kind) {
        case FailureKind::TypeMismatch:
            return "type mismatch";
        case FailureKind::DivisionByZero:
            return "division by zero";
        case FailureKind::Overflow:
            return "overflow";
        case FailureKind::InvalidArgument:
            return "invalid argument";
        case FailureKind::CannotWriteReport:
            return "cannot write report";
    }
    return "failure";
}

}  // namespace kelnor
