#include <string>

#include "kelnor/failure.h"
#include "kelnor/inputs.h"
#include "kelnor/text/number.h"

namespace kelnor {

double readNumber(std::string_view text, int box) {
    try {
        return parseNumber(text);
    } catch (const NumberError& e) {
        throw Failure::reading(e.kind() == NumberErrorKind::TooLarge ? FailureKind::Overflow
                                                                     : FailureKind::TypeMismatch,
                               box, e.text());
    }
}

InputSet InputSet::defaults() {
    InputSet inputs;
    for (int b = 0; b < kBoxCount; ++b) {
        inputs.text[b] = std::string(kDefaultTexts[b]);
    }
    return inputs;
}

}  // namespace kelnor
