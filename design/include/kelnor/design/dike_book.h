#pragma once

// The calculation book of a dike (堤顶高程计算书): the dike code's method, every section's
// results along the chainage, the long section, one section worked in full, the sections that
// could not be computed and the warnings, and the sources; a document free of any format that
// renders to HTML and WordprocessingML as the dam's book does.

#include <string>
#include <vector>

#include <string_view>
#include <vector>

#include "kelnor/design/crest.h"
#include "kelnor/design/dike.h"
#include "kelnor/design/document.h"

namespace kelnor::design {

// The book of `sections` computed and `failures` refused, in the file's order. The section
// worked in full is the one named `worked` (its name or chainage as written), else, or where no
// section has that name, which the book says, the one that requires the highest crest.
doc::Document dikeBookDocument(const std::vector<SectionResult>& sections,
                               const std::vector<ConditionError>& failures,
                               const TitleBlock& title, std::string_view worked = {});

}  // namespace kelnor::design
