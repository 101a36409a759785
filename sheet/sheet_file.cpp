#include "kelnor/sheet/sheet_file.h"

#include <algorithm>
#include <system_error>

#include "kelnor/csv/writing.h"
#include "kelnor/design/condition.h"
#include "kelnor/design/dike.h"
#include "kelnor/platform/file_replacement.h"
#include "kelnor/platform/input_file.h"
#include "kelnor/sheet/fields.h"
#include "kelnor/text/text.h"

namespace kelnor::sheet {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kAutosaveName = "design-autosave.csv";
constexpr std::string_view kAutosaveOwnerName = "design-autosave-file.txt";

// A condition not yet typed, left out of the file as the evaluation leaves it out.
bool isEmpty(const Row& row) {
    return std::all_of(row.begin(), row.end(), [](const std::string& t) { return isBlank(t); });
}

}  // namespace

OpenedSheet readSheet(csv::CsvReader::Source source) {
    const auto& known = design::fileColumns();
    csv::TableReader table(std::move(source), known, csv::Preamble::NameValueRows,
                           design::damFieldNames());
    OpenedSheet out;
    out.encoding = table.encoding();
    std::vector<std::pair<std::string, std::string>> block;
    for (const csv::PreambleRow& p : table.preamble()) {
        if (design::isCodeRow(p.name)) {
            const auto code = design::designCodeOf(p.value);
            if (!code) {
                throw design::DamError(design::DamErrorKind::UnknownCode, p.name, p.value);
            }
            out.code = *code;
            continue;
        }
        block.emplace_back(p.name, p.value);
    }
    out.dam = design::damTextsFromRows(block);
    const auto& damFields = design::damFields();
    // A value of the other code's block: a dam's wave wall in a dike's file, a dike's smoothing
    // in a dam's.
    for (std::size_t i = 0; i < damFields.size(); ++i) {
        if (!damFields[i].usedBy(out.code) && !isBlank(out.dam[i])) {
            throw design::DamError(design::DamErrorKind::OtherCode, std::string(damFields[i].name),
                                   out.dam[i]);
        }
    }
    for (std::size_t i = 0; i < damFields.size(); ++i) {
        out.hasTitleBlock = out.hasTitleBlock || (damFields[i].titleBlock && !isBlank(out.dam[i]));
    }
    // Each column of the header, as a field of the file's code: a column of the other code's is
    // one the file cannot hold.
    std::vector<std::size_t> fieldOf;
    for (std::size_t i = 0; i < table.columns().size(); ++i) {
        const std::string_view name = known[table.columns()[i]];
        const auto field = columnIndex(name, out.code);
        if (!field) {
            throw csv::TableError(csv::TableErrorKind::UnknownColumn, std::string(name), 0,
                                  static_cast<int>(i + 1));
        }
        fieldOf.push_back(*field);
    }
    csv::TableRow tableRow;
    while (table.next(tableRow)) {
        // A row too long to keep has lost its cells; one with too few or too many cells, or an
        // unclosed quote, is kept as read, for the user to put right.
        const bool keep = tableRow.problem != csv::RowProblem::TooLong;
        if (tableRow.problem != csv::RowProblem::None) {
            out.issues.push_back({tableRow.number, tableRow.problem, keep});
        }
        if (!keep) {
            continue;
        }
        Row row = emptyRow(out.code);
        for (std::size_t i = 0; i < fieldOf.size(); ++i) {
            row[fieldOf[i]] = std::move(tableRow.cells[i]);
        }
        out.rows.push_back(std::move(row));
    }
    return out;
}

OpenedSheet openSheet(const std::filesystem::path& path) {
    platform::InputFile file(path);
    return readSheet(file.source());
}

std::string sheetCsv(const Rows& rows, const design::DamTexts& dam, DesignCode code) {
    std::string out(kByteOrderMark);
    const bool dike = code == DesignCode::Dike;
    const auto& columns = dike ? design::sectionColumns() : design::conditionColumns();
    // Excel writes every row of a sheet as wide as the widest: the block's rows and the empty
    // row under them carry the header's width in empty cells, so a sheet saved again by Excel
    // keeps its bytes.
    const std::string padding(columns.size() - 2, ',');
    bool anyValue = dike;
    if (dike) {
        out += design::kCodeRow;
        out += ',';
        out += design::kDikeCodeText;
        out += padding;
        out += "\r\n";
    }
    const auto& damFields = design::damFields();
    for (std::size_t i = 0; i < damFields.size() && i < dam.size(); ++i) {
        if (isBlank(dam[i])) {
            continue;
        }
        anyValue = true;
        out += damFields[i].name;
        out += ',';
        csv::appendCsvCell(out, dam[i]);
        out += padding;
        out += "\r\n";
    }
    if (anyValue) {
        out += std::string(columns.size() - 1, ',') + "\r\n";
    }
    for (std::size_t c = 0; c < columns.size(); ++c) {
        out += c > 0 ? "," : "";
        out += columns[c];
    }
    out += "\r\n";
    for (const Row& row : rows) {
        if (isEmpty(row)) {
            continue;
        }
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (c > 0) {
                out += ',';
            }
            csv::appendCsvCell(out, c < row.size() ? std::string_view(row[c]) : "");
        }
        out += "\r\n";
    }
    return out;
}

void saveSheet(const std::filesystem::path& path, const Rows& rows, const design::DamTexts& dam,
               DesignCode code) {
    platform::replaceFile(path, sheetCsv(rows, dam, code), platform::Flush::Now);
}

Rows firstStartRows() {
    // The three usual conditions of one grade-2 dam: normal storage level, design flood level
    // and check flood level, the last in abnormal operation.
    struct Example {
        std::string_view column;
        std::string_view normal, design, check;
    };
    static constexpr Example kExample[] = {
        {"case", "正常蓄水位", "设计洪水位", "校核洪水位"},
        {"level", "100.00", "101.50", "102.30"},
        {"depth", "30.0", "31.5", "32.3"},
        {"mean_depth", "24.0", "25.5", "26.3"},
        {"wind", "21.0", "21.0", "14.0"},
        {"fetch", "3.0", "3.2", "3.3"},
        {"slope", "3", "3", "3"},
        {"roughness", "0.80", "0.80", "0.80"},
        {"grade", "2", "2", "2"},
        {"operation", "normal", "normal", "abnormal"},
        {"region", "mountain", "mountain", "mountain"},
    };
    Rows rows(3, emptyRow());
    for (const Example& e : kExample) {
        const std::size_t c = *columnIndex(e.column);
        rows[0][c] = e.normal;
        rows[1][c] = e.design;
        rows[2][c] = e.check;
    }
    return rows;
}

std::filesystem::path autosavePath(const std::filesystem::path& folder) {
    return folder / kAutosaveName;
}

void autosave(Sheet& sheet, const std::filesystem::path& folder,
              const std::optional<std::filesystem::path>& owner) {
    // The owner's name first: an autosave is never read with the name of another sheet's file.
    const std::filesystem::path ownerFile = folder / kAutosaveOwnerName;
    if (owner) {
        platform::replaceFile(ownerFile, utf8Path(*owner), platform::Flush::Later);
    } else {
        std::error_code error;
        std::filesystem::remove(ownerFile, error);
    }
    saveSheet(autosavePath(folder), sheet.rows(), sheet.dam(), sheet.code());
    sheet.markAutosaved();
}

std::optional<Autosaved> restoreAutosave(const std::filesystem::path& folder) {
    const std::filesystem::path file = autosavePath(folder);
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
        return std::nullopt;
    }
    Autosaved restored;
    try {
        OpenedSheet opened = openSheet(file);
        restored.content = Content{std::move(opened.rows), std::move(opened.dam), opened.code};
    } catch (const csv::TableError& e) {
        if (e.kind() != csv::TableErrorKind::NoRows) {
            throw;
        }
        // The autosave of an empty sheet: its header alone.
    }
    // Where the name of its file cannot be read, the sheet is restored untitled: saving it
    // then asks where.
    try {
        const std::string owner = platform::readWholeFile(folder / kAutosaveOwnerName);
        if (!owner.empty() && owner.find('\0') == std::string::npos) {
            restored.owner = pathFromUtf8(owner);
        }
    } catch (const std::system_error&) {
    }
    return restored;
}

void removeAutosaveOf(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::remove(autosavePath(folder), error);
    std::filesystem::remove(folder / kAutosaveOwnerName, error);
}

}  // namespace kelnor::sheet
