#include "kelnor/csv/writing.h"

#include <algorithm>
#include <charconv>

namespace kelnor::csv {

void appendCsvCell(std::string& line, std::string_view cell) {
    const bool plain = std::none_of(cell.begin(), cell.end(), [](char c) {
        return c == ',' || c == '"' || c == '\r' || c == '\n';
    });
    if (plain) {
        line += cell;
        return;
    }
    line += '"';
    for (const char c : cell) {
        if (c == '"') {
            line += '"';
        }
        line += c;
    }
    line += '"';
}

void appendShortest(std::string& line, double x) {
    char text[32];
    line.append(text, std::to_chars(text, text + sizeof text, x).ptr);
}

}  // namespace kelnor::csv
