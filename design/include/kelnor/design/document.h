#pragma once

// The calculation book as a document free of any file format: headings, paragraphs of runs with
// sub- and superscripts, tables with their column widths, header rows and alignment, lists of
// warnings and failures, the freeboard sketch as a figure, and the page's head and foot. The
// book is built once as such a document (kelnor/design/book.h) and rendered to HTML for the
// browser and the PDF, and to WordprocessingML for Word (kelnor/design/wordml.h).
//
// Every text is plain UTF-8 as typed or worded; each renderer escapes it for its own format.

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "kelnor/design/drawing.h"

namespace kelnor::design::doc {

enum class Script { Normal, Super, Sub };

// Emphasis within a line: Strong names a source, Marked states a conclusion.
enum class Emphasis { None, Strong, Marked };

struct Run {
    std::string text;
    Script script = Script::Normal;
    Emphasis emphasis = Emphasis::None;

    bool operator==(const Run&) const = default;
};

// A line of runs: "Tm = 4.438·hm" followed by the superscript "0.5". Plain text converts to one
// run; adjacent plain runs are joined, so a line built piece by piece has as few runs as its
// looks need.
class Runs {
  public:
    Runs() = default;
    Runs(std::string_view plain) { *this += plain; }
    Runs(const std::string& plain) : Runs(std::string_view(plain)) {}
    Runs(std::string&& plain) { *this += Run{std::move(plain)}; }
    Runs(const char* plain) : Runs(std::string_view(plain)) {}

    Runs& operator+=(const Runs& other);
    Runs& operator+=(Runs&& other);
    Runs& operator+=(std::string_view plain);
    Runs& operator+=(Run run);

    const std::vector<Run>& runs() const { return runs_; }
    // The words without their looks.
    std::string plain() const;
    bool empty() const { return runs_.empty(); }

    bool operator==(const Runs&) const = default;

  private:
    std::vector<Run> runs_;
};

// Joined: plain text converts on either side.
Runs operator+(Runs a, const Runs& b);
Runs operator+(Runs a, Runs&& b);
// Plain text after runs, joined without a Runs of its own.
Runs operator+(Runs a, std::string_view plain);
Runs operator+(Runs a, const std::string& plain);
Runs operator+(Runs a, const char* plain);

// "0.7" as a superscript or subscript run.
Runs sup(std::string_view plain);
Runs sub(std::string_view plain);
Runs strong(std::string_view plain);
Runs marked(std::string_view plain);

// 1: the book's title; 2: a numbered section; 3: a condition within the calculations.
struct Heading {
    int level = 2;
    Runs text;
    bool newPage = false;  // starts a new page
};

// How a paragraph looks: ordinary, the subtitle under the title, a conclusion (bold), a warning,
// a failure, a conclusion that fails.
enum class Tone { Plain, Subtitle, Marked, Warning, Failure, MarkedFailure };

struct Paragraph {
    Runs text;
    Tone tone = Tone::Plain;
};

// How a cell's text lies: a header, text, a number (right, tabular), a name kept on one line, a
// formula (in the formula face), a note (smaller), or centred.
enum class CellLook { Header, Text, Number, Name, Formula, Note, Centre };

struct Cell {
    Runs text;
    CellLook look = CellLook::Text;
    int span = 1;  // columns of the grid the cell covers
};

enum class RowLook {
    Plain,
    Governing,  // the governing condition, in bold
    Signing,    // the title block's names: tall enough to sign on
};

struct Row {
    std::vector<Cell> cells;
    RowLook look = RowLook::Plain;
};

enum class TableKind {
    Plain,
    Steps,       // a condition's steps: step, formula, values, result, basis
    Bounds,      // the crest's bounds under a wave wall
    TitleBlock,  // the book's title block, with no header row
};

struct Table {
    TableKind kind = TableKind::Plain;
    // Each column's share of the text width; they are scaled to add up to the whole.
    std::vector<double> widths;
    std::vector<Row> rows;
    std::size_t headerRows = 1;  // repeated on each page a table runs onto
};

// Items under an optional title, each a line: the conditions that failed, the warnings, the
// sources.
struct List {
    Tone tone = Tone::Plain;  // Plain, Warning or Failure
    Runs title;               // empty: none
    std::vector<Runs> items;
};

// The freeboard sketch with its caption, drawn `width` × `height` CSS pixels (1/96 inch).
struct Figure {
    Drawing drawing;
    double width = 0;
    double height = 0;
    Runs caption;
};

struct Block;

// Blocks kept together: a section kept on one page, or a condition's calculation.
enum class GroupKind { Plain, Keep, Condition };

struct Group {
    GroupKind kind = GroupKind::Plain;
    std::vector<Block> blocks;
};

struct Block {
    std::variant<Heading, Paragraph, Table, List, Figure, Group> content;
};

struct Document {
    std::string title;     // the window's and the file's title
    std::string pageHead;  // at the head of every page
    std::string language;  // "zh-CN"
    std::vector<Block> blocks;

    template <typename T>
    Document& operator<<(T block) {
        blocks.push_back(Block{std::move(block)});
        return *this;
    }
};

// Adds a block to a group, as to a document.
template <typename T>
Group& operator<<(Group& group, T block) {
    group.blocks.push_back(Block{std::move(block)});
    return group;
}

// The page's foot, in the words the book prints: "第 " page " 页 共 " pages " 页".
inline constexpr std::string_view kFootBefore = "第 ";
inline constexpr std::string_view kFootBetween = " 页 共 ";
inline constexpr std::string_view kFootAfter = " 页";

}  // namespace kelnor::design::doc
