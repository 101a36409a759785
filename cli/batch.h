#pragma once

#include <optional>
#include <string>

#include "tables.h"

namespace kelnor::cli {

// Computes every case of a CSV table and writes a CSV of the results to `io.output`.
//
// The table's header names the columns among case, formula and the eight boxes (depth, wind, ...);
// a column left out takes the window's default for every row. Each row is read, computed and
// written before the next is read. The output repeats the case label (when the input has one), the
// formula and the eight texts, then W, Dm, H1, T, Lambda, E, R, K1, K5, R1, R5, B1, B5 as the
// report shows them before formatting, each as the shortest text that reads back to the same
// double, and an error column. A failing row has empty result cells and its failure in the error
// column, and the batch goes on. Blank lines are skipped.
//
// With `reportFolder`, each row that computes also gets its report, the exact bytes of the
// single case, as <reportFolder>/tavoout-<row>.txt; rows are numbered from 1 after the
// header, in the order of the output, and a report that cannot be written fails its row.
//
// Returns the exit status: 0 when every row computed, 1 when any failed (or the output
// could not be written), 2 when the input cannot be read, its header is wrong, or the
// report folder is not a folder. Messages go to `io.errors`. The reports of a batch are
// flushed to disk once, after the last row.
using BatchIo = TableIo;
int runBatch(BatchIo& io, const std::optional<std::string>& reportFolder);

}  // namespace kelnor::cli
