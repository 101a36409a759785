#pragma once

// The steps of one condition's calculation as the calculation book lists them, as data: each
// with its name, the formula, the values put in, the result and the table rows read or a note.
// Every coefficient is printed from the method's own constants and every value from the
// result, so the book shows what the method computed.

#include <string>
#include <vector>

#include "kelnor/design/document.h"
#include "kelnor/design/method.h"

namespace kelnor::design {

struct Step {
    std::string name;    // plain text; empty where the step goes on from the one above
    doc::Runs formula;   // e.g. Tm = 4.438·hm with 0.5 as a superscript
    doc::Runs values;    // the formula with the values put in
    std::string result;  // plain text with the unit: "0.5451 m"
    doc::Runs basis;     // the table rows read, the interpolation, or a note
};

// Wave elements, wind set-up, run-up, freeboard and crest of one computed condition.
std::vector<Step> conditionSteps(const Result& r);

}  // namespace kelnor::design
