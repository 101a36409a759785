// A design-conditions table of arbitrary bytes through the command line's --conditions run:
// the table is read in its encoding, every row computes or fails with a named error, the run
// ends with 0, 1 or 2, and what it writes is UTF-8 in which no typed text starts a line of its
// own. The `name,value` rows of the dam's values may head any table --conditions reads, so the
// bytes before the header reach them as they come: a row naming no value is told, and besides
// the rows' messages there is at most one about the dam (a value that cannot be used), or one
// for what stands short of the code and one for each adopted value below its requirement. A
// fetch may come from the rays of an equivalent fetch. The book is left out here (book_fuzz covers
// it); no file is written.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "conditions.h"
#include "dike.h"
#include "fuzz_check.h"
#include "kelnor/csv/record_reader.h"
#include "kelnor/csv/table.h"
#include "kelnor/design/condition.h"
#include "kelnor/design/crest.h"
#include "kelnor/design/dike.h"
#include "kelnor/text/text.h"

namespace {

using namespace kelnor;
using fuzz::asCString;
using fuzz::require;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t at = 0;
    std::string out;
    std::ostringstream errors;
    cli::ConditionsIo io{
        "conditions.csv",
        [&](char* buffer, std::size_t want) {
            // Small pieces, so records cross the reader's block ends.
            const std::size_t n = std::min({want, input.size() - at, std::size_t{1} + (at % 13)});
            std::memcpy(buffer, input.data() + at, n);
            at += n;
            return n;
        },
        [&](std::string_view bytes) { out += bytes; }, errors};
    const int status = cli::runConditions(io);
    const std::string err = errors.str();

    require(status == 0 || status == 1 || status == 2, "exit status 0, 1 or 2");
    require(isUtf8(out), "the results are UTF-8", asCString(out));
    require(isUtf8(err), "the messages are UTF-8", asCString(err));
    // Each message is one line of its own, "kelnor-calc: ..."; a typed line break is escaped.
    // Those of the rows start "row N"; the others are about the dam's values.
    std::size_t rowMessages = 0;
    std::size_t damMessages = 0;
    std::size_t lineStart = 0;
    while (lineStart < err.size()) {
        const std::size_t end = err.find('\n', lineStart);
        require(end != std::string::npos, "every message ends its line", asCString(err));
        const std::string_view line(err.data() + lineStart, end - lineStart);
        require(line.starts_with("kelnor-calc: "), "every line is a message", asCString(err));
        require(escapeControls(line) == line, "no control character in a message", asCString(err));
        (line.starts_with("kelnor-calc: row ") ? rowMessages : damMessages) += 1;
        lineStart = end + 1;
    }
    if (status == 2) {
        require(out.empty() && !err.empty(), "an unreadable table writes no results, one reason");
        return 0;
    }
    // A dike's sections (its code above the header) go one line each, what stands short
    // told per section.
    if (out.starts_with("section,chainage,level,")) {
        require(status == 0 || status == 1, "a dike's run ends 0 or 1");
        return 0;
    }
    require(out.starts_with(
                "case,formula,hm,Tm,Lm,e,Kw,Kp,Kbeta,Rm,Rp,A,B,y,crest,governs,warnings\n") ||
                (out.empty() && status == 1),
            "the results start with their header", asCString(out));
    if (out.empty()) {
        // A dike's block that cannot be used stops before any section: one line says why.
        require(damMessages == 1 && rowMessages == 0, "a dike's block refused in one line",
                asCString(err));
        return 0;
    }
    // Every row of the table either computed (a result record) or failed (a message).
    std::size_t records = 0;
    {
        csv::CsvReader reader(csv::sourceOf(out));
        csv::CsvRecord record;
        while (reader.next(record)) {
            ++records;
        }
    }
    std::size_t rows = 0;
    bool unknownName = false;
    {
        csv::TableReader table(csv::sourceOf(input), design::fileColumns(),
                               csv::Preamble::NameValueRows, design::damFieldNames());
        for (const csv::PreambleRow& p : table.preamble()) {
            const std::string name = lowerAscii(trimBlanks(p.name));
            unknownName = unknownName || (!design::damFieldIndex(p.name) && name != "code" &&
                                          trimBlanks(p.name) != "规范");
        }
        csv::TableRow row;
        while (table.next(row)) {
            ++rows;
        }
    }
    require(records - 1 + rowMessages == rows, "every row computes or is named", asCString(input));
    // Three lines at most: what stands short of the code in a check, and the wall top and the
    // crest each below its requirement.
    require(damMessages <= 3, "at most three messages about the dam's values", asCString(err));
    require(!unknownName || damMessages == 1, "a row naming no value of the dam is told",
            asCString(input));
    require(status == 1 || damMessages == 0, "a message about the dam is exit status 1",
            asCString(err));
    return 0;
}
