// An institute's template of arbitrary bytes: as the template file itself; as each part the
// book edits (the document, the styles, a head, the relationships, the content types) in an
// otherwise sound package; and as a part given straight to the placeholder filler. Each must
// give a book or refuse with its reason (a TemplateError; xml::Malformed from the filler),
// never anything else, and end.
//
// A book given reads back as a zip, and every part it edited is well-formed XML by a checker
// of its own here: one root, every element closed in order, each attribute once with its value
// quoted and free of '<', every '&' a reference to a character XML allows, no control
// characters, no "]]>" in text, comments without "--", instructions that name their target,
// the declaration (version 1.x, UTF-8) first if at all, nothing but blanks around the root.
// The book's own text is in the document. The placeholders reported as unknown are each
// "{{...}}" and named once. A part without a '{' is filled to itself.

#include <cstddef>
#include <cstdint>
#include <regex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "kelnor/docx/word_book.h"
#include "kelnor/text/text.h"
#include "kelnor/zip/zip.h"
#include "placeholders.h"

namespace {

using namespace kelnor;
using fuzz::asCString;
using fuzz::broken;
using fuzz::require;

bool blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Past the reference at `amp`, which must name a character XML allows.
std::size_t checkReference(std::string_view xml, std::size_t amp, std::string_view part) {
    const std::size_t semi = xml.find(';', amp);
    require(semi != std::string_view::npos && semi - amp <= 11, "a reference ends", part);
    const std::string_view body = xml.substr(amp + 1, semi - amp - 1);
    if (body == "amp" || body == "lt" || body == "gt" || body == "quot" || body == "apos") {
        return semi + 1;
    }
    if (body.size() < 2 || body[0] != '#') {
        broken("a known reference", asCString(body));
    }
    const bool hex = body[1] == 'x';
    unsigned long c = 0;
    require(body.size() > (hex ? 2u : 1u), "a character reference has digits", part);
    for (const char d : body.substr(hex ? 2 : 1)) {
        const bool digit = d >= '0' && d <= '9';
        const bool letter = hex && ((d >= 'a' && d <= 'f') || (d >= 'A' && d <= 'F'));
        if (!digit && !letter) {
            broken("a character reference is a number", asCString(body));
        }
        c = c * (hex ? 16 : 10) +
            static_cast<unsigned long>(digit ? d - '0' : (d | 0x20) - 'a' + 10);
    }
    if (c != 0x9 && c != 0xA && c != 0xD && (c < 0x20 || c > 0xD7FF) &&
        (c < 0xE000 || c > 0xFFFD) && (c < 0x10000 || c > 0x10FFFF)) {
        broken("a reference to a character XML allows", asCString(body));
    }
    return semi + 1;
}

void checkWellFormed(std::string_view xml, std::string_view part) {
    std::vector<std::string_view> open;
    bool root = false;
    std::size_t i = xml.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    for (const char c : xml) {
        require(static_cast<unsigned char>(c) >= 0x20 || blank(c), "no control characters", part);
    }
    // Past `close`, which is searched for from `from` on: the end never overlaps the opening.
    const auto skipPast = [&](std::size_t from, std::string_view close) {
        const std::size_t end = xml.find(close, from);
        require(end != std::string_view::npos, "a comment, CDATA or instruction ends", part);
        i = end + close.size();
        return end;
    };
    const std::size_t start = i;
    while (i < xml.size()) {
        const std::string_view rest = xml.substr(i);
        if (rest[0] == '&') {
            require(!open.empty(), "a reference inside the root", part);
            i = checkReference(xml, i, part);
        } else if (rest[0] != '<') {
            require(!open.empty() || blank(rest[0]), "only blanks around the root", part);
            require(!rest.starts_with("]]>"), "no ']]>' in text", part);
            ++i;
        } else if (rest.starts_with("<?")) {
            const std::size_t at = i;
            std::size_t target = i + 2;
            while (target < xml.size() && !blank(xml[target]) && xml[target] != '?') {
                ++target;
            }
            const std::string_view name = xml.substr(at + 2, target - at - 2);
            require(!name.empty() && name.find_first_of("<>&\"'=/") == std::string_view::npos,
                    "an instruction names its target", part);
            const std::size_t end = skipPast(target, "?>");
            if (lowerAscii(name) == "xml") {
                require(name == "xml" && at == start, "the declaration first", part);
                // Blanks as XML has them: "\s" would take a form feed too.
                static const std::regex declaration(
                    R"([ \t\r\n]+version[ \t\r\n]*=[ \t\r\n]*("1\.[0-9]+"|'1\.[0-9]+'))"
                    R"(([ \t\r\n]+encoding[ \t\r\n]*=[ \t\r\n]*)"
                    R"(("[Uu][Tt][Ff]-8"|'[Uu][Tt][Ff]-8'))?)"
                    R"(([ \t\r\n]+standalone[ \t\r\n]*=[ \t\r\n]*("yes"|"no"|'yes'|'no'))?)"
                    R"([ \t\r\n]*)");
                const std::string_view d = xml.substr(target, end - target);
                if (!std::regex_match(d.begin(), d.end(), declaration)) {
                    broken("a declaration of version 1.x in UTF-8", asCString(d));
                }
            }
        } else if (rest.starts_with("<!--")) {
            const std::size_t content = i + 4;
            const std::size_t end = skipPast(content, "-->");
            require(xml.find("--", content) == end, "no '--' in a comment", part);
        } else if (rest.starts_with("<![CDATA[")) {
            require(!open.empty(), "CDATA inside the root", part);
            skipPast(i + 9, "]]>");
        } else {
            require(!rest.starts_with("<!"), "no declarations", part);
            const bool closing = rest.starts_with("</");
            std::size_t j = closing ? 2 : 1;
            const std::size_t nameStart = j;
            while (j < rest.size() && !blank(rest[j]) && rest[j] != '>' && rest[j] != '/') {
                const char c = rest[j];
                require(c != '<' && c != '"' && c != '\'' && c != '=' && c != '&',
                        "a name of name characters", part);
                ++j;
            }
            const std::string_view name = rest.substr(nameStart, j - nameStart);
            require(!name.empty(), "a tag has a name", part);
            // The attributes, blank before each and each once: name="value" or name='value'.
            std::set<std::string_view> attributes;
            while (true) {
                const std::size_t before = j;
                while (j < rest.size() && blank(rest[j])) {
                    ++j;
                }
                require(j < rest.size(), "a tag ends", part);
                if (rest[j] == '>' || (!closing && rest.substr(j).starts_with("/>"))) {
                    break;
                }
                require(!closing && j > before, "an attribute after a blank", part);
                const std::size_t equals = rest.find('=', j);
                require(equals != std::string_view::npos, "an attribute has a value", part);
                std::size_t nameEnd = j;
                while (nameEnd < equals && !blank(rest[nameEnd])) {
                    ++nameEnd;
                }
                require(attributes.insert(rest.substr(j, nameEnd - j)).second,
                        "each attribute once", part);
                std::size_t q = equals + 1;
                while (q < rest.size() && blank(rest[q])) {
                    ++q;
                }
                require(q < rest.size() && (rest[q] == '"' || rest[q] == '\''),
                        "an attribute value is quoted", part);
                const std::size_t close = rest.find(rest[q], q + 1);
                require(close != std::string_view::npos, "a quoted value ends", part);
                for (std::size_t k = q + 1; k < close;) {
                    require(rest[k] != '<', "no '<' in an attribute value", part);
                    k = rest[k] == '&' ? checkReference(rest, k, part) : k + 1;
                }
                j = close + 1;
            }
            const bool empty = rest[j] == '/';
            if (closing) {
                if (open.empty() || open.back() != name) {
                    broken("elements close in order", asCString(name));
                }
                open.pop_back();
            } else {
                require(!open.empty() || !root, "one root", part);
                root = true;
                if (!empty) {
                    open.push_back(name);
                }
            }
            i += j + (empty ? 2 : 1);
        }
    }
    require(root && open.empty(), "the root is closed", part);
}

const std::vector<docx::Field> kFields = {
    {{"工程名称", "project"}, "某水库大坝"},
    {{"计算"}, "A&B <c> \x01"},
    {{"blank"}, ""},
};

const design::doc::Document& book() {
    static const design::doc::Document d = [] {
        using namespace design::doc;
        Document b;
        b.pageHead = "页眉";
        b << Heading{1, "fuzz-book-title"} << Heading{2, "1 资料"} << Paragraph{"{{工程名称}}"}
          << Table{TableKind::Plain, {1}, {Row{{Cell{"数"}}}}};
        return b;
    }();
    return d;
}

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
constexpr std::string_view kW =
    " xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";

// A sound template, each part by name, for the input to stand in for one of them.
std::vector<zip::Entry> soundTemplate() {
    const std::string rels =
        std::string(kDeclaration) +
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    const std::string officeDocument =
        "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    return {
        {"[Content_Types].xml",
         std::string(kDeclaration) +
             "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
             "<Default Extension=\"xml\" ContentType=\"application/xml\"/><Override "
             "PartName=\"/word/document.xml\" ContentType=\"application/"
             "vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml\"/></Types>"},
        {"_rels/.rels", rels + "<Relationship Id=\"rId1\" Type=\"" + officeDocument +
                            "officeDocument\" Target=\"word/document.xml\"/></Relationships>"},
        {"word/document.xml",
         std::string(kDeclaration) + "<w:document" + std::string(kW) +
             "><w:body><w:p><w:r><w:t>{{工程</w:t></w:r><w:r><w:t>名称}}</w:t></w:r></w:p>"
             "<w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/></w:sectPr></w:body></w:document>"},
        {"word/_rels/document.xml.rels", rels + "<Relationship Id=\"rId1\" Type=\"" +
                                             officeDocument +
                                             "styles\" Target=\"styles.xml\"/></Relationships>"},
        {"word/styles.xml", std::string(kDeclaration) + "<w:styles" + std::string(kW) +
                                "><w:style w:type=\"paragraph\" w:default=\"1\" "
                                "w:styleId=\"a\"><w:name w:val=\"Normal\"/></w:style></w:styles>"},
        {"word/header1.xml", std::string(kDeclaration) + "<w:hdr" + std::string(kW) +
                                 "><w:p><w:r><w:t>{{计算}}</w:t></w:r></w:p></w:hdr>"},
    };
}

// The parts the book edits or writes; the template's others are kept as they were.
bool isEdited(std::string_view name) {
    const std::string n = lowerAscii(name);
    const bool textPart = n.starts_with("word/") && n.ends_with(".xml") &&
                          n.find('/', 5) == std::string::npos &&
                          (n.starts_with("word/header") || n.starts_with("word/footer") ||
                           n == "word/footnotes.xml" || n == "word/endnotes.xml");
    return textPart || n == "[content_types].xml" || n == "_rels/.rels" ||
           n == "word/_rels/document.xml.rels" || n == "word/document.xml" ||
           n == "word/styles.xml" || n == "docprops/core.xml" || n == "docprops/app.xml";
}

void checkUnknown(const std::vector<std::string>& unknown) {
    std::set<std::string> seen;
    for (const std::string& u : unknown) {
        require(u.starts_with("{{") && u.ends_with("}}") && u.size() > 4,
                "an unknown placeholder as written", asCString(u));
        require(seen.insert(u).second, "each unknown placeholder named once", asCString(u));
    }
}

void checkBook(std::string_view templateBytes) {
    docx::TemplatedBook filled;
    try {
        filled = docx::wordBookInTemplate(templateBytes, "t.docx", book(),
                                          {"t", "a", "2024-01-01", "p", "1.0"}, kFields);
    } catch (const docx::TemplateError&) {
        return;
    }
    checkUnknown(filled.unknown);
    std::vector<zip::Entry> entries;
    try {
        entries = zip::read(filled.bytes, {.maxEntries = 8192,
                                           .maxEntrySize = std::uint64_t{64} << 20,
                                           .maxTotalSize = std::uint64_t{512} << 20,
                                           .maxRatio = 1u << 30});
    } catch (const zip::ZipError& e) {
        fuzz::broken("the book reads back as a zip", e.entry());
    }
    bool document = false;
    for (const zip::Entry& e : entries) {
        if (isEdited(e.name)) {
            checkWellFormed(e.data, e.name);
        }
        if (lowerAscii(e.name) == "word/document.xml") {
            document = true;
            require(e.data.find("fuzz-book-title") != std::string::npos,
                    "the book is in the document");
        }
    }
    require(document, "the book has its document");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    std::vector<std::string> unknown;
    try {
        const std::string out = docx::fillPlaceholders(input, kFields, unknown);
        checkWellFormed(out, "the part filled");
        checkUnknown(unknown);
        require(input.find('{') != std::string_view::npos || out == input,
                "a part without placeholders stays as it is");
    } catch (const docx::xml::Malformed&) {
    }

    checkBook(input);
    static const std::vector<zip::Entry> sound = soundTemplate();
    for (std::size_t i = 0; i < sound.size(); ++i) {
        std::vector<zip::Entry> entries = sound;
        entries[i].data = std::string(input);
        checkBook(zip::write(entries));
    }
    return 0;
}
