#pragma once

// The sheet as a CSV file: opened through the table reader (UTF-8 with or without its
// byte-order mark, or GBK as Excel saves it), saved in UTF-8 with a byte-order mark, so Excel
// on a Chinese Windows shows the Chinese, and replaced whole and flushed. The same file
// `kelnor-calc --conditions` reads.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kelnor/csv/table.h"
#include "kelnor/sheet/sheet.h"
#include "kelnor/text/text.h"

namespace kelnor::sheet {

// A row of the file that did not read as a whole row; the rest of the file is still read.
struct RowIssue {
    int row = 0;  // 1 for the first row after the header
    csv::RowProblem problem = csv::RowProblem::None;
    bool kept = false;  // its cells are in the sheet (padded or cut); false: left out
};

struct OpenedSheet {
    Rows rows;
    // The dam's values and the title block, from the `name,value` rows above the header.
    design::DamTexts dam = design::emptyDamTexts();
    bool hasTitleBlock = false;  // the file gives at least one value of the title block
    // The code its `code` row names: a dam's conditions without one.
    DesignCode code = DesignCode::Dam;
    std::vector<RowIssue> issues;
    csv::Encoding encoding = csv::Encoding::Utf8;
};

// Reads a table of conditions from `source`, headed by the dam's `name,value` rows where it
// has them; a `code,GB 50286` row among them makes it a dike's sections. Raises
// csv::TableError (an unknown or repeated column, a column of the other code's, no header, no
// rows, a row neither UTF-8 nor GBK, a failed read) and design::DamError (a row above the
// header that names no value of the dam, or one named twice, a code neither SL 274 nor
// GB 50286).
OpenedSheet readSheet(csv::CsvReader::Source source);

// Opens the file at `path`. Raises std::system_error when it cannot be opened, and
// csv::TableError as readSheet.
OpenedSheet openSheet(const std::filesystem::path& path);
// A path held as text must become a path where it is named (pathFromUtf8), not here.
OpenedSheet openSheet(const std::string& path) = delete;

// The conditions as CSV: the UTF-8 byte-order mark; each value of the dam that is given as a
// row `name,value` padded with empty cells to the header's width and an empty row after them,
// as Excel saves such a sheet; the header of every column, one line per condition (a condition
// with every cell empty left out), CR LF line ends. Without a value of the dam the file starts
// with the header, as the files of earlier versions.
// A dike's sections start with the row `code,GB 50286-2013` and take the section's columns.
std::string sheetCsv(const Rows& rows, const design::DamTexts& dam = design::emptyDamTexts(),
                     DesignCode code = DesignCode::Dam);

// Replaces the file at `path` with sheetCsv(rows, dam), flushed to the disk before it replaces
// the old one. Raises platform::WriteFailure naming the file and the system's reason.
void saveSheet(const std::filesystem::path& path, const Rows& rows,
               const design::DamTexts& dam = design::emptyDamTexts(),
               DesignCode code = DesignCode::Dam);
void saveSheet(const std::string& path, const Rows& rows,
               const design::DamTexts& dam = design::emptyDamTexts(),
               DesignCode code = DesignCode::Dam) = delete;

// The conditions of a first start: the normal storage, design flood and check flood levels of
// one grade-2 dam.
Rows firstStartRows();

// --- autosave ---------------------------------------------------------------------------------
// The autosave file in `folder`: design-autosave.csv.
std::filesystem::path autosavePath(const std::filesystem::path& folder);

// Writes the sheet to the autosave file of `folder` (which must exist), replaced whole, with
// the conditions file it belongs to, `owner`, beside it (design-autosave-file.txt), and marks
// the sheet autosaved. Raises platform::WriteFailure.
void autosave(Sheet& sheet, const std::filesystem::path& folder,
              const std::optional<std::filesystem::path>& owner = std::nullopt);

// What an autosave holds: the conditions and the dam's values, and the conditions file they
// are unsaved changes of (nothing for a sheet never saved).
struct Autosaved {
    Content content;
    std::optional<std::filesystem::path> owner;
};

// The autosave of `folder`; nothing when there is none. Raises csv::TableError or
// std::system_error where one is there but cannot be read.
std::optional<Autosaved> restoreAutosave(const std::filesystem::path& folder);

// Removes the autosave of `folder`, and the name of the file it belongs to.
void removeAutosaveOf(const std::filesystem::path& folder);

}  // namespace kelnor::sheet
