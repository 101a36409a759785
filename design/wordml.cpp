#include "kelnor/design/wordml.h"

#include <cmath>
#include <numeric>

#include "drawingml.h"
#include "kelnor/text/text.h"

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

// The parts are written by appending to one string: a book has thousands of runs, and a
// temporary string for each would cost more than the writing.

// `before`, the number, `after`: an attribute's value in its element.
void appendNumber(std::string& out, std::string_view before, int n, std::string_view after) {
    out.append(before).append(std::to_string(n)).append(after);
}

void runProperties(std::string& out, const Run& r, const Look& look) {
    const bool bold = look.bold || r.emphasis != Emphasis::None;
    if (!bold && look.colour.empty() && look.size == 0 && r.script == Script::Normal) {
        return;
    }
    out += "<w:rPr>";
    if (bold) {
        out += "<w:b/><w:bCs/>";
    }
    if (!look.colour.empty()) {
        out.append("<w:color w:val=\"").append(look.colour).append("\"/>");
    }
    if (look.size > 0) {
        appendNumber(out, "<w:sz w:val=\"", look.size, "\"/>");
        appendNumber(out, "<w:szCs w:val=\"", look.size, "\"/>");
    }
    if (r.script == Script::Super) {
        out += "<w:vertAlign w:val=\"superscript\"/>";
    } else if (r.script == Script::Sub) {
        out += "<w:vertAlign w:val=\"subscript\"/>";
    }
    out += "</w:rPr>";
}

void runs(std::string& out, const Runs& text, const Look& look) {
    for (const Run& r : text.runs()) {
        out += "<w:r>";
        runProperties(out, r, look);
        // Spaces at either end are kept only where the text says so.
        const bool spaced = r.text.front() == ' ' || r.text.back() == ' ';
        out += spaced ? "<w:t xml:space=\"preserve\">" : "<w:t>";
        appendXmlText(out, r.text);
        out += "</w:t></w:r>";
    }
}

// Inherit takes the paragraph style's (the template's 正文 may justify its text).
enum class Align { Inherit, Centre, End };

struct ParagraphLook {
    std::string_view style;  // a paragraph style id; empty: the default (正文)
    Align align = Align::Inherit;
    bool keepNext = false;
    bool pageBreakBefore = false;
    int hanging = 0;  // twips: a list item's bullet hangs out by this much
    // Single line spacing and no first-line indent, whatever the template's 正文 sets: a
    // drawing under a fixed line height is cut off, and a centred line with an indent is not
    // centred.
    bool free = false;
};

// A paragraph's start and its properties, where it has any; its runs follow, then "</w:p>".
void openParagraph(std::string& out, const ParagraphLook& p) {
    const ParagraphLook plain{};
    const bool any = !p.style.empty() || p.keepNext || p.pageBreakBefore || p.hanging != 0 ||
                     p.align != plain.align || p.free;
    out += any ? "<w:p><w:pPr>" : "<w:p>";
    if (!any) {
        return;
    }
    if (!p.style.empty()) {
        out += "<w:pStyle w:val=\"";
        appendXmlText(out, p.style);
        out += "\"/>";
    }
    if (p.keepNext) {
        out += "<w:keepNext/>";
    }
    if (p.pageBreakBefore) {
        out += "<w:pageBreakBefore/>";
    }
    if (p.free) {
        out +=
            "<w:spacing w:line=\"240\" w:lineRule=\"auto\"/>"
            "<w:ind w:firstLine=\"0\" w:firstLineChars=\"0\"/>";
    }
    if (p.hanging > 0) {
        appendNumber(out, "<w:ind w:left=\"", p.hanging, "\"");
        appendNumber(out, " w:hanging=\"", p.hanging, "\"/>");
    }
    if (p.align == Align::Centre) {
        out += "<w:jc w:val=\"center\"/>";
    } else if (p.align == Align::End) {
        out += "<w:jc w:val=\"right\"/>";
    }
    out += "</w:pPr>";
}

void paragraph(std::string& out, const ParagraphLook& p, const Runs& text, const Look& look) {
    openParagraph(out, p);
    runs(out, text, look);
    out += "</w:p>";
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
    // A book of a few conditions writes some hundred kilobytes.
    explicit Writer(const StyleIds& ids) : ids_(ids) { out_.reserve(std::size_t{256} << 10); }

    void operator()(const Heading& h) {
        const std::string_view style = h.level <= 1   ? ids_.title
                                       : h.level == 2 ? ids_.heading1
                                                      : ids_.heading2;
        paragraph(out_, {style, h.level <= 1 ? Align::Centre : Align::Inherit, true, h.newPage},
                  h.text, {});
    }
    void operator()(const Paragraph& p) {
        const bool subtitle = p.tone == Tone::Subtitle;
        paragraph(
            out_,
            {{}, subtitle ? Align::Centre : Align::Inherit, keep_ || subtitle, false, 0, subtitle},
            p.text, toneLook(p.tone));
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
        paragraph(out_, {{}, Align::Inherit, keep_}, {}, {});
    }
    void operator()(const List& l) {
        const Look look = toneLook(l.tone);
        if (!l.title.empty()) {
            paragraph(out_, {{}, Align::Inherit, true}, l.title, look);
        }
        for (std::size_t i = 0; i < l.items.size(); ++i) {
            paragraph(out_, {{}, Align::Inherit, keep_ && i + 1 < l.items.size(), false, 360},
                      Runs("•\u3000") + l.items[i], look);
        }
    }
    void operator()(const Figure& f) {
        openParagraph(out_, {{}, Align::Centre, true, false, 0, true});
        out_ +=
            "<w:r>" + drawingml::figure(f.drawing, f.width, f.height, ++figures_) + "</w:r></w:p>";
        paragraph(out_, {{}, Align::Centre, keep_, false, 0, true}, f.caption,
                  {false, kNoteColour});
    }
    void operator()(const Group& g) {
        // A group kept on one page: each of its paragraphs kept with the next, but for the
        // last, which lets what follows the group go on to another page.
        const bool outer = keep_;
        for (std::size_t i = 0; i < g.blocks.size(); ++i) {
            keep_ = outer || (g.kind == GroupKind::Keep && i + 1 < g.blocks.size());
            std::visit(*this, g.blocks[i].content);
        }
        keep_ = outer;
    }

    std::string take() { return std::move(out_); }

  private:
    void row(const Table& t, const Row& r, bool header, const std::vector<int>& widths) {
        out_ += "<w:tr><w:trPr><w:cantSplit/>";
        if (r.look == RowLook::Signing) {
            out_ += "<w:trHeight w:val=\"567\" w:hRule=\"atLeast\"/>";
        }
        if (header) {
            out_ += "<w:tblHeader/>";
        }
        out_ += "</w:trPr>";
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
        out_.append("<w:tc><w:tcPr><w:tcW w:w=\"").append(std::to_string(width));
        out_ += "\" w:type=\"dxa\"/>";
        if (c.span > 1) {
            out_.append("<w:gridSpan w:val=\"").append(std::to_string(c.span)).append("\"/>");
        }
        const bool titleBlock = t.kind == TableKind::TitleBlock;
        if (head && !titleBlock) {
            out_.append("<w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"")
                .append(kHeaderShade)
                .append("\"/>");
        } else if (r.look == RowLook::Governing) {
            out_.append("<w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"")
                .append(kGoverningShade)
                .append("\"/>");
        }
        if (c.look == CellLook::Name || c.look == CellLook::Number) {
            out_ += "<w:noWrap/>";
        }
        if (titleBlock) {
            out_ += "<w:vAlign w:val=\"center\"/>";
        }
        out_ += "</w:tcPr>";
        Look look{head || r.look == RowLook::Governing, {}, 0};
        if (c.look == CellLook::Note) {
            look.colour = kNoteColour;
            look.size = kNoteSize;
        }
        // Text starts at the left by the cells' own style (BookTableText), whatever the
        // template's 正文 says: justified, a narrow column's words would be spread across it.
        const Align align = head || c.look == CellLook::Centre ? Align::Centre
                            : c.look == CellLook::Number       ? Align::End
                                                               : Align::Inherit;
        paragraph(out_, {ids_.cell, align, keep_}, c.text, look);
        out_ += "</w:tc>";
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
                      "<w:ind w:firstLine=\"0\" w:firstLineChars=\"0\"/><w:jc w:val=\"center\"/>"
                      "<w:outlineLvl w:val=\"9\"/></w:pPr><w:rPr>" +
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
                   "w:color=\"333333\"/></w:pBdr><w:jc w:val=\"center\"/></w:pPr>";
    runs(parts.header, Runs(d.pageHead), {false, kNoteColour, kNoteSize});
    parts.header += "</w:p></w:hdr>";
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
    std::string out;
    out.reserve(body.size() + sectionProperties.size() + 1024);
    out.append(kDeclaration).append("<w:document").append(kNamespaces).append("><w:body>");
    out.append(body).append(sectionProperties).append("</w:body></w:document>");
    return out;
}

std::string xmlText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    appendXmlText(out, text);
    return out;
}

void appendXmlText(std::string& out, std::string_view text) {
    static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            const std::string_view reference = c == '&'   ? "&amp;"
                                               : c == '<' ? "&lt;"
                                               : c == '>' ? "&gt;"
                                               : c == '"' ? "&quot;"
                                                          : "";
            if (!reference.empty()) {
                out += reference;
            } else if (c == '\t' || c == '\n' || c == '\r') {
                out += ' ';
            } else if (c < 0x20 || c == 0x7F) {
                out += kReplacement;
            } else {
                out += static_cast<char>(c);
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
}

}  // namespace kelnor::design::wordml
