// The book after an institute's template: the template's cover and sign-off pages with their
// placeholders filled, then the book on a page of its own, in one .docx. The template is
// taken apart only as far as the book needs: the parts that are edited (the document, its
// heads and feet, the styles, the relationships, the content types and the properties) are
// read as XML and changed by byte range; every other part is kept byte for byte.

#include <algorithm>
#include <charconv>
#include <optional>
#include <utility>

#include "kelnor/design/wordml.h"
#include "kelnor/docx/word_book.h"
#include "kelnor/text/text.h"
#include "kelnor/zip/zip.h"
#include "package.h"
#include "placeholders.h"

namespace kelnor::docx {

namespace {

namespace wordml = design::wordml;
using Kind = TemplateErrorKind;

// A template is a cover and a few pages with a logo; beyond these it is taken for a zip bomb.
constexpr zip::Limits kLimits{.maxEntries = 4096,
                              .maxEntrySize = std::uint64_t{32} << 20,
                              .maxTotalSize = std::uint64_t{128} << 20,
                              .maxRatio = 200};

constexpr std::string_view kContentTypes = "[Content_Types].xml";
constexpr std::string_view kPackageRels = "_rels/.rels";
constexpr std::string_view kDocument = "word/document.xml";
constexpr std::string_view kDocumentRels = "word/_rels/document.xml.rels";
constexpr std::string_view kStyles = "word/styles.xml";
constexpr std::string_view kCore = "docProps/core.xml";
constexpr std::string_view kApp = "docProps/app.xml";

// The core properties' relationship as some older writers typed it.
constexpr std::string_view kOldCoreRel =
    "http://schemas.openxmlformats.org/officedocument/2006/relationships/metadata/"
    "core-properties";

// Part names as packages compare them: ASCII letters in any case, with or without the
// leading '/' of a part name in [Content_Types].xml and _rels/.rels.
bool samePart(std::string_view a, std::string_view b) {
    if (a.starts_with('/')) {
        a.remove_prefix(1);
    }
    if (b.starts_with('/')) {
        b.remove_prefix(1);
    }
    return lowerAscii(a) == lowerAscii(b);
}

struct Edit {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::string text;
};

// `xml` with each edit's bytes replaced by its text; edits at one place apply in their order.
std::string applied(std::string_view xml, std::vector<Edit> edits) {
    std::stable_sort(edits.begin(), edits.end(),
                     [](const Edit& a, const Edit& b) { return a.begin < b.begin; });
    std::string out;
    out.reserve(xml.size());
    std::size_t kept = 0;
    for (const Edit& e : edits) {
        out.append(xml, kept, e.begin - kept);
        out += e.text;
        kept = e.end;
    }
    out.append(xml, kept);
    return out;
}

// A part's root element and its children, as far as the package's own parts need them.
struct Child {
    std::string_view name;
    std::string_view tag;  // its start tag
    std::size_t begin = 0;
    std::size_t end = 0;
};

struct Outline {
    std::string_view rootName;
    std::size_t rootTagEnd = 0;
    bool rootEmpty = false;
    std::size_t rootClose = 0;  // where the root's end tag starts, or its "/>"
    std::vector<Child> children;
};

// Raises TemplateError (Damaged, `entry`) where the part is not XML as Word writes it.
Outline outline(std::string_view entry, std::string_view xml) {
    Outline o;
    try {
        xml::Reader r(xml);
        xml::Token t;
        while (r.next(t)) {
            const std::string_view raw = xml.substr(t.begin, t.end - t.begin);
            const bool start = t.kind == xml::Kind::Start;
            const bool empty = t.kind == xml::Kind::Empty;
            if ((start && r.depth() == 1) || (empty && r.depth() == 0)) {
                o.rootName = t.name;
                o.rootTagEnd = t.end;
                o.rootEmpty = empty;
                o.rootClose = t.end - 2;
            } else if (t.kind == xml::Kind::End && r.depth() == 0) {
                o.rootClose = t.begin;
            } else if ((start && r.depth() == 2) || (empty && r.depth() == 1)) {
                o.children.push_back({t.name, raw, t.begin, t.end});
            } else if (t.kind == xml::Kind::End && r.depth() == 1) {
                o.children.back().end = t.end;
            }
        }
    } catch (const xml::Malformed&) {
        throw TemplateError(Kind::Damaged, std::string(entry));
    }
    return o;
}

// `content` added as the root's last children.
Edit appendToRoot(const Outline& o, std::string content) {
    if (o.rootEmpty) {
        std::string whole = ">";
        whole.append(content).append("</").append(o.rootName).append(">");
        return {o.rootClose, o.rootTagEnd, std::move(whole)};
    }
    return {o.rootClose, o.rootClose, std::move(content)};
}

class Package {
  public:
    explicit Package(std::vector<zip::Entry> entries) : entries_(std::move(entries)) {}

    // The entry of that part name, in any case; nullptr where there is none.
    const zip::Entry* find(std::string_view name) const {
        for (const zip::Entry& e : entries_) {
            if (samePart(e.name, name)) {
                return &e;
            }
        }
        return nullptr;
    }
    // The part `name` replaced where the package has it, added after the others where not.
    void put(std::string_view name, std::string data) {
        for (zip::Entry& e : entries_) {
            if (samePart(e.name, name)) {
                e.data = std::move(data);
                return;
            }
        }
        entries_.push_back({std::string(name), std::move(data)});
    }
    // `stem` + `extension`, or with a number after the stem where the package has that name.
    std::string freeName(std::string_view stem, std::string_view extension) const {
        std::string name = std::string(stem) + std::string(extension);
        for (int n = 2; find(name) != nullptr; ++n) {
            name = std::string(stem) + std::to_string(n) + std::string(extension);
        }
        return name;
    }
    std::vector<zip::Entry>& entries() { return entries_; }

  private:
    std::vector<zip::Entry> entries_;
};

// A relationships part being edited: the template's, or a new one where it has none.
class Relationships {
  public:
    Relationships(const Package& p, std::string_view name) : name_(name) {
        if (const zip::Entry* e = p.find(name)) {
            xml_ = e->data;
            outline_ = outline(name, xml_);
            for (const Child& c : outline_->children) {
                ids_.push_back(xml::attributeText(c.tag, "Id"));
            }
        }
    }

    bool exists() const { return outline_.has_value(); }
    std::vector<Child> relationships() const {
        std::vector<Child> out;
        if (outline_) {
            for (const Child& c : outline_->children) {
                if (c.name == "Relationship") {
                    out.push_back(c);
                }
            }
        }
        return out;
    }
    // Adds a relationship with an id no other has, `base` or `base` and a number; returns the
    // id.
    std::string add(std::string_view base, std::string_view type, std::string_view target) {
        std::string id(base);
        for (int n = 2; std::find(ids_.begin(), ids_.end(), id) != ids_.end(); ++n) {
            id = std::string(base) + std::to_string(n);
        }
        ids_.push_back(id);
        added_ += package::relationship(id, type, target);
        return id;
    }
    void remove(const Child& c) { edits_.push_back({c.begin, c.end, {}}); }

    void store(Package& p) {
        if (added_.empty() && edits_.empty()) {
            return;
        }
        if (!outline_) {
            p.put(name_, std::string(package::kDeclaration) +
                             "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/"
                             "2006/relationships\">" +
                             added_ + "</Relationships>");
            return;
        }
        edits_.push_back(appendToRoot(*outline_, added_));
        p.put(name_, applied(xml_, std::move(edits_)));
    }

  private:
    std::string name_;
    std::string xml_;
    std::optional<Outline> outline_;
    std::vector<std::string> ids_;
    std::string added_;
    std::vector<Edit> edits_;
};

// [Content_Types].xml being edited.
class ContentTypes {
  public:
    explicit ContentTypes(const zip::Entry& e)
        : xml_(e.data), outline_(outline(kContentTypes, xml_)) {}

    // The part `name` of content type `type`, by an Override of its own.
    void set(std::string_view name, std::string_view type) {
        for (const Child& c : outline_.children) {
            if (c.name == "Override" && samePart(xml::attributeText(c.tag, "PartName"), name)) {
                if (xml::attributeText(c.tag, "ContentType") != type) {
                    edits_.push_back({c.begin, c.end, package::override(name, type)});
                }
                return;
            }
        }
        added_ += package::override(name, type);
    }
    // Whether any content type names macros: a macro-enabled document or template, or a
    // VBA project.
    bool namesMacros() const {
        for (const Child& c : outline_.children) {
            const std::string type = lowerAscii(xml::attributeText(c.tag, "ContentType"));
            if (type.find("macroenabled") != std::string::npos ||
                type.find("vbaproject") != std::string::npos) {
                return true;
            }
        }
        return false;
    }

    void store(Package& p) {
        if (added_.empty() && edits_.empty()) {
            return;
        }
        edits_.push_back(appendToRoot(outline_, added_));
        p.put(kContentTypes, applied(xml_, std::move(edits_)));
    }

  private:
    std::string xml_;
    Outline outline_;
    std::string added_;
    std::vector<Edit> edits_;
};

std::vector<zip::Entry> readTemplate(std::string_view bytes) {
    try {
        return zip::read(bytes, kLimits);
    } catch (const zip::ZipError& e) {
        switch (e.kind()) {
            case zip::ZipErrorKind::NotAZip:
            // A password on the zip's entries is no more usable than Word's own encryption,
            // which makes an OLE2 file, not a zip: both are "an encrypted document" to the
            // user, who saves the template again without a password.
            case zip::ZipErrorKind::Encrypted:
                throw TemplateError(Kind::NotAZip, e.entry());
            case zip::ZipErrorKind::UnsafeName:
                throw TemplateError(Kind::UnsafeName, e.entry());
            case zip::ZipErrorKind::TooLarge:
                throw TemplateError(Kind::TooLarge, e.entry());
            case zip::ZipErrorKind::Truncated:
            case zip::ZipErrorKind::Unsupported:
            case zip::ZipErrorKind::Corrupt:
            case zip::ZipErrorKind::DuplicateName:
                break;
        }
        throw TemplateError(Kind::Damaged, e.entry());
    }
}

// The parts whose text Word shows besides the document's body: the heads and feet, the
// footnotes and endnotes.
bool isTextPart(std::string_view name) {
    const std::string n = lowerAscii(name);
    if (!n.starts_with("word/") || !n.ends_with(".xml") || n.find('/', 5) != std::string::npos) {
        return false;
    }
    const std::string_view file = std::string_view(n).substr(5);
    return file.starts_with("header") || file.starts_with("footer") || file == "footnotes.xml" ||
           file == "endnotes.xml";
}

void fill(zip::Entry& e, const std::vector<Field>& fields, std::vector<std::string>& unknown) {
    try {
        e.data = fillPlaceholders(e.data, fields, unknown);
    } catch (const xml::Malformed&) {
        throw TemplateError(Kind::Damaged, e.name);
    }
}

// The styles the template defines, as far as choosing the book's needs.
struct TemplateStyle {
    std::string type;
    std::string id;
    std::string name;
    bool isDefault = false;
};

std::vector<TemplateStyle> stylesOf(std::string_view xml) {
    std::vector<TemplateStyle> styles;
    xml::Reader r(xml);
    xml::Token t;
    bool inStyle = false;
    while (r.next(t)) {
        const std::string_view tag = xml.substr(t.begin, t.end - t.begin);
        const bool start = t.kind == xml::Kind::Start;
        const std::size_t level = start ? r.depth() - 1 : r.depth();
        if ((start || t.kind == xml::Kind::Empty) && level == 1 && t.name == "w:style") {
            const std::string on = xml::attributeText(tag, "w:default");
            styles.push_back({xml::attributeText(tag, "w:type"),
                              xml::attributeText(tag, "w:styleId"),
                              {},
                              on == "1" || on == "true" || on == "on"});
            if (styles.back().type.empty()) {
                styles.back().type = "paragraph";  // the type a style without one has
            }
            inStyle = start;
        } else if (inStyle && level == 2 && t.name == "w:name" && t.kind != xml::Kind::End) {
            styles.back().name = xml::attributeText(tag, "w:val");
        } else if (t.kind == xml::Kind::End && level == 1) {
            inStyle = false;
        }
    }
    return styles;
}

// The template's style for one of ours: the one of our id, or else one of a name ours goes
// by, of the same type.
const TemplateStyle* matching(const std::vector<TemplateStyle>& styles, const wordml::Style& ours) {
    for (const TemplateStyle& s : styles) {
        if (s.id == ours.id) {
            return &s;
        }
    }
    const std::string type =
        xml::attributeText(ours.xml.substr(0, ours.xml.find('>') + 1), "w:type");
    for (const TemplateStyle& s : styles) {
        for (const std::string& name : ours.names) {
            if (!s.id.empty() && s.type == type && lowerAscii(s.name) == lowerAscii(name)) {
                return &s;
            }
        }
    }
    return nullptr;
}

std::string replaced(std::string text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// The book's style ids in the template: its own where it defines them, ours otherwise, added
// to its styles (or its styles written where it has none).
wordml::StyleIds chooseStyles(Package& p, Relationships& documentRels, ContentTypes& types) {
    wordml::StyleIds ids;
    const zip::Entry* part = p.find(kStyles);
    if (part == nullptr) {
        p.put(kStyles, wordml::stylesXml());
        documentRels.add("rIdKelnorStyles", package::kStylesRel, "styles.xml");
        types.set(kStyles, package::kStylesType);
        return ids;
    }
    const std::string xml = part->data;
    const Outline o = outline(kStyles, xml);
    std::vector<TemplateStyle> styles;
    try {
        styles = stylesOf(xml);
    } catch (const xml::Malformed&) {
        throw TemplateError(Kind::Damaged, std::string(kStyles));
    }
    const auto defaultOf = [&](std::string_view type) -> std::string {
        for (const TemplateStyle& s : styles) {
            if (s.isDefault && s.type == type && !s.id.empty()) {
                return s.id;
            }
        }
        return {};
    };
    const std::string normal = defaultOf("paragraph");
    const std::string normalTable = defaultOf("table");
    std::string* chosen[] = {&ids.title, &ids.heading1, &ids.heading2, &ids.table, &ids.cell};
    std::string added;
    const auto& ours = wordml::bookStyles();
    for (std::size_t i = 0; i < ours.size() && i < std::size(chosen); ++i) {
        if (const TemplateStyle* s = matching(styles, ours[i])) {
            *chosen[i] = s->id;
            continue;
        }
        *chosen[i] = ours[i].id;
        std::string style = ours[i].xml;
        // Ours build on Word's Normal and Normal Table; the template's may have other ids
        // (Chinese Word's 正文 is "a").
        if (!normal.empty()) {
            const std::string to = "w:val=\"" + wordml::xmlText(normal) + "\"/>";
            style = replaced(std::move(style), "<w:basedOn w:val=\"Normal\"/>", "<w:basedOn " + to);
            style = replaced(std::move(style), "<w:next w:val=\"Normal\"/>", "<w:next " + to);
        }
        if (!normalTable.empty()) {
            style = replaced(std::move(style), "<w:basedOn w:val=\"TableNormal\"/>",
                             "<w:basedOn w:val=\"" + wordml::xmlText(normalTable) + "\"/>");
        }
        added += style;
    }
    if (!added.empty()) {
        p.put(kStyles, applied(xml, {appendToRoot(o, std::move(added))}));
    }
    return ids;
}

// What the book's place in word/document.xml depends on.
struct Body {
    std::string_view rootTag;
    std::size_t rootTagEnd = 0;
    bool found = false;
    bool empty = false;     // <w:body/>
    std::size_t begin = 0;  // its start tag, or its empty tag
    std::size_t end = 0;
    std::size_t close = 0;  // where </w:body> starts
    // The body's last child element: the final section's properties where it is a w:sectPr.
    std::string_view lastName;
    std::size_t lastBegin = 0;
    std::size_t lastTagEnd = 0;
    std::size_t lastEnd = 0;
    bool lastEmpty = false;
    bool heads = false;  // that w:sectPr names a head or a foot
    // Its w:type where the section starts on the same page or column, not a new page.
    std::optional<std::pair<std::size_t, std::size_t>> sameStart;
    // Its w:pgMar start tag.
    std::optional<std::pair<std::size_t, std::size_t>> margins;
};

Body bodyOf(std::string_view xml) {
    Body b;
    xml::Reader r(xml);
    xml::Token t;
    bool inBody = false;
    while (r.next(t)) {
        const bool start = t.kind == xml::Kind::Start;
        const bool empty = t.kind == xml::Kind::Empty;
        if (!start && !empty && t.kind != xml::Kind::End) {
            continue;
        }
        const std::size_t level = start ? r.depth() - 1 : r.depth();
        const std::string_view tag = xml.substr(t.begin, t.end - t.begin);
        if (level == 0 && start) {
            b.rootTag = tag;
            b.rootTagEnd = t.end;
        } else if (level == 1 && t.name == "w:body") {
            if (!b.found && (start || empty)) {
                b.found = true;
                b.empty = empty;
                inBody = start;
                b.begin = t.begin;
                b.end = t.end;
            } else if (inBody && !start && !empty) {
                inBody = false;
                b.close = t.begin;
            }
        } else if (inBody && level == 2) {
            if (start || empty) {
                b.lastName = t.name;
                b.lastBegin = t.begin;
                b.lastTagEnd = t.end;
                b.lastEmpty = empty;
                b.heads = false;
                b.sameStart.reset();
                b.margins.reset();
            }
            b.lastEnd = t.end;
        } else if (inBody && level == 3 && b.lastName == "w:sectPr" && (start || empty)) {
            if (t.name == "w:headerReference" || t.name == "w:footerReference") {
                b.heads = true;
            } else if (t.name == "w:pgMar") {
                b.margins.emplace(t.begin, t.end);
            } else if (t.name == "w:type" && empty) {
                const std::string type = xml::attributeText(tag, "w:val");
                if (type == "continuous" || type == "nextColumn") {
                    b.sameStart.emplace(t.begin, t.end);
                }
            }
        }
    }
    return b;
}

// The namespace declarations of the book's parts, each with its attribute name: "xmlns:wp".
std::vector<std::pair<std::string_view, std::string_view>> bookNamespaces() {
    std::vector<std::pair<std::string_view, std::string_view>> out;
    std::string_view rest = wordml::kNamespaces;
    while (!rest.empty()) {
        const std::size_t next = rest.find(" xmlns:", 1);
        const std::string_view declaration = rest.substr(0, next);
        out.emplace_back(declaration.substr(1, declaration.find('=') - 1), declaration);
        rest = next == std::string_view::npos ? std::string_view() : rest.substr(next);
    }
    return out;
}

// The paragraph that ends the cover, with a page break or a section break: one point high, so
// that on a cover that fills its page it does not spill onto a blank one.
constexpr std::string_view kThinParagraph =
    "<w:p><w:pPr><w:spacing w:before=\"0\" w:after=\"0\" w:line=\"20\" w:lineRule=\"exact\"/>"
    "<w:rPr><w:sz w:val=\"2\"/><w:szCs w:val=\"2\"/></w:rPr>";

std::string pageBreak() {
    return std::string(kThinParagraph) + "</w:pPr><w:r><w:br w:type=\"page\"/></w:r></w:p>";
}
std::string sectionBreak(std::string_view sectionProperties) {
    return std::string(kThinParagraph) + std::string(sectionProperties) + "</w:pPr></w:p>";
}

// The book's head and foot added as parts of their own; returns the references a section
// takes them by, for every page: the first of a section that has one of its own, the even
// ones where the document has them.
std::string addHeadAndFoot(Package& p, const wordml::Parts& parts, Relationships& documentRels,
                           ContentTypes& types) {
    const std::string head = p.freeName("word/header_book", ".xml");
    p.put(head, parts.header);
    const std::string foot = p.freeName("word/footer_book", ".xml");
    p.put(foot, parts.footer);
    types.set(head, package::kHeaderType);
    types.set(foot, package::kFooterType);
    const std::string headId =
        wordml::xmlText(documentRels.add("rIdKelnorHead", package::kHeaderRel, head.substr(5)));
    const std::string footId =
        wordml::xmlText(documentRels.add("rIdKelnorFoot", package::kFooterRel, foot.substr(5)));
    std::string references;
    for (const std::string_view which : {"header", "footer"}) {
        for (const std::string_view page : {"default", "first", "even"}) {
            references += "<w:" + std::string(which) + "Reference w:type=\"" + std::string(page) +
                          "\" r:id=\"" + (which == "header" ? headId : footId) + "\"/>";
        }
    }
    return references;
}

// A head or foot closer to the paper's edge than 5 mm is cut off in print; LibreOffice writes
// 0 for a page without a head. The book's head and foot then stand 8 mm from the edge, as in
// the book of its own.
void keepHeadAndFootOnThePaper(std::string_view xml, std::pair<std::size_t, std::size_t> margins,
                               std::vector<Edit>& edits) {
    const std::string_view tag = xml.substr(margins.first, margins.second - margins.first);
    for (const std::string_view distance : {"w:header", "w:footer"}) {
        const auto value = xml::attribute(tag, distance);
        int twips = 0;
        if (!value ||
            std::from_chars(value->data(), value->data() + value->size(), twips).ec !=
                std::errc() ||
            twips >= 284) {
            continue;
        }
        const std::size_t at = margins.first + static_cast<std::size_t>(value->data() - tag.data());
        edits.push_back({at, at + value->size(), "454"});
    }
}

// word/document.xml with the book after the template's content.
std::string documentWithBook(Package& p, const std::string& xml, const wordml::Parts& parts,
                             Relationships& documentRels, ContentTypes& types) {
    Body b;
    try {
        b = bodyOf(xml);
    } catch (const xml::Malformed&) {
        throw TemplateError(Kind::Damaged, std::string(kDocument));
    }
    if (!b.found) {
        throw TemplateError(Kind::Damaged, std::string(kDocument));
    }
    std::vector<Edit> edits;
    std::string declarations;
    for (const auto& [name, declaration] : bookNamespaces()) {
        if (!xml::attribute(b.rootTag, name)) {
            declarations += declaration;
        }
    }
    if (!declarations.empty()) {
        edits.push_back({b.rootTagEnd - 1, b.rootTagEnd - 1, std::move(declarations)});
    }
    if (b.lastName == "w:sectPr" && b.heads) {
        // The template's head and foot run on through the book.
        edits.push_back({b.lastBegin, b.lastBegin, pageBreak() + parts.body});
    } else if (b.lastName == "w:sectPr") {
        // The cover keeps its section, without a head or foot, ending in a section break of
        // its page setup; the book's section has the same page and the book's head and foot.
        const std::string_view cover =
            std::string_view(xml).substr(b.lastBegin, b.lastEnd - b.lastBegin);
        edits.push_back({b.lastBegin, b.lastBegin, sectionBreak(cover) + parts.body});
        const std::string references = addHeadAndFoot(p, parts, documentRels, types);
        if (b.lastEmpty) {
            edits.push_back({b.lastEnd - 2, b.lastEnd, ">" + references + "</w:sectPr>"});
        } else {
            edits.push_back({b.lastTagEnd, b.lastTagEnd, references});
        }
        if (b.margins) {
            keepHeadAndFootOnThePaper(xml, *b.margins, edits);
        }
        if (b.sameStart) {
            edits.push_back(
                {b.sameStart->first, b.sameStart->second, "<w:type w:val=\"nextPage\"/>"});
        }
    } else {
        // No section properties: the book's page for both, the cover without a head or foot.
        const std::string references = addHeadAndFoot(p, parts, documentRels, types);
        const std::string own = wordml::sectionProperties("h", "f");
        const std::string page = own.substr(own.find("<w:pgSz"));
        const std::string content =
            sectionBreak("<w:sectPr>" + page) + parts.body + "<w:sectPr>" + references + page;
        if (b.empty) {
            edits.push_back({b.begin, b.end, "<w:body>" + content + "</w:body>"});
        } else {
            edits.push_back({b.close, b.close, content});
        }
    }
    return applied(xml, std::move(edits));
}

// docProps/core.xml and docProps/app.xml of the book's properties, in place of the template's,
// with the package's relationships and content types naming them.
void writeProperties(Package& p, const Properties& properties, ContentTypes& types) {
    Relationships rels(p, kPackageRels);
    if (!rels.exists()) {
        rels.add("rId1", package::kOfficeDocumentRel, kDocument);
    }
    struct Part {
        std::string_view name, relationship, oldRelationship, type, id;
        std::string xml;
    };
    const Part parts[] = {
        {kCore, package::kCoreRel, kOldCoreRel, package::kCoreType, "rIdKelnorCore",
         package::coreXml(properties)},
        {kApp, package::kAppRel, package::kAppRel, package::kAppType, "rIdKelnorApp",
         package::appXml(properties)},
    };
    for (const Part& part : parts) {
        bool kept = false;
        for (const Child& c : rels.relationships()) {
            const std::string type = lowerAscii(xml::attributeText(c.tag, "Type"));
            if (type != lowerAscii(part.relationship) && type != lowerAscii(part.oldRelationship)) {
                continue;
            }
            if (!kept && samePart(xml::attributeText(c.tag, "Target"), part.name)) {
                kept = true;
            } else {
                rels.remove(c);
            }
        }
        if (!kept) {
            rels.add(part.id, part.relationship, part.name);
        }
        p.put(part.name, part.xml);
        types.set(part.name, part.type);
    }
    rels.store(p);
}

}  // namespace

TemplatedBook wordBookInTemplate(std::string_view templateBytes, std::string_view fileName,
                                 const design::doc::Document& book, const Properties& properties,
                                 const std::vector<Field>& fields) {
    if (endsWithNoCase(fileName, ".docm") || endsWithNoCase(fileName, ".dotm")) {
        throw TemplateError(Kind::MacroEnabled);
    }
    Package p(readTemplate(templateBytes));
    for (const zip::Entry& e : p.entries()) {
        if (lowerAscii(e.name).ends_with("vbaproject.bin")) {
            throw TemplateError(Kind::MacroEnabled, e.name);
        }
    }
    if (p.find(kDocument) == nullptr) {
        throw TemplateError(Kind::NotWord);
    }
    const zip::Entry* typesPart = p.find(kContentTypes);
    if (typesPart == nullptr) {
        throw TemplateError(Kind::Damaged, std::string(kContentTypes));
    }
    ContentTypes types(*typesPart);
    if (types.namesMacros()) {
        throw TemplateError(Kind::MacroEnabled, std::string(kContentTypes));
    }

    TemplatedBook result;
    // The document's placeholders first, so the unknown ones are named in reading order.
    for (zip::Entry& e : p.entries()) {
        if (samePart(e.name, kDocument)) {
            fill(e, fields, result.unknown);
        }
    }
    for (zip::Entry& e : p.entries()) {
        if (isTextPart(e.name)) {
            fill(e, fields, result.unknown);
        }
    }

    Relationships documentRels(p, kDocumentRels);
    const wordml::Parts parts = wordml::render(book, chooseStyles(p, documentRels, types));
    const std::string document = p.find(kDocument)->data;
    p.put(kDocument, documentWithBook(p, document, parts, documentRels, types));
    // A template (.dotx) is written as a document.
    types.set(kDocument, package::kDocumentType);
    writeProperties(p, properties, types);
    documentRels.store(p);
    types.store(p);
    try {
        result.bytes = zip::write(p.entries());
    } catch (const zip::ZipError& e) {
        throw TemplateError(Kind::TooLarge, e.entry());
    }
    return result;
}

}  // namespace kelnor::docx
