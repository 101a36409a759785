#pragma once

// What the two grids of the design window show, once for every toolkit: the conditions grid
// (one column per condition, one row per field) with its greyed defaults and the cell at
// fault, the results grid with the book's rounding, the governing condition's mark, the
// warnings and failures as tips, and the editor each field takes.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kelnor/design/drawing.h"
#include "kelnor/sheet/evaluation.h"
#include "kelnor/sheet/sheet.h"

namespace kelnor::sheet {

using design::Rgb;

// The colours of the calculation book.
inline constexpr Rgb kDefaultTextColour{0x88, 0x88, 0x88};  // a greyed default
inline constexpr Rgb kFaultBackground{0xff, 0xc8, 0xc8};    // the cell a condition fails on
inline constexpr Rgb kWarnedTextColour{0x8a, 0x4b, 0x00};   // results with warnings
inline constexpr Rgb kFailedTextColour{0xa0, 0x00, 0x00};   // the dashes of a failure

// A cell of the conditions grid.
struct ConditionCell {
    std::string text;        // the choice's Chinese name, the typed text, or the greyed default
    bool isDefault = false;  // empty: `text` is the default shown greyed
    bool atFault = false;    // the condition fails on this cell
    std::string tip;         // the failure, where at fault
};

ConditionCell conditionCell(const Sheet& sheet, const SheetEvaluation& evaluation,
                            std::size_t condition, std::size_t field);

// A condition's column header in both grids: its number, the governing one marked "2 ★".
std::string conditionHeader(const SheetEvaluation& evaluation, std::size_t condition);

enum class ResultTone { Plain, Warned, Failed };

// A cell of the results grid.
struct ResultCell {
    std::string text;  // rounded as the book rounds it; a dash where the condition has none
    ResultTone tone = ResultTone::Plain;
    bool governing = false;  // shown bold
    std::string tip;         // the failure, or the warnings one per line
};

// The results grid's rows: "hm（m）", … "坝顶高程（m）"; a dike's results, beside each section:
// "hm（m）", … "Y（m）", "要求堤顶（m）", "采用堤顶（m）", "竣工堤顶（m）", "富裕 / 不足（m）".
std::size_t resultRowCount(DesignCode code = DesignCode::Dam);
std::string_view resultRowName(std::size_t row, DesignCode code = DesignCode::Dam);
// By the evaluation's code. A dike's short section shows its margin Failed.
ResultCell resultCell(const SheetEvaluation& evaluation, std::size_t condition, std::size_t row);

// --- how a grid lays the sheet out ----------------------------------------------------------
// A dam's few conditions stand as columns beside the fields' names, as the book's table of
// conditions has them, with their results in a grid under them. A dike's many sections stand
// as rows, as the engineer's spreadsheet has them, each with its results in the columns after
// its fields, the section's name as the row's header.
bool sectionsAsRows(const Sheet& sheet);

// A cell of the conditions grid on screen: the sheet's condition (a section) and its field,
// or for a dike's the result in the columns after the fields.
struct GridCell {
    std::size_t condition = 0;
    std::optional<std::size_t> field;   // none: a result
    std::optional<std::size_t> result;  // into the result rows
};

std::size_t gridRows(const Sheet& sheet);
std::size_t gridColumns(const Sheet& sheet);
GridCell gridCell(const Sheet& sheet, std::size_t row, std::size_t column);
// What the grid's cell (row, column) shows, a condition's cell or a dike's result: its text and
// its tip.
struct ShownCell {
    std::string text;
    std::string tip;
};
ShownCell shownCell(const Sheet& sheet, const SheetEvaluation& evaluation, std::size_t row,
                    std::size_t column);

// Where the sheet's (condition, field) stands on screen: its row and its column.
std::pair<std::size_t, std::size_t> screenOf(const Sheet& sheet, std::size_t condition,
                                             std::size_t field);
// The headers: a dam's field names down the side and conditions ("2 ★") across; a dike's
// sections down the side ("K0+500", its number where it has no name, ★ where it requires the
// highest crest) and the field and result names across.
std::string gridRowHeader(const Sheet& sheet, const SheetEvaluation& evaluation, std::size_t row);
std::string gridColumnHeader(const Sheet& sheet, const SheetEvaluation& evaluation,
                             std::size_t column);

// --- editors ------------------------------------------------------------------------------
enum class EditorKind {
    Line,    // a typed text
    List,    // one of the field's choices, by its Chinese name
    Offers,  // a typed number, or one of the slope surfaces' KΔ
};

struct EditorEntry {
    std::string shown;  // "莆田试验站公式", "草皮护面 0.85"
    std::string value;  // what choosing it writes into the cell: "putian", "0.85"
};

struct CellEditor {
    EditorKind kind = EditorKind::Line;
    // A List's entries start with an empty one that clears the cell.
    std::vector<EditorEntry> entries;
};

CellEditor cellEditor(std::size_t field, DesignCode code = DesignCode::Dam);

// The entry a List shows for a cell's text: the empty entry for an empty cell, the choice the
// text names, none where the text is none of them (the list then changes it only when the user
// picks one).
std::optional<std::size_t> entryOf(const CellEditor& editor, std::size_t field,
                                   std::string_view cell, DesignCode code = DesignCode::Dam);

// What an Offers editor writes for the text in its box: an offer's number where the text is
// that offer as shown, else the text as typed.
std::string offeredText(const CellEditor& editor, std::string_view boxText);

// What committing the cell editor of `field` writes into its cell: a List's chosen entry's
// value, nothing when none is chosen (a cell holding a text that is none of the choices keeps
// it unless one is chosen); an Offers editor's offeredText; a Line's text as typed.
std::optional<std::string> committedText(std::size_t field, std::optional<std::size_t> chosen,
                                         std::string_view boxText,
                                         DesignCode code = DesignCode::Dam);

}  // namespace kelnor::sheet
