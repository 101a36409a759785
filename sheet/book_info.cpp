#include "kelnor/sheet/book_info.h"

#include <array>

#include "kelnor/csv/table.h"
#include "kelnor/csv/writing.h"
#include "kelnor/platform/file_replacement.h"
#include "kelnor/platform/input_file.h"
#include "kelnor/sheet/sheet_file.h"

namespace kelnor::sheet {

namespace {

constexpr std::string_view kFileName = "design-book-info.csv";
constexpr std::string_view kTemplateFileName = "design-book-template.txt";

// The file's columns, by the fields' order.
constexpr std::array<std::string_view, 6> kColumns = {"project",    "stage",       "by",
                                                      "checked_by", "reviewed_by", "date"};

}  // namespace

const std::vector<BookInfoField>& bookInfoFields() {
    static const std::vector<BookInfoField> kFields = {
        {"工程名称", "", &BookInfo::project},
        {"设计阶段", "如：初步设计、施工图设计", &BookInfo::stage},
        {"计算", "留空为签字的空行", &BookInfo::by},
        {"校核", "留空为签字的空行", &BookInfo::checkedBy},
        {"审查", "留空为签字的空行", &BookInfo::reviewedBy},
        {"日期", "YYYY-MM-DD，留空为写计算书当天", &BookInfo::date},
    };
    return kFields;
}

std::vector<std::pair<std::size_t, std::string>> titleTexts(const BookInfo& info) {
    std::vector<std::pair<std::size_t, std::string>> out;
    for (std::size_t i = 0; i < kColumns.size(); ++i) {
        out.emplace_back(*design::damFieldIndex(kColumns[i]), info.*bookInfoFields()[i].value);
    }
    return out;
}

std::filesystem::path bookInfoPath(const std::filesystem::path& folder) {
    return folder / kFileName;
}

void saveBookInfo(const BookInfo& info, const std::filesystem::path& folder) {
    std::string out = "\xEF\xBB\xBF";
    for (std::size_t i = 0; i < kColumns.size(); ++i) {
        out += i == 0 ? "" : ",";
        out += kColumns[i];
    }
    out += "\r\n";
    for (std::size_t i = 0; i < bookInfoFields().size(); ++i) {
        out += i == 0 ? "" : ",";
        csv::appendCsvCell(out, info.*bookInfoFields()[i].value);
    }
    out += "\r\n";
    platform::replaceFile(bookInfoPath(folder), out, platform::Flush::Now);
}

BookInfo loadBookInfo(const std::filesystem::path& folder) {
    BookInfo info;
    const std::filesystem::path file = bookInfoPath(folder);
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
        return info;
    }
    const std::string bytes = platform::readWholeFile(file);
    csv::TableReader table(csv::sourceOf(bytes), kColumns);
    csv::TableRow row;
    if (table.next(row)) {
        for (std::size_t i = 0; i < table.columns().size(); ++i) {
            info.*bookInfoFields()[table.columns()[i]].value = row.cells[i];
        }
    }
    return info;
}

void saveBookTemplate(const std::optional<std::filesystem::path>& file,
                      const std::filesystem::path& folder) {
    const std::filesystem::path kept = folder / kTemplateFileName;
    if (!file) {
        std::error_code error;
        std::filesystem::remove(kept, error);
        if (error) {
            throw std::system_error(error, utf8Path(kept));
        }
        return;
    }
    platform::replaceFile(kept, utf8Path(*file) + "\n", platform::Flush::Now);
}

std::optional<std::filesystem::path> loadBookTemplate(const std::filesystem::path& folder) {
    const std::filesystem::path kept = folder / kTemplateFileName;
    std::error_code error;
    if (!std::filesystem::exists(kept, error)) {
        return std::nullopt;
    }
    std::string line = platform::readWholeFile(kept, 64 * 1024);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.pop_back();
    }
    if (line.empty()) {
        return std::nullopt;
    }
    return pathFromUtf8(line);
}

}  // namespace kelnor::sheet
