#pragma once

// The calculation book's title block as the design window edits it (计算书信息): the project,
// the design stage, who computed, checked and reviewed, and the date. It travels with the
// conditions file, in the `name,value` rows above its header; the one typed last is also kept
// beside the autosave in the user's data folder, across sessions, as the title block of a new
// sheet and of a file that gives none.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kelnor/design/book.h"

namespace kelnor::sheet {

// The title block itself, and where it stands among the dam's values, are the design
// method's (kelnor/design/crest.h); this box edits it.
using BookInfo = design::TitleBlock;
using design::putTitle;
using design::titleOf;

// One line of the 计算书信息 box, in the box's order.
struct BookInfoField {
    std::string_view captionZh;  // "工程名称"
    std::string_view hintZh;     // shown greyed while empty: "留空为当天"; may be empty
    std::string BookInfo::*value;
};

const std::vector<BookInfoField>& bookInfoFields();

// The box's title.
inline constexpr std::string_view kBookInfoTitle = "计算书信息";

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

// The book template chosen last, kept beside the book information as design-book-template.txt
// in `folder`: its path in UTF-8 on one line. Saving none removes the file. Raises
// platform::WriteFailure or std::system_error.
void saveBookTemplate(const std::optional<std::filesystem::path>& file,
                      const std::filesystem::path& folder);
// The template kept in `folder`; nothing where none is. Raises std::system_error where the
// file is there but cannot be read.
std::optional<std::filesystem::path> loadBookTemplate(const std::filesystem::path& folder);

}  // namespace kelnor::sheet
