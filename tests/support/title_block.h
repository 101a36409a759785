#pragma once

// The title block the design window's tests give a book, and the kelnor-calc command line that
// makes the same book with it: the window's book is to be the command line's.

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "kelnor/design/crest.h"
#include "kelnor/text/text.h"

namespace kelnor::testing_support {

// Project, stage, computed and checked by, no reviewer, and a fixed date.
inline design::TitleBlock exampleTitleBlock() {
    return {"某水库", "初步设计", "张三", "李四", "", "2026-05-01"};
}

// `program` (kelnor-calc) making the book `book` of `conditions` with exampleTitleBlock().
inline std::vector<std::string> bookCommandLine(const std::string& program,
                                                const std::filesystem::path& conditions,
                                                const std::filesystem::path& book) {
    std::vector<std::string> line = {program, "--conditions", utf8Path(conditions), "--book",
                                     utf8Path(book)};
    const design::TitleBlock t = exampleTitleBlock();
    const std::pair<const char*, std::string> options[] = {{"--project", t.project},
                                                           {"--stage", t.stage},
                                                           {"--by", t.by},
                                                           {"--checked-by", t.checkedBy},
                                                           {"--date", t.date}};
    for (const auto& [option, value] : options) {
        line.insert(line.end(), {option, value});
    }
    return line;
}

}  // namespace kelnor::testing_support
