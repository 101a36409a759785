// The calculation book of conditions made of arbitrary texts: case names, cells, the title
// block and so whatever warnings and failures they lead to. The HTML stays well-formed (every
// tag one the book writes, every element closed in order, every "&" a character reference, one
// style element) and nothing typed appears unescaped, with the freeboard sketch and without
// it; the sketch, where its texts fit the box at all, lies inside it. The same book in
// WordprocessingML, packed and read back: every part the typed texts reach well-formed, nothing
// typed unescaped, no character XML forbids.
//
// Input: split at line feeds into cells, filled column by column into rows of the columns a
// condition has; a text that is not UTF-8 is left out, as the table reader would refuse it.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "kelnor/design/book.h"
#include "kelnor/design/drawing.h"
#include "kelnor/design/method.h"
#include "kelnor/design/wordml.h"
#include "kelnor/docx/word_book.h"
#include "kelnor/text/text.h"
#include "kelnor/zip/zip.h"

namespace {

using namespace kelnor;
using fuzz::asCString;
using fuzz::broken;
using fuzz::require;

// The elements the book writes; any other "<" came from a typed text.
constexpr std::string_view kElements[] = {
    "html",    "head", "meta",  "title",    "style",   "body",   "h1",   "h2",
    "h3",      "p",    "table", "tr",       "th",      "td",     "ul",   "li",
    "section", "span", "b",     "sup",      "sub",     "svg",    "line", "text",
    "g",       "path", "rect",  "polyline", "polygon", "circle", "br"};
constexpr std::string_view kVoid[] = {"meta", "br",       "line",    "path",
                                      "rect", "polyline", "polygon", "circle"};

bool known(std::string_view name, std::span<const std::string_view> list) {
    for (const std::string_view k : list) {
        if (k == name) {
            return true;
        }
    }
    return false;
}

// A tag that opens at "<": its text between the brackets less a closing "/", whether it
// closes an element, the element's name, and where the tag ends (its ">").
struct Tag {
    std::string_view text;
    bool closing;
    std::string_view name;
    std::size_t end;
};

Tag readTag(std::string_view page, std::size_t at) {
    const std::size_t end = page.find('>', at);
    require(end != std::string::npos, "a tag ends");
    std::string_view text = page.substr(at + 1, end - at - 1);
    const bool closing = text.starts_with('/');
    if (closing) {
        text.remove_prefix(1);
    }
    return {text, closing, text.substr(0, text.find_first_of(" /")), end};
}

// The element `tag` opens or closes, on the stack of those open; `empty`, one that opens and
// closes at once.
void nest(std::vector<std::string_view>& open, const Tag& tag, bool empty) {
    if (tag.closing) {
        require(!open.empty() && open.back() == tag.name, "elements close in order", tag.name);
        open.pop_back();
    } else if (!empty) {
        open.push_back(tag.name);
    }
}

// The messages of the checks below are built only when one fails: built for every byte or
// tag, they took most of each input's time.
void checkWellFormed(const std::string& html) {
    std::vector<std::string_view> open;
    std::size_t i = html.find("<html");
    require(html.starts_with("<!DOCTYPE html>\n") && i != std::string::npos, "a page");
    // The style sheet is the book's own text.
    const std::size_t styleEnd = html.find("</style>");
    while (i < html.size()) {
        const char c = html[i];
        if (c == '&') {
            const std::size_t semi = html.find(';', i);
            if (semi == std::string::npos || semi - i > 8) {
                broken("a character reference", asCString(html.substr(i, 20)));
            }
            i = semi + 1;
            continue;
        }
        if (c != '<') {
            ++i;
            continue;
        }
        const Tag tag = readTag(html, i);
        if (!known(tag.name, kElements)) {
            broken("an element the book writes", asCString(tag.text));
        }
        nest(open, tag, known(tag.name, kVoid) || tag.text.ends_with('/'));
        i = tag.end + 1;
        if (tag.name == "style" && !tag.closing) {
            i = styleEnd;
        }
    }
    require(open.empty(), "every element is closed");
}

// A part of the Word book: UTF-8 without a character XML forbids, every "&" a reference, every
// element of the namespaces the book writes (its properties' too), closed in order, every
// attribute quoted.
void checkWordXml(const std::string& xml) {
    require(isUtf8(xml), "a Word part is UTF-8");
    std::vector<std::string_view> open;
    std::size_t i = 0;
    while (i < xml.size()) {
        const auto c = static_cast<unsigned char>(xml[i]);
        if (c < 0x20 && c != '\n') {
            broken("no control character in a Word part", asCString(xml.substr(i, 20)));
        }
        if (c == '&') {
            const std::size_t semi = xml.find(';', i);
            const std::string_view ref = std::string_view(xml).substr(i, semi - i + 1);
            if (semi == std::string::npos ||
                (ref != "&amp;" && ref != "&lt;" && ref != "&gt;" && ref != "&quot;")) {
                broken("a character reference", asCString(xml.substr(i, 20)));
            }
        }
        if (c == '>') {
            broken("a '>' outside a tag", asCString(xml.substr(i > 20 ? i - 20 : 0, 40)));
        }
        if (c != '<') {
            ++i;
            continue;
        }
        const Tag tag = readTag(xml, i);
        i = tag.end + 1;
        if (!tag.closing && tag.text.starts_with('?')) {
            continue;
        }
        const std::string_view name = tag.name;
        if (!name.starts_with("w:") && !name.starts_with("wp:") && !name.starts_with("a:") &&
            !name.starts_with("wpg:") && !name.starts_with("wps:") && !name.starts_with("cp:") &&
            !name.starts_with("dc:") && !name.starts_with("dcterms:")) {
            broken("an element the Word book writes", asCString(tag.text));
        }
        // Inside the tag, quotes pair up and nothing typed ends it early.
        if (tag.text.find('<') != std::string_view::npos) {
            broken("no '<' inside a tag", asCString(tag.text));
        }
        if (std::count(tag.text.begin(), tag.text.end(), '"') % 2 != 0) {
            broken("attributes quoted", asCString(tag.text));
        }
        nest(open, tag, tag.text.ends_with('/'));
    }
    require(open.empty(), "every element is closed");
}

void checkInside(const design::Drawing& d, double width, double height) {
    const design::Scale s = design::fit(d, width, height);
    if (!s.fits()) {
        return;
    }
    const double slack = 1e-6 * (width + height);
    const auto inside = [&](design::Point p) {
        require(p.x >= -slack && p.x <= width + slack && p.y >= -slack && p.y <= height + slack,
                "the sketch lies inside its box");
    };
    for (const design::Line& l : d.lines) {
        inside(s.map(l.from));
        inside(s.map(l.to));
    }
    for (const design::Mark& m : d.marks) {
        for (const design::Point& p : s.markOutline(m)) {
            inside(p);
        }
    }
    for (const design::Text& t : d.texts) {
        const design::Box b = s.textBox(t);
        inside({b.left, b.top});
        inside({b.left + b.width, b.top + b.height});
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> texts;
    for (std::size_t at = 0; at <= input.size();) {
        const std::size_t end = std::min(input.find('\n', at), input.size());
        const std::string_view text = input.substr(at, end - at);
        if (isUtf8(text)) {
            texts.emplace_back(text);
        }
        at = end + 1;
    }
    const auto& columns = design::conditionColumns();
    std::vector<design::Cells> rows;
    for (std::size_t t = 0; t < texts.size() && rows.size() < 8; t += columns.size()) {
        design::Cells cells{static_cast<int>(rows.size()) + 1, {}};
        for (std::size_t c = 0; c < columns.size() && t + c < texts.size(); ++c) {
            cells.cells.emplace_back(std::string(columns[c]), texts[t + c]);
        }
        rows.push_back(std::move(cells));
    }
    const design::Evaluation ev = design::evaluateRows(rows);
    // The title block of the same texts, the project's also in the page head's style rule.
    const auto text = [&texts](std::size_t i) {
        return texts.empty() ? std::string() : texts[i % texts.size()];
    };
    for (const bool picture : {false, true}) {
        design::BookOptions options{{text(0)}, picture};
        if (picture) {
            options.title.stage = text(1);
            options.title.by = text(2);
            options.title.checkedBy = text(3);
            options.title.reviewedBy = text(4);
            options.title.date = text(5);
        }
        const std::string html = design::calculationBook(ev, options);
        require(isUtf8(html), "the book is UTF-8");
        if (html.find("</style>") != html.rfind("</style>")) {
            broken("one style element", asCString(text(0)));
        }
        checkWellFormed(html);
        const design::doc::Document book = design::bookDocument(ev, options);
        if (!picture) {
            const design::wordml::Parts parts = design::wordml::render(book);
            checkWordXml("<w:body>" + parts.body + "</w:body>");
            checkWordXml(parts.header);
            checkWordXml(parts.footer);
            continue;
        }
        // Packed, it reads back whole, and its parts the typed texts reach are checked as
        // written: rendering them again beside the package would double the time for nothing.
        const auto entries =
            zip::read(docx::wordBook(book, docx::propertiesOf(book, options.title)));
        require(entries.size() == 11, "every part of the package");
        int checked = 0;
        for (const zip::Entry& e : entries) {
            if (e.name == "word/document.xml" || e.name == "word/header1.xml" ||
                e.name == "word/footer1.xml" || e.name == "docProps/core.xml") {
                checkWordXml(e.data);
                ++checked;
            }
        }
        require(checked == 4, "the document, its head and foot and its properties packed");
    }
    checkInside(design::freeboardDrawing(ev), 640, 250);
    return 0;
}
