#pragma once

// kelnor-calc --conditions for a dike: its sections along the chainage computed by the dike
// code, streamed one line each.

#include <string>
#include <utility>
#include <vector>

#include "conditions.h"
#include "kelnor/csv/table.h"

namespace kelnor::cli {

// Computes the sections of `table` (read with design::fileColumns()) by the dike code and writes
// one line each: section,chainage,level,hm,Tm,Lm,e,Kw,Kp,Kbeta,Rp,A,Y,crest,adopted,as_built,
// margin,warnings. `block` holds the rows above the header but the code's: the rounding step
// (`step`), `smooth` (the adopted crests made monotone along the reach, which holds the
// sections' results until the last is read; otherwise each is written as it is read), and
// `overtopping`, and the title block. Returns the exit status: 0, or 1 when a section failed,
// an existing crest falls short or a block row cannot be used.
int runDike(ConditionsIo& io, const ConditionsRequest& request, csv::TableReader& table,
            const std::vector<std::pair<std::string, std::string>>& block);

}  // namespace kelnor::cli
