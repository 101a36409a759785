#pragma once

// The calculation book's title block as the design window edits it (计算书信息): the project,
// the design stage, who computed, checked and reviewed, and the date. It travels with the
// conditions file, in the `name,value` rows above its header; the one typed last is also kept
// beside the autosave in the user's data folder, across sessions, as the title block of a new
// sheet and of a file that gives none.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kelnor/design/book.h"

namespace kelnor::sheet {

struct BookInfo {
    std::string project;     // 工程名称
    std::string stage;       // 设计阶段
    std::string by;          // 计算
    std::string checkedBy;   // 校核
    std::string reviewedBy;  // 审查
    std::string date;        // 日期, YYYY-MM-DD; empty: the day the book is written

    bool operator==(const BookInfo&) const = default;
};

// One line of the 计算书信息 box, in the box's order.
struct BookInfoField {
    std::string_view captionZh;  // "工程名称"
    std::string_view hintZh;     // shown greyed while empty: "留空为当天"; may be empty
    std::string BookInfo::*value;
};

const std::vector<BookInfoField>& bookInfoFields();

// The box's title.
inline constexpr std::string_view kBookInfoTitle = "计算书信息";

// The book's options for `info`: the title block, today's date where none is given, and the
// freeboard sketch, as the window writes its books.
design::BookOptions bookOptions(const BookInfo& info, const std::string& today);

// The title block among the dam's values of a sheet, and put into them.
BookInfo titleOf(const design::DamTexts& dam);
void putTitle(design::DamTexts& dam, const BookInfo& info);
// The fields of design::damFields() it fills, with the texts of `info`.
std::vector<std::pair<std::size_t, std::string>> titleTexts(const BookInfo& info);

// The file in `folder` that keeps it: design-book-info.csv.
std::filesystem::path bookInfoPath(const std::filesystem::path& folder);

// Writes `info` to bookInfoPath(folder) (the folder must exist), replaced whole: UTF-8 with a
// byte-order mark, a header and one line. Raises platform::WriteFailure.
void saveBookInfo(const BookInfo& info, const std::filesystem::path& folder);

// What bookInfoPath(folder) holds; empty where there is no such file. Raises csv::TableError or
// std::system_error where one is there but cannot be read.
BookInfo loadBookInfo(const std::filesystem::path& folder);

}  // namespace kelnor::sheet
