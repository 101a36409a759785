// The book in WordprocessingML: what Word and WPS need that LibreOffice forgives (every cell's
// width on a fixed grid, fonts named without a theme, page numbers as complex fields, headings
// with outline levels, sub- and superscripts as run properties), typed text escaped with what
// XML forbids replaced, and the sketch drawn as shapes.

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "condition_cells.h"
#include "kelnor/design/book.h"
#include "kelnor/design/wordml.h"

namespace kelnor::design {
namespace {

using namespace doc;

// Every element closed in the order opened, every attribute quoted, every "&" a reference;
// the error where it is not.
std::string wellFormed(const std::string& xml) {
    std::vector<std::string> open;
    std::size_t i = 0;
    while (i < xml.size()) {
        if (xml[i] == '&') {
            const std::size_t semi = xml.find(';', i);
            const std::string ref = xml.substr(i, semi == std::string::npos ? 8 : semi - i + 1);
            if (!std::regex_match(ref, std::regex("&(amp|lt|gt|quot|apos|#[0-9]+);"))) {
                return "a bare & at " + std::to_string(i);
            }
        }
        if (xml[i] != '<') {
            ++i;
            continue;
        }
        const std::size_t end = xml.find('>', i);
        if (end == std::string::npos) {
            return "a tag without its end";
        }
        const std::string tag = xml.substr(i + 1, end - i - 1);
        i = end + 1;
        if (tag.starts_with('?')) {
            continue;
        }
        if (tag.starts_with('/')) {
            if (open.empty() || open.back() != tag.substr(1)) {
                return "</" + tag.substr(1) + "> closes " +
                       (open.empty() ? "nothing" : open.back());
            }
            open.pop_back();
        } else if (!tag.ends_with('/')) {
            open.push_back(tag.substr(0, tag.find(' ')));
        }
    }
    return open.empty() ? "" : "<" + open.back() + "> left open";
}

int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

TEST(WordText, EscapesAndReplacesWhatXmlForbids) {
    struct Case {
        std::string typed;
        std::string written;
    };
    const Case cases[] = {
        {"某水库 A&B <一期> \"x\"", "某水库 A&amp;B &lt;一期&gt; &quot;x&quot;"},
        {std::string("a\0b", 3),
         "a\xEF\xBF\xBD"
         "b"},
        {"bell\x07 esc\x1B del\x7F", "bell\xEF\xBF\xBD esc\xEF\xBF\xBD del\xEF\xBF\xBD"},
        {"tab\there\nline\r", "tab here line "},
        {"\xEF\xBF\xBE\xEF\xBF\xBF", "\xEF\xBF\xBD\xEF\xBF\xBD"},  // U+FFFE, U+FFFF
        {"\xC2\x85", "\xEF\xBF\xBD"},                              // NEL, a C1 control
        {"cut \xE6\xB0", "cut \xEF\xBF\xBD\xEF\xBF\xBD"},          // a cut-off sequence
        {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},                  // an overlong '/'
        {"𝛽 ½ —", "𝛽 ½ —"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(wordml::xmlText(c.typed), c.written) << c.typed;
    }
}

Document sample() {
    Document d;
    d.pageHead = "某水库<扩建>坝顶超高计算书";
    d << Heading{1, "某水库坝顶超高计算书"} << Heading{2, "3 成果汇总", true}
      << Paragraph{"Tm = 4.438·hm" + sup("0.5") + "，h" + sub("2%"), Tone::MarkedFailure};
    Table t{TableKind::Plain, {2, 1, 1}, {}};
    t.rows.push_back(
        {{{"工况", CellLook::Header}, {"hm", CellLook::Header}, {"控制", CellLook::Header}}});
    t.rows.push_back(
        {{{"设计洪水位", CellLook::Name}, {"0.543", CellLook::Number}, {"★", CellLook::Centre}},
         RowLook::Governing});
    t.rows.push_back({{{"正常蓄水位", CellLook::Name}, {"0.528", CellLook::Number}, {""}}});
    d << std::move(t) << Heading{3, "4.1 正常蓄水位"}
      << List{Tone::Warning, "警告：", {"鹤地公式适用于 D < 7.5 km"}};
    Table block{TableKind::TitleBlock, {1, 2, 1, 2}, {}, 0};
    block.rows.push_back({{{"工程名称", CellLook::Header}, {"某水库", CellLook::Text, 3}}});
    block.rows.push_back(
        {{{"计算", CellLook::Header}, {""}, {"校核", CellLook::Header}, {""}}, RowLook::Signing});
    d << std::move(block);
    return d;
}

TEST(WordBody, EveryTableOnAFixedGridWithEachCellsWidth) {
    const std::string body = wordml::render(sample()).body;
    ASSERT_EQ(wellFormed("<w:body>" + body + "</w:body>"), "");
    const std::regex table("<w:tbl>[\\s\\S]*?</w:tbl>");
    int tables = 0;
    for (std::sregex_iterator t(body.begin(), body.end(), table), end; t != end; ++t, ++tables) {
        const std::string xml = t->str();
        EXPECT_NE(xml.find("<w:tblLayout w:type=\"fixed\"/>"), std::string::npos);
        EXPECT_NE(
            xml.find("<w:tblW w:w=\"" + std::to_string(wordml::kTextWidth) + "\" w:type=\"dxa\"/>"),
            std::string::npos);
        // The grid adds up to the text width, and each row's cells to the grid.
        int grid = 0;
        const std::regex column("<w:gridCol w:w=\"(\\d+)\"/>");
        for (std::sregex_iterator c(xml.begin(), xml.end(), column); c != end; ++c) {
            grid += std::stoi((*c)[1]);
        }
        EXPECT_EQ(grid, wordml::kTextWidth);
        const std::regex row("<w:tr>[\\s\\S]*?</w:tr>");
        for (std::sregex_iterator r(xml.begin(), xml.end(), row); r != end; ++r) {
            const std::string rowXml = r->str();
            EXPECT_NE(rowXml.find("<w:cantSplit/>"), std::string::npos);
            EXPECT_EQ(count(rowXml, "<w:tc>"), count(rowXml, "w:type=\"dxa\"/>")) << rowXml;
            int widths = 0;
            const std::regex width("<w:tcW w:w=\"(\\d+)\"");
            for (std::sregex_iterator w(rowXml.begin(), rowXml.end(), width); w != end; ++w) {
                widths += std::stoi((*w)[1]);
            }
            EXPECT_EQ(widths, wordml::kTextWidth) << rowXml;
        }
    }
    EXPECT_EQ(tables, 2);
    // The header row repeats on each page; the title block has none.
    EXPECT_EQ(count(body, "<w:tblHeader/>"), 1);
    EXPECT_NE(body.find("<w:gridSpan w:val=\"3\"/>"), std::string::npos);
    EXPECT_NE(body.find("<w:trHeight w:val=\"567\" w:hRule=\"atLeast\"/>"), std::string::npos);
    // Numbers to the right, the governing row in bold.
    EXPECT_TRUE(
        std::regex_search(body, std::regex("<w:jc w:val=\"right\"/></w:pPr><w:r><w:rPr><w:b/>"
                                           "<w:bCs/></w:rPr><w:t>0.543")));
}

TEST(WordBody, HeadingsScriptsAndTonesAsWordKnowsThem) {
    wordml::StyleIds ids;
    ids.heading1 = "1";  // a Chinese Word's heading 1
    const std::string body = wordml::render(sample(), ids).body;
    EXPECT_NE(body.find("<w:pStyle w:val=\"Title\"/>"), std::string::npos);
    EXPECT_NE(body.find("<w:pStyle w:val=\"1\"/><w:keepNext/><w:pageBreakBefore/>"),
              std::string::npos);
    EXPECT_NE(body.find("<w:pStyle w:val=\"Heading2\"/>"), std::string::npos);
    EXPECT_EQ(body.find("Heading1"), std::string::npos);
    EXPECT_NE(body.find("<w:vertAlign w:val=\"superscript\"/></w:rPr><w:t>0.5<"),
              std::string::npos);
    EXPECT_NE(body.find("<w:vertAlign w:val=\"subscript\"/></w:rPr><w:t>2%<"), std::string::npos);
    EXPECT_NE(body.find("<w:b/><w:bCs/><w:color w:val=\"A00000\"/>"), std::string::npos);
    EXPECT_NE(body.find("D &lt; 7.5 km"), std::string::npos);
    // Look-alike characters are never used for the scripts.
    for (const char* lookalike : {"⁰", "⁵", "₂"}) {
        EXPECT_EQ(body.find(lookalike), std::string::npos) << lookalike;
    }
}

TEST(WordParts, FontsNamedHeadingsOutlinedPageFootInFields) {
    const std::string styles = wordml::stylesXml();
    EXPECT_EQ(wellFormed(styles), "");
    EXPECT_EQ(styles.find("Theme"), std::string::npos);
    EXPECT_EQ(styles.find("minorHAnsi"), std::string::npos);
    EXPECT_NE(styles.find("w:eastAsia=\"宋体\""), std::string::npos);
    const std::regex heading(
        "<w:style w:type=\"paragraph\" w:styleId=\"Heading(\\d)\"><w:name w:val=\"heading "
        "(\\d)\"/>[\\s\\S]*?<w:outlineLvl w:val=\"(\\d)\"/>[\\s\\S]*?w:eastAsia=\"黑体\"");
    int headings = 0;
    for (std::sregex_iterator h(styles.begin(), styles.end(), heading), end; h != end; ++h) {
        EXPECT_EQ((*h)[1], (*h)[2]);
        EXPECT_EQ(std::stoi((*h)[3]), std::stoi((*h)[1]) - 1);
        ++headings;
    }
    EXPECT_EQ(headings, 2);

    const wordml::Parts parts = wordml::render(sample());
    EXPECT_EQ(wellFormed(parts.header), "");
    EXPECT_EQ(wellFormed(parts.footer), "");
    EXPECT_NE(parts.header.find("某水库&lt;扩建&gt;坝顶超高计算书"), std::string::npos);
    // begin, instruction, separate, the cached number, end: for PAGE, then NUMPAGES.
    const std::regex field(
        "<w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText xml:space=\"preserve\"> "
        "(PAGE|NUMPAGES) </w:instrText></w:r><w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>"
        "<w:r><w:t>1</w:t></w:r><w:r><w:fldChar w:fldCharType=\"end\"/>");
    std::vector<std::string> fields;
    for (std::sregex_iterator f(parts.footer.begin(), parts.footer.end(), field), end; f != end;
         ++f) {
        fields.push_back((*f)[1]);
    }
    EXPECT_EQ(fields, (std::vector<std::string>{"PAGE", "NUMPAGES"}));
    EXPECT_TRUE(std::regex_search(parts.footer, std::regex("第 [\\s\\S]*页 共 [\\s\\S]* 页")));
    const std::string section = wordml::sectionProperties("rId4", "rId5");
    EXPECT_NE(section.find("<w:pgSz w:w=\"11906\" w:h=\"16838\"/>"), std::string::npos);
    EXPECT_EQ(wellFormed(wordml::documentXml(parts.body, section)), "");
}

TEST(WordBook, TheSketchIsDrawnAsShapesWithItsTexts) {
    const Evaluation ev = evaluateRows({testing_support::conditionCells({{"case", "设计洪水位"},
                                                                         {"level", "101.5"},
                                                                         {"depth", "31.5"},
                                                                         {"fetch", "3.2"},
                                                                         {"wind", "21"},
                                                                         {"slope", "3"},
                                                                         {"roughness", "0.8"},
                                                                         {"grade", "2"}},
                                                                        {}, 1)});
    BookOptions o;
    o.picture = true;
    const std::string body = wordml::render(bookDocument(ev, o)).body;
    ASSERT_EQ(wellFormed("<w:body>" + body + "</w:body>"), "");
    EXPECT_EQ(count(body, "<w:drawing>"), 1);
    EXPECT_NE(body.find("wordprocessingGroup"), std::string::npos);
    // Lines and marks as shapes, every label a text box with its words.
    EXPECT_GE(count(body, "<a:custGeom>"), 6);
    for (const char* label : {"101.50", "设计洪水位", "1:3"}) {
        EXPECT_NE(body.find(">" + std::string(label) + "</w:t>"), std::string::npos) << label;
    }
    // No shape lies outside the drawing's frame.
    const std::regex extent("<wp:extent cx=\"(\\d+)\" cy=\"(\\d+)\"/>");
    std::smatch frame;
    ASSERT_TRUE(std::regex_search(body, frame, extent));
    const long long cx = std::stoll(frame[1]);
    const long long cy = std::stoll(frame[2]);
    const std::regex shape(
        "<a:off x=\"(-?\\d+)\" y=\"(-?\\d+)\"/><a:ext cx=\"(\\d+)\" cy=\"(\\d+)\"/>");
    int shapes = 0;
    for (std::sregex_iterator s(body.begin(), body.end(), shape), end; s != end; ++s, ++shapes) {
        EXPECT_GE(std::stoll((*s)[1]), 0);
        EXPECT_GE(std::stoll((*s)[2]), 0);
        EXPECT_LE(std::stoll((*s)[1]) + std::stoll((*s)[3]), cx);
        EXPECT_LE(std::stoll((*s)[2]) + std::stoll((*s)[4]), cy);
    }
    EXPECT_GT(shapes, 10);
}

}  // namespace
}  // namespace kelnor::design
