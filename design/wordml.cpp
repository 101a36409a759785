#include "kelnor/design/wordml.h"

#include <cmath>
#include <numeric>

#include "drawingml.h"
#include "kelnor/text.h"

namespace kelnor::design::wordml {

namespace {

using namespace doc;

// The book's faces: 宋体 for Chinese text and tables, 黑体 for headings, a Latin face for
// letters and numbers. Named outright on every style so no theme font is ever looked for.
constexpr std::string_view kTextFonts =
    "<w:rFonts w:ascii=\"Times New Roman\" w:eastAsia=\"宋体\" w:hAnsi=\"Times New Roman\" "
    "w:cs=\"Times New Roman\"/>";
constexpr std::string_view kHeadingFonts =
    "<w:rFonts w:ascii=\"Times New Roman\" w:eastAsia=\"黑体\" w:hAnsi=\"Times New Roman\" "
    "w:cs=\"Times New Roman\"/>";

// The colours of the HTML book's warnings, failures, shading and notes.
constexpr std::string_view kWarnColour = "8A4B00";
constexpr std::string_view kFailColour = "A00000";
constexpr std::string_view kHeaderShade = "E8E8E8";
constexpr std::string_view kGoverningShade = "F3F3F3";
constexpr std::string_view kNoteColour = "333333";

// Sizes in half-points: body 10.5 pt (五号), cells 9 pt, notes 8.5 pt.
constexpr int kCellSize = 18;
constexpr int kNoteSize = 17;

struct Look {
    bool bold = false;
    std::string_view colour;
    int size = 0;  // half-points; 0: the style's
};

std::string runProperties(const Run& r, const Look& look) {
    std::string p;
    if (look.bold || r.emphasis != Emphasis::None) {
        p += "<w:b/><w:bCs/>";
    }
    if (!look.colour.empty()) {
        p += "<w:color w:val=\"" + std::string(look.colour) + "\"/>";
    }
    if (look.size > 0) {
        p += "<w:sz w:val=\"" + std::to_string(look.size) + "\"/><w:szCs w:val=\"" +
             std::to_string(look.size) + "\"/>";
    }
    if (r.script == Script::Super) {
        p += "<w:vertAlign w:val=\"superscript\"/>";
    } else if (r.script == Script::Sub) {
        p += "<w:vertAlign w:val=\"subscript\"/>";
    }
    return p.empty() ? p : "<w:rPr>" + p + "</w:rPr>";
}

std::string runs(const Runs& text, const Look& look) {
    std::string out;
    for (const Run& r : text.runs()) {
        out += "<w:r>" + runProperties(r, look) + "<w:t xml:space=\"preserve\">" + xmlText(r.text) +
               "</w:t></w:r>";
    }
    return out;
}

// Inherit takes the paragraph style's (the template's 正文 may justify its text).
enum class Align { Inherit, Left, Centre, End };

struct ParagraphLook {
    std::string_view style;  // a paragraph style id; empty: the default (正文)
    Align align = Align::Inherit;
    bool keepNext = false;
    bool pageBreakBefore = false;
    int hanging = 0;  // twips: a list item's bullet hangs out by this much
};

std::string paragraph(const ParagraphLook& p, const std::string& content) {
    std::string props;
    if (!p.style.empty()) {
        props += "<w:pStyle w:val=\"" + xmlText(p.style) + "\"/>";
    }
    if (p.keepNext) {
        props += "<w:keepNext/>";
    }
    if (p.pageBreakBefore) {
        props += "<w:pageBreakBefore/>";
    }
    if (p.hanging > 0) {
        props += "<w:ind w:left=\"" + std::to_string(p.hanging) + "\" w:hanging=\"" +
                 std::to_string(p.hanging) + "\"/>";
    }
    if (p.align == Align::Left) {
        props += "<w:jc w:val=\"left\"/>";
    } else if (p.align == Align::Centre) {
        props += "<w:jc w:val=\"center\"/>";
    } else if (p.align == Align::End) {
        props += "<w:jc w:val=\"right\"/>";
    }
    return "<w:p>" + (props.empty() ? props : "<w:pPr>" + props + "</w:pPr>") + content + "</w:p>";
}

Look toneLook(Tone tone) {
    switch (tone) {
        case Tone::Subtitle:
            return {false, kNoteColour};
        case Tone::Marked:
            return {true, {}};
        case Tone::Warning:
            return {false, kWarnColour};
        case Tone::Failure:
            return {false, kFailColour};
        case Tone::MarkedFailure:
            return {true, kFailColour};
        case Tone::Plain:
            break;
    }
    return {};
}

// Each column's width in twips, the text width shared by the table's shares; the last takes
// what rounding leaves, so the grid adds up to the text width exactly.
std::vector<int> columnWidths(const Table& t) {
    std::size_t columns = 0;
    for (const Row& row : t.rows) {
        std::size_t n = 0;
        for (const Cell& c : row.cells) {
            n += static_cast<std::size_t>(std::max(c.span, 1));
        }
        columns = std::max(columns, n);
    }
    std::vector<double> shares = t.widths;
    shares.resize(columns, shares.empty() ? 1.0 : shares.back());
    const double total = std::accumulate(shares.begin(), shares.end(), 0.0);
    std::vector<int> widths;
    int used = 0;
    for (std::size_t i = 0; i < columns; ++i) {
        const int w = i + 1 == columns
                          ? kTextWidth - used
                          : static_cast<int>(std::lround(kTextWidth * shares[i] / total));
        widths.push_back(w);
        used += w;
    }
    return widths;
}

std::string border(std::string_view side) {
    return "<w:" + std::string(side) +
           " w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"555555\"/>";
}

std::string borders(std::string_view element) {
    std::string out = "<w:" + std::string(element) + ">";
    for (const std::string_view side : {"top", "left", "bottom", "right", "insideH", "insideV"}) {
        out += border(side);
    }
    return out + "</w:" + std::string(element) + ">";
}

class Writer {
  public:
    explicit Writer(const StyleIds& ids) : ids_(ids) {}

    void operator()(const Heading& h) {
        const std::string_view style = h.level <= 1   ? ids_.title
                                       : h.level == 2 ? ids_.heading1
                                                      : ids_.heading2;
        out_ += paragraph({style, h.level <= 1 ? Align::Centre : Align::Inherit, true, h.newPage},
                          runs(h.text, {}));
    }
    void operator()(const Paragraph& p) {
        const bool subtitle = p.tone == Tone::Subtitle;
        out_ += paragraph({{}, subtitle ? Align::Centre : Align::Inherit, keep_ || subtitle},
                          runs(p.text, toneLook(p.tone)));
    }
    void operator()(const Table& t) {
        const std::vector<int> widths = columnWidths(t);
        out_ += "<w:tbl><w:tblPr><w:tblStyle w:val=\"" + xmlText(ids_.table) +
                "\"/><w:tblW w:w=\"" + std::to_string(kTextWidth) +
                "\" w:type=\"dxa\"/><w:jc w:val=\"center\"/>" + borders("tblBorders") +
                "<w:tblLayout w:type=\"fixed\"/><w:tblCellMar><w:left w:w=\"57\" "
                "w:type=\"dxa\"/><w:right w:w=\"57\" w:type=\"dxa\"/></w:tblCellMar>"
                "<w:tblLook w:val=\"0000\" w:firstRow=\"0\" w:lastRow=\"0\" w:firstColumn=\"0\" "
                "w:lastColumn=\"0\" w:noHBand=\"1\" w:noVBand=\"1\"/></w:tblPr><w:tblGrid>";
        for (const int w : widths) {
            out_ += "<w:gridCol w:w=\"" + std::to_string(w) + "\"/>";
        }
        out_ += "</w:tblGrid>";
        for (std::size_t i = 0; i < t.rows.size(); ++i) {
            row(t, t.rows[i], i < t.headerRows, widths);
        }
        out_ += "</w:tbl>";
        // Two tables one after the other would join into one: a paragraph keeps them apart.
        out_ += paragraph({{}, Align::Inherit, keep_}, {});
    }
    void operator()(const List& l) {
        const Look look = toneLook(l.tone);
        if (!l.title.empty()) {
            out_ += paragraph({{}, Align::Inherit, true}, runs(l.title, look));
        }
        for (std::size_t i = 0; i < l.items.size(); ++i) {
            out_ += paragraph({{}, Align::Inherit, keep_ && i + 1 < l.items.size(), false, 360},
                              runs(Runs("•\u3000") + l.items[i], look));
        }
    }
    void operator()(const Figure& f) {
        out_ += paragraph(
            {{}, Align::Centre, true},
            "<w:r>" + drawingml::figure(f.drawing, f.width, f.height, ++figures_) + "</w:r>");
        out_ += paragraph({{}, Align::Centre, keep_}, runs(f.caption, {false, kNoteColour}));
    }
    void operator()(const Group& g) {
        const bool outer = keep_;
        keep_ = outer || g.kind == GroupKind::Keep;
        for (const Block& b : g.blocks) {
            std::visit(*this, b.content);
        }
        keep_ = outer;
    }

    std::string take() { return std::move(out_); }

  private:
    void row(const Table& t, const Row& r, bool header, const std::vector<int>& widths) {
        std::string props = "<w:cantSplit/>";
        if (r.look == RowLook::Signing) {
            props += "<w:trHeight w:val=\"567\" w:hRule=\"atLeast\"/>";
        }
        if (header) {
            props += "<w:tblHeader/>";
        }
        out_ += "<w:tr><w:trPr>" + props + "</w:trPr>";
        std::size_t column = 0;
        for (const Cell& c : r.cells) {
            const auto span = static_cast<std::size_t>(std::max(c.span, 1));
            int width = 0;
            for (std::size_t k = column; k < column + span && k < widths.size(); ++k) {
                width += widths[k];
            }
            column += span;
            cell(t, r, c, width);
        }
        out_ += "</w:tr>";
    }

    void cell(const Table& t, const Row& r, const Cell& c, int width) {
        const bool head = c.look == CellLook::Header;
        std::string props = "<w:tcW w:w=\"" + std::to_string(width) + "\" w:type=\"dxa\"/>";
        if (c.span > 1) {
            props += "<w:gridSpan w:val=\"" + std::to_string(c.span) + "\"/>";
        }
        const bool titleBlock = t.kind == TableKind::TitleBlock;
        if (head && !titleBlock) {
            props += "<w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"" +
                     std::string(kHeaderShade) + "\"/>";
        } else if (r.look == RowLook::Governing) {
            props += "<w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"" +
                     std::string(kGoverningShade) + "\"/>";
        }
        if (c.look == CellLook::Name || c.look == CellLook::Number) {
            props += "<w:noWrap/>";
        }
        props += titleBlock ? "<w:vAlign w:val=\"center\"/>" : "<w:vAlign w:val=\"top\"/>";
        Look look{head || r.look == RowLook::Governing, {}, 0};
        if (c.look == CellLook::Note) {
            look.colour = kNoteColour;
            look.size = kNoteSize;
        }
        // A cell's text starts at the left whatever the template's 正文 says: justified, a
        // narrow column's words would be spread across it.
        const Align align = head || c.look == CellLook::Centre ? Align::Centre
                            : c.look == CellLook::Number       ? Align::End
                                                               : Align::Left;
        out_ += "<w:tc><w:tcPr>" + props + "</w:tcPr>" +
                paragraph({ids_.cell, align, keep_}, runs(c.text, look)) + "</w:tc>";
    }

    const StyleIds& ids_;
    std::string out_;
    bool keep_ = false;  // inside a group kept on one page
    int figures_ = 0;
};

// A style element: its type, id, names, what it is based on and its properties.
std::string styleXml(std::string_view type, std::string_view id, std::string_view name,
                     std::string_view rest) {
    return "<w:style w:type=\"" + std::string(type) + "\" w:styleId=\"" + std::string(id) +
           "\"><w:name w:val=\"" + std::string(name) + "\"/>" + std::string(rest) + "</w:style>";
}

std::string field(std::string_view instruction, std::string_view cached) {
    return "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText "
           "xml:space=\"preserve\"> " +
           std::string(instruction) +
           " </w:instrText></w:r><w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:t>" +
           std::string(cached) + "</w:t></w:r><w:r><w:fldChar w:fldCharType=\"end\"/></w:r>";
}

constexpr std::string_view kDeclaration =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

}  // namespace

const std::vector<Style>& bookStyles() {
    static const std::vector<Style> kStyles = [] {
        const std::string heading = std::string(kHeadingFonts);
        const std::string text = std::string(kTextFonts);
        return std::vector<Style>{
            {"Title",
             {"Title", "标题"},
             styleXml("paragraph", "Title", "Title",
                      "<w:basedOn w:val=\"Normal\"/><w:next w:val=\"Normal\"/><w:qFormat/>"
                      "<w:pPr><w:keepNext/><w:spacing w:before=\"120\" w:after=\"120\"/>"
                      "<w:jc w:val=\"center\"/><w:outlineLvl w:val=\"9\"/></w:pPr><w:rPr>" +
                          heading +
                          "<w:b/><w:bCs/><w:spacing w:val=\"20\"/><w:sz w:val=\"36\"/>"
                          "<w:szCs w:val=\"36\"/></w:rPr>")},
            {"Heading1",
             {"heading 1", "标题 1"},
             styleXml("paragraph", "Heading1", "heading 1",
                      "<w:basedOn w:val=\"Normal\"/><w:next w:val=\"Normal\"/><w:uiPriority "
                      "w:val=\"9\"/><w:qFormat/><w:pPr><w:keepNext/><w:keepLines/><w:pBdr>"
                      "<w:bottom w:val=\"single\" w:sz=\"12\" w:space=\"1\" w:color=\"222222\"/>"
                      "</w:pBdr><w:spacing w:before=\"340\" w:after=\"170\"/><w:outlineLvl "
                      "w:val=\"0\"/></w:pPr><w:rPr>" +
                          heading +
                          "<w:b/><w:bCs/><w:sz w:val=\"26\"/><w:szCs w:val=\"26\"/></w:rPr>")},
            {"Heading2",
             {"heading 2", "标题 2"},
             styleXml("paragraph", "Heading2", "heading 2",
                      "<w:basedOn w:val=\"Normal\"/><w:next w:val=\"Normal\"/><w:uiPriority "
                      "w:val=\"9\"/><w:qFormat/><w:pPr><w:keepNext/><w:keepLines/><w:pBdr>"
                      "<w:bottom w:val=\"single\" w:sz=\"6\" w:space=\"1\" w:color=\"222222\"/>"
                      "</w:pBdr><w:spacing w:before=\"280\" w:after=\"120\"/><w:outlineLvl "
                      "w:val=\"1\"/></w:pPr><w:rPr>" +
                          heading +
                          "<w:b/><w:bCs/><w:sz w:val=\"22\"/><w:szCs w:val=\"22\"/></w:rPr>")},
            {"TableGrid",
             {"Table Grid", "网格型"},
             styleXml("table", "TableGrid", "Table Grid",
                      "<w:basedOn w:val=\"TableNormal\"/><w:uiPriority w:val=\"59\"/><w:pPr>"
                      "<w:spacing w:after=\"0\" w:line=\"240\" w:lineRule=\"auto\"/></w:pPr>"
                      "<w:tblPr>" +
                          borders("tblBorders") + "</w:tblPr>")},
            {"BookTableText",
             {"Book Table Text", "计算书表格文字"},
             styleXml("paragraph", "BookTableText", "Book Table Text",
                      "<w:basedOn w:val=\"Normal\"/><w:qFormat/><w:pPr><w:spacing "
                      "w:before=\"0\" w:after=\"0\" w:line=\"260\" w:lineRule=\"auto\"/>"
                      "<w:ind w:firstLine=\"0\" w:firstLineChars=\"0\"/><w:jc w:val=\"left\"/>"
                      "</w:pPr><w:rPr>" +
                          text + "<w:sz w:val=\"" + std::to_string(kCellSize) +
                          "\"/><w:szCs w:val=\"" + std::to_string(kCellSize) + "\"/></w:rPr>")},
        };
    }();
    return kStyles;
}

std::string stylesXml() {
    std::string out = std::string(kDeclaration) + "<w:styles" + std::string(kNamespaces) +
                      "><w:docDefaults><w:rPrDefault><w:rPr>" + std::string(kTextFonts) +
                      "<w:kern w:val=\"2\"/><w:sz w:val=\"21\"/><w:szCs w:val=\"21\"/><w:lang "
                      "w:val=\"en-US\" w:eastAsia=\"zh-CN\" w:bidi=\"ar-SA\"/></w:rPr>"
                      "</w:rPrDefault><w:pPrDefault><w:pPr><w:spacing w:after=\"60\" "
                      "w:line=\"300\" w:lineRule=\"auto\"/><w:jc w:val=\"both\"/></w:pPr>"
                      "</w:pPrDefault></w:docDefaults>";
    out += styleXml("paragraph\" w:default=\"1", "Normal", "Normal",
                    "<w:qFormat/><w:pPr><w:widowControl/></w:pPr>");
    out += styleXml("character\" w:default=\"1", "DefaultParagraphFont", "Default Paragraph Font",
                    "<w:uiPriority w:val=\"1\"/><w:semiHidden/><w:unhideWhenUsed/>");
    out += styleXml("table\" w:default=\"1", "TableNormal", "Normal Table",
                    "<w:uiPriority w:val=\"99\"/><w:semiHidden/><w:unhideWhenUsed/><w:tblPr>"
                    "<w:tblInd w:w=\"0\" w:type=\"dxa\"/><w:tblCellMar><w:top w:w=\"0\" "
                    "w:type=\"dxa\"/><w:left w:w=\"108\" w:type=\"dxa\"/><w:bottom w:w=\"0\" "
                    "w:type=\"dxa\"/><w:right w:w=\"108\" w:type=\"dxa\"/></w:tblCellMar>"
                    "</w:tblPr>");
    for (const Style& s : bookStyles()) {
        out += s.xml;
    }
    return out + "</w:styles>";
}

std::string fontTableXml() {
    // Each face with its English name and character set, so Word and WPS find SimSun and
    // SimHei on a system whose font names are English, and LibreOffice a substitute.
    struct Face {
        std::string_view name, alt, charset, family, pitch;
    };
    constexpr Face kFaces[] = {{"宋体", "SimSun", "86", "auto", "variable"},
                               {"黑体", "SimHei", "86", "modern", "fixed"},
                               {"Times New Roman", "", "00", "roman", "variable"}};
    std::string out = std::string(kDeclaration) + "<w:fonts" + std::string(kNamespaces) + ">";
    for (const Face& f : kFaces) {
        out += "<w:font w:name=\"" + std::string(f.name) + "\">";
        if (!f.alt.empty()) {
            out += "<w:altName w:val=\"" + std::string(f.alt) + "\"/>";
        }
        out += "<w:charset w:val=\"" + std::string(f.charset) + "\"/><w:family w:val=\"" +
               std::string(f.family) + "\"/><w:pitch w:val=\"" + std::string(f.pitch) +
               "\"/></w:font>";
    }
    return out + "</w:fonts>";
}

std::string settingsXml() {
    return std::string(kDeclaration) + "<w:settings" + std::string(kNamespaces) +
           "><w:defaultTabStop w:val=\"420\"/><w:characterSpacingControl "
           "w:val=\"compressPunctuation\"/><w:compat><w:compatSetting "
           "w:name=\"compatibilityMode\" w:uri=\"http://schemas.microsoft.com/office/word\" "
           "w:val=\"15\"/></w:compat></w:settings>";
}

Parts render(const Document& d, const StyleIds& ids) {
    Writer w(ids);
    for (const Block& b : d.blocks) {
        std::visit(w, b.content);
    }
    Parts parts;
    parts.body = w.take();
    parts.header = std::string(kDeclaration) + "<w:hdr" + std::string(kNamespaces) +
                   "><w:p><w:pPr><w:pBdr><w:bottom w:val=\"single\" w:sz=\"4\" w:space=\"1\" "
                   "w:color=\"333333\"/></w:pBdr><w:jc w:val=\"center\"/></w:pPr>" +
                   runs(Runs(d.pageHead), {false, kNoteColour, kNoteSize}) + "</w:p></w:hdr>";
    const std::string look = "<w:rPr><w:sz w:val=\"" + std::to_string(kNoteSize) +
                             "\"/><w:szCs w:val=\"" + std::to_string(kNoteSize) + "\"/></w:rPr>";
    const auto words = [&](std::string_view t) {
        return "<w:r>" + look + "<w:t xml:space=\"preserve\">" + std::string(t) + "</w:t></w:r>";
    };
    parts.footer = std::string(kDeclaration) + "<w:ftr" + std::string(kNamespaces) +
                   "><w:p><w:pPr><w:jc w:val=\"center\"/></w:pPr>" + words(kFootBefore) +
                   field("PAGE", "1") + words(kFootBetween) + field("NUMPAGES", "1") +
                   words(kFootAfter) + "</w:p></w:ftr>";
    return parts;
}

std::string sectionProperties(std::string_view headerId, std::string_view footerId) {
    // A4, 16 mm above and below, 15 mm either side, the head and foot 8 mm from the edge.
    return "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"" + xmlText(headerId) +
           "\"/><w:footerReference w:type=\"default\" r:id=\"" + xmlText(footerId) +
           "\"/><w:pgSz w:w=\"11906\" w:h=\"16838\"/><w:pgMar w:top=\"907\" w:right=\"850\" "
           "w:bottom=\"907\" w:left=\"850\" w:header=\"454\" w:footer=\"454\" w:gutter=\"0\"/>"
           "<w:cols w:space=\"425\"/><w:docGrid w:linePitch=\"312\"/></w:sectPr>";
}

std::string documentXml(std::string_view body, std::string_view sectionProperties) {
    return std::string(kDeclaration) + "<w:document" + std::string(kNamespaces) + "><w:body>" +
           std::string(body) + std::string(sectionProperties) + "</w:body></w:document>";
}

std::string xmlText(std::string_view text) {
    static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            switch (c) {
                case '&':
                    out += "&amp;";
                    break;
                case '<':
                    out += "&lt;";
                    break;
                case '>':
                    out += "&gt;";
                    break;
                case '"':
                    out += "&quot;";
                    break;
                case '\t':
                case '\n':
                case '\r':
                    out += ' ';
                    break;
                default:
                    if (c < 0x20 || c == 0x7F) {
                        out += kReplacement;
                    } else {
                        out += static_cast<char>(c);
                    }
            }
            ++i;
            continue;
        }
        const std::size_t length = utf8SequenceLength(text.substr(i));
        if (length == 0) {
            out += kReplacement;
            ++i;
            continue;
        }
        const std::string_view sequence = text.substr(i, length);
        // U+FFFE and U+FFFF are not characters XML allows; C1 controls are, but mean nothing in
        // a book.
        const bool nonCharacter = sequence == "\xEF\xBF\xBE" || sequence == "\xEF\xBF\xBF";
        const bool c1 = length == 2 && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0;
        out += nonCharacter || c1 ? kReplacement : sequence;
        i += length;
    }
    return out;
}

}  // namespace kelnor::design::wordml
