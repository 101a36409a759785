#include "kelnor/failure.h"

#include <utility>

namespace kelnor {

Failure Failure::reading(FailureKind kind, int box, std::string text) {
    Failure f(kind);
    if (box >= 0) {
        f.box_ = box;
    }
    f.text_ = std::move(text);
    return f;
}

// Only for a handler that knows no better; the front ends word the failure from its data.
const char* Failure::what() const noexcept {
    return "calculation failure";
}

}  // namespace kelnor
