#pragma once

// The calculation book's document in WordprocessingML, the XML of a Word .docx: the body's
// paragraphs and tables, the page's head and foot, the styles they use, and the section's page
// (A4 with the book's margins). Word, WPS and LibreOffice each forgive less than the others,
// so the parts keep to what all three read alike: every font named (宋体 for text and tables,
// 黑体 for headings, Times New Roman for Latin letters and numbers), never a theme font; every
// table on a grid with each cell's width in twips and a fixed layout; page numbers as complex
// fields with their text cached; sub- and superscripts as run properties; the sketch as vector
// shapes in a group. kelnor/docx packs these parts into the .docx file.
//
// Every text is escaped, and a character XML 1.0 does not allow is written as U+FFFD.

#include <string>
#include <string_view>
#include <vector>

#include "kelnor/design/document.h"

namespace kelnor::design::wordml {

// The namespaces the parts use, as attributes for a part's root element.
inline constexpr std::string_view kNamespaces =
    " xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\""
    " xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\""
    " xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\""
    " xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\""
    " xmlns:wpg=\"http://schemas.microsoft.com/office/word/2010/wordprocessingGroup\""
    " xmlns:wps=\"http://schemas.microsoft.com/office/word/2010/wordprocessingShape\"";

// The styles the body names, by id. A template gives its own where it defines them.
struct StyleIds {
    std::string title = "Title";
    std::string heading1 = "Heading1";
    std::string heading2 = "Heading2";
    std::string table = "TableGrid";
    std::string cell = "BookTableText";  // the text in a table's cells
};

// A style of the book's own: its id, the names it may go by in a template (Word's built-in
// name and the Chinese one Word and WPS show), and its w:style element.
struct Style {
    std::string id;
    std::vector<std::string> names;
    std::string xml;
};

// The title, the two headings, the table and the cells' text, in that order.
const std::vector<Style>& bookStyles();

// word/styles.xml of a book of its own: the defaults (fonts named, 10.5 pt) and bookStyles().
std::string stylesXml();
std::string fontTableXml();
std::string settingsXml();

struct Parts {
    std::string body;    // the w:body's paragraphs and tables, without its w:sectPr
    std::string header;  // word/header1.xml whole: the book's title
    std::string footer;  // word/footer1.xml whole: 第 X 页 共 Y 页
};

Parts render(const doc::Document& document, const StyleIds& ids = {});

// The section's page: A4 portrait, the book's margins, the head and foot by these relationship
// ids.
std::string sectionProperties(std::string_view headerId, std::string_view footerId);

// word/document.xml around `body` and the section's page.
std::string documentXml(std::string_view body, std::string_view sectionProperties);

// Text for an XML element or attribute: &, <, >, " escaped; a tab or line break as a space; a
// control character, a noncharacter U+FFFE/U+FFFF or a byte that is not UTF-8 as U+FFFD.
std::string xmlText(std::string_view text);
// The same appended to `out`.
void appendXmlText(std::string& out, std::string_view text);

// The page's text width between the margins, twips.
inline constexpr int kTextWidth = 11906 - 2 * 850;

}  // namespace kelnor::design::wordml
