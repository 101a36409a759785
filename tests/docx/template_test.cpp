#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "kelnor/docx/word_book.h"
#include "kelnor/zip/zip.h"
#include "package.h"
#include "placeholders.h"
#include "run_program.h"
#include "test_files.h"

namespace {

using namespace kelnor;
using docx::Field;
using Kind = docx::TemplateErrorKind;
using namespace std::string_literals;

const std::vector<Field> kFields =
    docx::templateFields({"某水库大坝", "初步设计", "张三", "李四", "王五", "2024-05-01"});

// `xml` with the placeholders of kFields filled, the others left as they are.
std::string filledXml(const std::string& xml) {
    std::vector<std::string> unknown;
    return docx::fillPlaceholders(xml, kFields, unknown);
}

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
const std::string kW = " xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";
const std::string kR =
    " xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";

std::string documentOf(const std::string& body) {
    return kDeclaration + "<w:document" + kW + kR + "><w:body>" + body + "</w:body></w:document>";
}

// The text Word shows, each paragraph's end as '|', read with nothing but string search.
std::string shown(std::string_view xml) {
    std::string out;
    for (std::size_t at = 0;;) {
        const std::size_t t = xml.find("<w:t", at);
        const std::size_t p = xml.find("</w:p>", at);
        if (p < t) {
            out += '|';
            at = p + 6;
            continue;
        }
        if (t == std::string_view::npos) {
            return out;
        }
        const std::size_t open = xml.find('>', t);
        at = open + 1;
        if ((xml[t + 4] != '>' && xml[t + 4] != ' ') || xml[open - 1] == '/') {
            continue;  // w:tbl, w:tc, w:txbxContent, or an empty run text
        }
        const std::size_t close = xml.find("</w:t>", open);
        std::string text(xml.substr(open + 1, close - open - 1));
        for (const auto& [entity, c] :
             {std::pair{"&lt;"s, "<"s}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}}) {
            for (std::size_t e = 0; (e = text.find(entity, e)) != std::string::npos; e += 1) {
                text.replace(e, entity.size(), c);
            }
        }
        out += text;
        at = close + 6;
    }
}

std::string run(const std::string& text, const std::string& look = {}) {
    return "<w:r>" + look + "<w:t>" + text + "</w:t></w:r>";
}
std::string para(const std::string& content) {
    return "<w:p>" + content + "</w:p>";
}
const std::string kBold = "<w:rPr><w:b/><w:sz w:val=\"28\"/></w:rPr>";

std::string textBox(const std::string& paragraph) {
    const std::string content = "<w:txbxContent>" + paragraph + "</w:txbxContent>";
    return "<w:r><mc:AlternateContent><mc:Choice Requires=\"wps\"><w:drawing><wp:anchor>"
           "<a:graphic><a:graphicData><wps:wsp><wps:txbx>" +
           content +
           "</wps:txbx></wps:wsp></a:graphicData></a:graphic></wp:anchor></w:drawing></mc:Choice>"
           "<mc:Fallback><w:pict><v:shape><v:textbox>" +
           content + "</v:textbox></v:shape></w:pict></mc:Fallback></mc:AlternateContent></w:r>";
}

struct FillCase {
    std::string what;
    std::string body;
    std::string shows;
    std::vector<std::string> unknown = {};
};

TEST(Placeholders, AreFilledWhereverWordPutsThem) {
    const FillCase cases[] = {
        {"one run", para(run("工程：{{工程名称}}")), "工程：某水库大坝|"},
        {"two runs, looks between", para(run("{{工程") + run("名称}}", kBold)), "某水库大坝|"},
        {"three runs", para(run("{{") + run("工程名", kBold) + run("称}}")), "某水库大坝|"},
        {"braces split", para(run("计算 {") + run("{计") + run("算}") + run("}。")),
         "计算 张三。|"},
        {"proofing marks and a bookmark",
         para(run("{{") +
              "<w:proofErr w:type=\"spellStart\"/><w:bookmarkStart w:id=\"0\" "
              "w:name=\"p\"/>" +
              run("project") + "<w:bookmarkEnd w:id=\"0\"/><w:proofErr w:type=\"spellEnd\"/>" +
              run("}}")),
         "某水库大坝|"},
        {"a table cell",
         "<w:tbl><w:tr><w:tc><w:p>" + run("校核：{{校核}}") + "</w:p></w:tc></w:tr></w:tbl>",
         "校核：李四|"},
        {"a text box inside a paragraph, and around it",
         para(run("{{工程") + textBox(para(run("{{计") + run("算}}"))) + run("名称}}")),
         "某水库大坝张三|张三||"},
        {"English names, blanks and case",
         para(run("{{ Project }}/{{　计算　}}/{{DATE}}/{{checked_by}}")),
         "某水库大坝/张三/2024-05-01/李四|"},
        {"adjacent", para(run("{{计算}}{{校核}}") + run("{{审查}}")), "张三李四王五|"},
        {"references in the text", para(run("&#123;&#123;计算}} &amp; {{校核}}")), "张三 & 李四|"},
        {"lone braces stay", para(run("a {{ b")) + para(run("c }} d {{}} {x}") + run("{{")),
         "a {{ b|c }} d {{}} {x}{{|"},
        {"braces around a placeholder", para(run("{{{计算}}}")), "{张三}|"},
        {"unknown kept, named once",
         para(run("{{专业}} {{专业}} {{ 计算 }}")) + para(run("{{专") + run("业}}{{ x }}")),
         "{{专业}} {{专业}} 张三|{{专业}}{{ x }}|",
         {"{{专业}}", "{{ x }}"}},
        {"not across paragraphs", para(run("{{工程")) + para(run("名称}}")), "{{工程|名称}}|"},
    };
    for (const FillCase& c : cases) {
        std::vector<std::string> unknown;
        const std::string out = docx::fillPlaceholders(documentOf(c.body), kFields, unknown);
        EXPECT_EQ(shown(out), c.shows) << c.what;
        EXPECT_EQ(unknown, c.unknown) << c.what;
    }
}

TEST(Placeholders, OnlyTheRunsOfAPlaceholderAreWrittenAnew) {
    const std::string before = para("<w:pPr><w:jc w:val=\"center\"/></w:pPr>" + run("封面") +
                                    run("{{工程", kBold) + run("名称}}附件") + run("{{专业}}"));
    EXPECT_EQ(filledXml(documentOf(before)),
              documentOf(para("<w:pPr><w:jc w:val=\"center\"/></w:pPr>" + run("封面") + "<w:r>" +
                              kBold + "<w:t xml:space=\"preserve\">某水库大坝</w:t></w:r><w:r>" +
                              "<w:t xml:space=\"preserve\">附件</w:t></w:r>" + run("{{专业}}"))));
    // Without a placeholder a field knows the part stays byte for byte.
    const std::string unknownOnly =
        "\xEF\xBB\xBF" + documentOf(para(run("{{专") + run("业}}", kBold))) + "\n<!-- the end -->";
    EXPECT_EQ(filledXml(unknownOnly), unknownOnly);
}

TEST(Placeholders, ValuesAreEscapedForXml) {
    std::vector<std::string> unknown;
    const std::string out = docx::fillPlaceholders(documentOf(para(run("{{a}}"))),
                                                   {{{"a"}, "A&B <坝> \"x\"\x01"}}, unknown);
    EXPECT_NE(out.find(">A&amp;B &lt;坝&gt; &quot;x&quot;\xEF\xBF\xBD</w:t>"), std::string::npos)
        << out;
}

TEST(Placeholders, ThousandsInOneDocument) {
    std::string body;
    for (int i = 0; i < 2500; ++i) {
        body += para(run("第" + std::to_string(i) + "页 {{工程") + run("名称}}", kBold));
    }
    std::string many;
    for (int i = 0; i < 2500; ++i) {
        many += run("{{计") + run("算}}");
    }
    const std::string out = filledXml(documentOf(body + para(many)));
    const auto count = [&out](const std::string& what) {
        std::size_t n = 0;
        for (std::size_t at = 0; (at = out.find(what, at)) != std::string::npos;
             at += what.size()) {
            ++n;
        }
        return n;
    };
    EXPECT_EQ(count("某水库大坝"), 2500u);
    EXPECT_EQ(count("张三"), 2500u);
    EXPECT_EQ(count("{{"), 0u);
}

TEST(Placeholders, APartThatIsNotXmlAsWordWritesItIsRefused) {
    const std::string bad[] = {
        "",
        "<w:document>",
        "<w:document><w:p></w:document>",
        "<w:document><w:t>a</w:p></w:document>",
        "<w:document><w:t>a & b</w:t></w:document>",
        "<w:document><w:t>&nbsp;</w:t></w:document>",
        "<w:document><w:t>&#0;</w:t></w:document>",
        "<w:document><w:t>&#xD800;</w:t></w:document>",
        "<w:document w:a=b/>",
        "<w:document w:a=\"<\"/>",
        "<w:document w:a=\"1\"w:b=\"2\"/>",
        "<!DOCTYPE d [<!ENTITY e \"{{计算}}\">]><w:document>&e;</w:document>",
        "<a/><b/>",
        "text<a/>",
        "<a><!-- open </a>",
        "<1a/>",
        // What may stand around the root, each not XML.
        "<?>?><w:document></w:document>",
        "<?\?><a/>",
        "<?a?b?><a/>",
        "<? a?><a/>",
        "<!-- a -- b --><a/>",
        "<!-- a ---><a/>",
        "<a/><?xml version=\"1.0\"?>",
        " <?xml version=\"1.0\"?><a/>",
        "<!-- --><?xml version=\"1.0\"?><a/>",
        "<?XML version=\"1.0\"?><a/>",
        "<?xml?><a/>",
        "<?xml encoding=\"UTF-8\"?><a/>",
        "<?xml version=\"2.0\"?><a/>",
        "<?xml version=\"1.0\" standalone=\"yes\" encoding=\"UTF-8\"?><a/>",
        "<?xml version=\"1.0\" standalone=\"maybe\"?><a/>",
        "<?xml version=\"1.0\"encoding=\"UTF-8\"?><a/>",
        "<?xml version=\"1.0\" x=\"1\"?><a/>",
        // Filled with UTF-8, a part in another encoding would read as neither.
        "<?xml version=\"1.0\" encoding=\"GB2312\"?><a/>",
        // And inside it.
        "<a>]]></a>",
        "<a b=\"1\" b=\"2\"/>",
        "<a>\x01</a>",
        "<a b=\"\x1b\"/>",
    };
    for (const std::string& xml : bad) {
        EXPECT_THROW(filledXml(xml), docx::xml::Malformed) << xml;
    }
}

TEST(Placeholders, WhatWritersPutAroundTheRootIsKept) {
    const std::string sound[] = {
        "<?xml version='1.0' encoding='utf-8'?>\r\n<a/>",
        "\xEF\xBB\xBF<?xml version = \"1.1\"\tstandalone=\"no\" ?><a/>",
        "<?mso-application progid=\"Word.Document\"?><!----><a/><?b?>\n<!-- - -->",
        "<!-->--><a><?c d?e>?></a>",
        "<a b=\"]]>\">] ]&gt;<![CDATA[]]]></a>",
    };
    for (const std::string& xml : sound) {
        EXPECT_EQ(filledXml(xml), xml);
    }
}

// --- Templates -------------------------------------------------------------------------------

std::string relationship(const std::string& id, const std::string& type,
                         const std::string& target) {
    return "<Relationship Id=\"" + id + "\" Type=\"" + type + "\" Target=\"" + target + "\"/>";
}
const std::string kRels =
    kDeclaration +
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
const std::string kTypes =
    kDeclaration +
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" "
    "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Default Extension=\"png\" ContentType=\"image/png\"/>";
const std::string kLandscape =
    "<w:pgSz w:w=\"16838\" w:h=\"11906\" w:orient=\"landscape\"/><w:pgMar w:top=\"1440\" "
    "w:right=\"1440\" w:bottom=\"1440\" w:left=\"1440\" w:header=\"720\" w:footer=\"720\" "
    "w:gutter=\"0\"/>";
const std::string kLogo = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR logo"s;

// An institute's template as Chinese Word writes one: 正文 is style "a", 标题 1 is "1".
struct Template {
    std::string body = para(run("{{工程名称}}")) + para(run("计算：{{计算}}"));
    std::string section = "<w:sectPr w:rsidR=\"00A1\">" + kLandscape + "</w:sectPr>";
    std::string mainType = std::string(docx::package::kDocumentType);
    bool styles = true;
    std::vector<zip::Entry> more;  // parts after the others
    std::string overrides;         // theirs
    std::string relationships;     // the document's to them

    std::string bytes() const {
        std::vector<zip::Entry> e = {
            {"[Content_Types].xml",
             kTypes + "<Override PartName=\"/word/document.xml\" ContentType=\"" + mainType +
                 "\"/><Override PartName=\"/word/styles.xml\" ContentType=\"" +
                 std::string(docx::package::kStylesType) +
                 "\"/><Override PartName=\"/docProps/core.xml\" ContentType=\"" +
                 std::string(docx::package::kCoreType) + "\"/>" + overrides + "</Types>"},
            {"_rels/.rels",
             kRels +
                 relationship("rId1", std::string(docx::package::kOfficeDocumentRel),
                              "word/document.xml") +
                 relationship("rId2", std::string(docx::package::kCoreRel), "docProps/core.xml") +
                 "</Relationships>"},
            {"docProps/core.xml", kDeclaration + "<cp:coreProperties xmlns:cp=\"urn:c\" "
                                                 "xmlns:dc=\"urn:d\"><dc:title>院标模板</dc:title>"
                                                 "</cp:coreProperties>"},
            {"word/document.xml", documentOf(body + section)},
            {"word/_rels/document.xml.rels",
             kRels + relationship("rId1", std::string(docx::package::kStylesRel), "styles.xml") +
                 relationship(
                     "rId2",
                     "http://schemas.openxmlformats.org/officeDocument/2006/relationships/image",
                     "media/logo.png") +
                 relationships + "</Relationships>"},
            {"word/media/logo.png", kLogo},
        };
        if (styles) {
            e.push_back(
                {"word/styles.xml",
                 kDeclaration + "<w:styles" + kW +
                     "><w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"a\"><w:name "
                     "w:val=\"Normal\"/></w:style><w:style w:type=\"paragraph\" w:styleId=\"1\">"
                     "<w:name w:val=\"heading 1\"/><w:basedOn w:val=\"a\"/></w:style><w:style "
                     "w:type=\"paragraph\" w:styleId=\"2\"><w:name w:val=\"标题 2\"/></w:style>"
                     "<w:style w:type=\"table\" w:default=\"1\" w:styleId=\"a1\"><w:name "
                     "w:val=\"Normal Table\"/></w:style></w:styles>"});
        }
        e.insert(e.end(), more.begin(), more.end());
        return zip::write(e);
    }
};

design::doc::Document sampleBook() {
    using namespace design::doc;
    Document d;
    d.title = "坝顶超高计算书";
    d.pageHead = "某水库大坝 坝顶超高计算书";
    d << Heading{1, "坝顶超高计算书"} << Heading{2, "1 基本资料"}
      << Paragraph{"原文中的 {{工程名称}} 不是占位符。"} << Heading{3, "工况一"}
      << Table{TableKind::Plain,
               {1, 1},
               {Row{{Cell{"项目", CellLook::Header}, Cell{"数值", CellLook::Header}}},
                Row{{Cell{"坝顶高程"}, Cell{"102.35", CellLook::Number}}}}};
    return d;
}

const docx::Properties kProperties{"坝顶超高计算书", "张三", "2024-05-01", "Kelnor", "1.0"};

struct Result {
    std::vector<std::string> names;
    std::map<std::string, std::string> parts;
    std::vector<std::string> unknown;
    const std::string& operator[](const std::string& name) const { return parts.at(name); }
    bool has(const std::string& name) const { return parts.contains(name); }
};

Result filled(const std::string& bytes, const std::string& name = "院标.docx") {
    const docx::TemplatedBook book =
        docx::wordBookInTemplate(bytes, name, sampleBook(), kProperties, kFields);
    Result r{{}, {}, book.unknown};
    for (zip::Entry& e : zip::read(book.bytes)) {
        r.names.push_back(e.name);
        r.parts.emplace(e.name, std::move(e.data));
    }
    return r;
}

// The final section's properties: the body's last child.
std::string finalSection(const std::string& document) {
    const std::size_t at = document.rfind("<w:sectPr");
    return document.substr(at, document.find("</w:body>") - at);
}

TEST(Template, TheBookFollowsTheCoverInItsOwnSectionWithTheTemplatesStyles) {
    const Result r = filled(Template().bytes());
    const std::string& document = r["word/document.xml"];
    // The section break is a paragraph of its own, empty.
    EXPECT_TRUE(shown(document).starts_with("某水库大坝|计算：张三||坝顶超高计算书|1 基本资料|"))
        << shown(document);
    EXPECT_NE(shown(document).find("原文中的 {{工程名称}} 不是占位符。"), std::string::npos);
    // The cover ends in a section break of its landscape page; the book's section has that
    // page too, and the book's head and foot first in it.
    const std::size_t sectionBreak =
        document.find("<w:sectPr w:rsidR=\"00A1\">" + kLandscape + "</w:sectPr></w:pPr></w:p>");
    ASSERT_NE(sectionBreak, std::string::npos) << document;
    EXPECT_LT(document.find("计算：张三"), sectionBreak);
    EXPECT_GT(document.find("坝顶超高计算书"), sectionBreak);
    const std::string section = finalSection(document);
    EXPECT_TRUE(
        section.starts_with("<w:sectPr w:rsidR=\"00A1\"><w:headerReference "
                            "w:type=\"default\" r:id=\"rIdKelnorHead\"/>"))
        << section;
    EXPECT_NE(section.find("<w:footerReference w:type=\"default\" r:id=\"rIdKelnorFoot\"/>"),
              std::string::npos);
    EXPECT_TRUE(section.ends_with(kLandscape + "</w:sectPr>"));
    // Headings in the template's 标题 1 and 标题 2, found by name.
    EXPECT_NE(document.find("<w:pStyle w:val=\"1\"/>"), std::string::npos);
    EXPECT_NE(document.find("<w:pStyle w:val=\"2\"/>"), std::string::npos);
    EXPECT_EQ(document.find("Heading"), std::string::npos);
    EXPECT_NE(document.find("<w:pStyle w:val=\"Title\"/>"), std::string::npos);
    // Every prefix the book's sketch may use is declared once on the root.
    const std::string root = document.substr(0, document.find("<w:body>"));
    for (const std::string prefix : {"w", "r", "wp", "a", "wpg", "wps"}) {
        EXPECT_NE(root.find(" xmlns:" + prefix + "=\"http"), std::string::npos) << prefix;
    }
    EXPECT_EQ(root.find(kW), root.rfind(kW));
}

TEST(Template, StylesTheTemplateLacksAreAddedOnItsNormal) {
    const Result r = filled(Template().bytes());
    const std::string& styles = r["word/styles.xml"];
    for (const std::string id : {"Title", "TableGrid", "BookTableText"}) {
        EXPECT_NE(styles.find("w:styleId=\"" + id + "\""), std::string::npos) << id;
    }
    for (const std::string id : {"Heading1", "Heading2"}) {
        EXPECT_EQ(styles.find("w:styleId=\"" + id + "\""), std::string::npos) << id;
    }
    EXPECT_TRUE(
        styles.starts_with(kDeclaration + "<w:styles" + kW +
                           "><w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"a\">"));
    const std::string added = styles.substr(styles.find("<w:style", styles.find("Normal Table")));
    EXPECT_EQ(added.find("\"Normal\""), std::string::npos);
    EXPECT_EQ(added.find("\"TableNormal\""), std::string::npos);
    EXPECT_NE(styles.find("w:styleId=\"Title\"><w:name w:val=\"Title\"/><w:basedOn w:val=\"a\"/>"
                          "<w:next w:val=\"a\"/>"),
              std::string::npos);
    EXPECT_NE(styles.find("<w:basedOn w:val=\"a1\"/>"), std::string::npos);
}

TEST(Template, TheBooksHeadAndFootArePartsOfTheirOwn) {
    const Result r = filled(Template().bytes());
    EXPECT_NE(r["word/header_book.xml"].find("某水库大坝 坝顶超高计算书"), std::string::npos);
    EXPECT_NE(r["word/footer_book.xml"].find("PAGE"), std::string::npos);
    const std::string& rels = r["word/_rels/document.xml.rels"];
    EXPECT_NE(rels.find("Id=\"rIdKelnorHead\" Type=\"" + std::string(docx::package::kHeaderRel) +
                        "\" Target=\"header_book.xml\""),
              std::string::npos);
    EXPECT_NE(rels.find("Target=\"footer_book.xml\""), std::string::npos);
    const std::string& types = r["[Content_Types].xml"];
    EXPECT_NE(types.find("/word/header_book.xml\" ContentType=\"" +
                         std::string(docx::package::kHeaderType)),
              std::string::npos);
    EXPECT_NE(types.find("/word/footer_book.xml"), std::string::npos);
    // The template's parts first, in their order, the image byte for byte; the new after.
    const std::vector<std::string> expected = {"[Content_Types].xml",
                                               "_rels/.rels",
                                               "docProps/core.xml",
                                               "word/document.xml",
                                               "word/_rels/document.xml.rels",
                                               "word/media/logo.png",
                                               "word/styles.xml",
                                               "word/header_book.xml",
                                               "word/footer_book.xml",
                                               "docProps/app.xml"};
    EXPECT_EQ(r.names, expected);
    EXPECT_EQ(r["word/media/logo.png"], kLogo);
}

// A .dotx opens as a new document, the book's properties in place of the template's.
TEST(Template, ADotxIsWrittenAsADocumentOfTheBooksProperties) {
    Template t;
    t.mainType = docx::package::kTemplateType;
    const Result r = filled(t.bytes(), "院标.dotx");
    const std::string& types = r["[Content_Types].xml"];
    EXPECT_NE(types.find("\"/word/document.xml\" ContentType=\"" +
                         std::string(docx::package::kDocumentType) + "\""),
              std::string::npos);
    EXPECT_EQ(types.find("template.main"), std::string::npos);
    EXPECT_NE(
        types.find("\"/docProps/app.xml\" ContentType=\"" + std::string(docx::package::kAppType)),
        std::string::npos);
    EXPECT_NE(r["docProps/core.xml"].find("<dc:title>坝顶超高计算书</dc:title>"),
              std::string::npos);
    EXPECT_EQ(r["docProps/core.xml"].find("院标模板"), std::string::npos);
    EXPECT_NE(r["docProps/app.xml"].find("Kelnor 1.0"), std::string::npos);
    EXPECT_NE(r["_rels/.rels"].find("Type=\"" + std::string(docx::package::kAppRel) +
                                    "\" Target=\"docProps/app.xml\""),
              std::string::npos);
}

TEST(Template, TheTemplatesHeadAndFootRunOnThroughTheBook) {
    Template t;
    t.section = "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"rId9\"/>" +
                "<w:footerReference w:type=\"default\" r:id=\"rId10\"/>"s + kLandscape +
                "</w:sectPr>";
    const std::string hdr = kDeclaration + "<w:hdr" + kW + ">" +
                            para(run("{{工程") + run("名称}} {{专业}}", kBold)) + "</w:hdr>";
    const std::string ftr =
        kDeclaration + "<w:ftr" + kW + ">" + para(run("日期：{{日期}}")) + "</w:ftr>";
    t.more = {{"word/header1.xml", hdr}, {"word/footer1.xml", ftr}};
    t.relationships = relationship("rId9", std::string(docx::package::kHeaderRel), "header1.xml") +
                      relationship("rId10", std::string(docx::package::kFooterRel), "footer1.xml");
    t.overrides = "<Override PartName=\"/word/header1.xml\" ContentType=\"" +
                  std::string(docx::package::kHeaderType) + "\"/>";
    const Result r = filled(t.bytes());
    EXPECT_EQ(shown(r["word/header1.xml"]), "某水库大坝 {{专业}}|");
    EXPECT_EQ(shown(r["word/footer1.xml"]), "日期：2024-05-01|");
    EXPECT_EQ(r.unknown, std::vector<std::string>{"{{专业}}"});
    const std::string& document = r["word/document.xml"];
    EXPECT_EQ(finalSection(document), t.section);
    const std::size_t pageBreak = document.find("<w:r><w:br w:type=\"page\"/></w:r></w:p>");
    ASSERT_NE(pageBreak, std::string::npos);
    EXPECT_LT(document.find("计算：张三"), pageBreak);
    EXPECT_GT(document.find("坝顶超高计算书"), pageBreak);
    EXPECT_FALSE(r.has("word/header_book.xml"));
    EXPECT_EQ(r["word/_rels/document.xml.rels"].find("Kelnor"), std::string::npos);
}

// LibreOffice writes a page without a head with its head and foot 0 from the edge, where the
// book's would be cut off in print; a cover may end in a continuous section break.
TEST(Template, TheBooksSectionStartsANewPageWithItsHeadOnThePaper) {
    Template t;
    const std::string margins =
        "<w:pgMar w:top=\"1134\" w:bottom=\"1134\" w:header=\"0\" "
        "w:footer=\"284\" w:left=\"1134\" w:right=\"1134\"/>";
    t.section = "<w:sectPr><w:type w:val=\"continuous\"/>" + margins + "</w:sectPr>";
    const std::string document = filled(t.bytes())["word/document.xml"];
    EXPECT_NE(document.find(t.section + "</w:pPr></w:p>"), std::string::npos);
    EXPECT_TRUE(finalSection(document).ends_with(
        "<w:type w:val=\"nextPage\"/><w:pgMar w:top=\"1134\" w:bottom=\"1134\" "
        "w:header=\"454\" w:footer=\"284\" w:left=\"1134\" w:right=\"1134\"/></w:sectPr>"))
        << finalSection(document);
}

TEST(Template, WithoutSectionOrStylesTheBooksOwnAreWritten) {
    Template t;
    t.section.clear();
    t.styles = false;
    const Result r = filled(t.bytes());
    const std::string& document = r["word/document.xml"];
    const std::string section = finalSection(document);
    EXPECT_TRUE(section.starts_with("<w:sectPr><w:headerReference"));
    EXPECT_NE(section.find("<w:pgSz w:w=\"11906\" w:h=\"16838\"/>"), std::string::npos);
    const std::size_t cover = document.find("</w:rPr><w:sectPr><w:pgSz w:w=\"11906\"");
    EXPECT_LT(cover, document.find("坝顶超高计算书"));
    EXPECT_NE(document.find("<w:pStyle w:val=\"Heading1\"/>"), std::string::npos);
    EXPECT_NE(r["word/styles.xml"].find("w:styleId=\"Heading1\""), std::string::npos);
    EXPECT_NE(r["word/_rels/document.xml.rels"].find("Target=\"styles.xml\""), std::string::npos);
}

TEST(Template, TheSameTemplateAndBookGiveTheSameBytes) {
    const std::string bytes = Template().bytes();
    const auto once = docx::wordBookInTemplate(bytes, "a.docx", sampleBook(), kProperties, kFields);
    const auto again =
        docx::wordBookInTemplate(bytes, "a.docx", sampleBook(), kProperties, kFields);
    EXPECT_EQ(once.bytes, again.bytes);
}

// A zip whose entry names were written in place of harmless ones of their length, as no zip
// writer of ours would.
std::string renamed(std::string zip, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = zip.find(from, at)) != std::string::npos;) {
        zip.replace(at, to.size(), to);
    }
    return zip;
}

// A flag bit set in every local and central header.
std::string withFlag(std::string zip, int bit) {
    for (const auto& [signature, offset] : {std::pair{"PK\3\4"s, 6}, {"PK\1\2"s, 8}}) {
        for (std::size_t at = 0; (at = zip.find(signature, at)) != std::string::npos; ++at) {
            zip[at + offset] = static_cast<char>(zip[at + offset] | (1 << bit));
        }
    }
    return zip;
}

TEST(Template, WhatCannotBeUsedIsRefusedWithItsReason) {
    const std::string good = Template().bytes();
    Template macros;
    macros.more = {{"word/vbaProject.bin", "VBA"}};
    Template macroType;
    macroType.mainType = "application/vnd.ms-word.document.macroEnabled.main+xml";
    Template badHeader;
    badHeader.more = {{"word/header2.xml", "<w:hdr><w:p></w:hdr>"}};
    Template badStyles;
    badStyles.styles = false;
    badStyles.more = {{"word/styles.xml", "<w:styles><w:style></w:styles>"}};
    Template badBody;
    badBody.body = para(run("a & b"));
    // The declaration broken as "<?>?xml ...?>", which a reader looking only for the next "?>"
    // would take for one instruction, writing the book into a document Word cannot open.
    std::vector<zip::Entry> badProlog = zip::read(good);
    for (zip::Entry& e : badProlog) {
        if (e.name == "word/document.xml") {
            e.data.insert(2, ">?");
        }
    }
    struct Refusal {
        std::string what, bytes, name;
        Kind kind;
        std::string entry;
    };
    const Refusal cases[] = {
        {".docm", good, "院标.docm", Kind::MacroEnabled, ""},
        {".dotm in capitals", good, "C:/模板/院标.DOTM", Kind::MacroEnabled, ""},
        {"a VBA project", macros.bytes(), "a.docx", Kind::MacroEnabled, "word/vbaProject.bin"},
        {"a macro-enabled type", macroType.bytes(), "a.docx", Kind::MacroEnabled,
         "[Content_Types].xml"},
        {"an old .doc", "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"s + std::string(600, 'x'), "a.doc",
         Kind::NotAZip, ""},
        {"an empty file", "", "a.docx", Kind::NotAZip, ""},
        {"a zip password", withFlag(good, 0), "a.docx", Kind::NotAZip, "[Content_Types].xml"},
        {"no document", zip::write({{"word/styles.xml", "<w:styles/>"}}), "a.docx", Kind::NotWord,
         ""},
        {"a name out of the package",
         renamed(zip::write({{"word/document.xml", "<w:document/>"}, {"xx/evil", "x"}}), "xx/evil",
                 "../evil"),
         "a.docx", Kind::UnsafeName, "../evil"},
        {"a zip bomb",
         zip::write({{"word/document.xml", "<w:document/>"}, {"z", std::string(100 << 20, '\0')}}),
         "a.docx", Kind::TooLarge, "z"},
        {"cut short", good.substr(0, good.size() / 2), "a.docx", Kind::Damaged, ""},
        {"a name twice",
         renamed(zip::write({{"word/document.xml", "<w:document/>"}, {"word/documenT.xmX", ""}}),
                 "word/documenT.xmX", "WORD/DOCUMENT.XML"),
         "a.docx", Kind::Damaged, ""},
        {"a damaged document", badBody.bytes(), "a.docx", Kind::Damaged, "word/document.xml"},
        {"a broken prolog", zip::write(badProlog), "a.docx", Kind::Damaged, "word/document.xml"},
        {"a damaged head", badHeader.bytes(), "a.docx", Kind::Damaged, "word/header2.xml"},
        {"damaged styles", badStyles.bytes(), "a.docx", Kind::Damaged, "word/styles.xml"},
    };
    for (const Refusal& c : cases) {
        try {
            docx::wordBookInTemplate(c.bytes, c.name, sampleBook(), kProperties, kFields);
            ADD_FAILURE() << c.what << ": taken";
        } catch (const docx::TemplateError& e) {
            EXPECT_EQ(e.kind(), c.kind) << c.what;
            if (c.kind != Kind::Damaged || !c.entry.empty()) {
                EXPECT_EQ(e.entry(), c.entry) << c.what;
            }
        }
    }
}

class Packages : public testing_support::TemporaryFolderTest {
  protected:
    // The XML parts of the package that Python's expat, namespaces and all, cannot parse, each
    // with why; a CRC that does not match, too.
    std::string malformedParts(const std::string& bytes) {
        std::ofstream(dir / "check.docx", std::ios::binary) << bytes;
        const auto o =
            testing_support::runProgram({"/usr/bin/python3", "-c",
                                         "import sys, zipfile, xml.dom.minidom\n"
                                         "z = zipfile.ZipFile(sys.argv[1])\n"
                                         "if z.testzip(): print('crc', z.testzip())\n"
                                         "for n in z.namelist():\n"
                                         "    if n.endswith(('.xml', '.rels')):\n"
                                         "        try: xml.dom.minidom.parseString(z.read(n))\n"
                                         "        except Exception as e: print(n, e)\n",
                                         (dir / "check.docx").string()},
                                        dir);
        return o.status == 0 ? o.out : "python3: " + o.err;
    }

    void SetUp() override {
        TemporaryFolderTest::SetUp();
        if (!std::filesystem::exists("/usr/bin/python3")) {
            GTEST_SKIP() << "no /usr/bin/python3";
        }
    }
};

TEST_F(Packages, ABookOfItsOwnHasEveryPartWellFormedAndTheSameBytes) {
    const std::string bytes = docx::wordBook(sampleBook(), kProperties);
    EXPECT_EQ(bytes, docx::wordBook(sampleBook(), kProperties));
    std::vector<std::string> names;
    for (const zip::Entry& e : zip::read(bytes)) {
        names.push_back(e.name);
    }
    for (const std::string name :
         {"[Content_Types].xml", "_rels/.rels", "docProps/core.xml", "docProps/app.xml",
          "word/document.xml", "word/_rels/document.xml.rels", "word/styles.xml",
          "word/settings.xml", "word/fontTable.xml", "word/header1.xml", "word/footer1.xml"}) {
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
    }
    EXPECT_EQ(malformedParts(bytes), "");
}

TEST_F(Packages, EveryPartOfABookInATemplateIsWellFormed) {
    Template heads;
    heads.section = "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"rId9\"/></w:sectPr>";
    heads.more = {{"word/header1.xml",
                   kDeclaration + "<w:hdr" + kW + ">" + para(run("{{计算}}")) + "</w:hdr>"}};
    Template bare;
    bare.section.clear();
    bare.styles = false;
    Template dotx;
    dotx.mainType = docx::package::kTemplateType;
    dotx.section = "<w:sectPr/>";
    for (const Template& t : {Template(), heads, bare, dotx}) {
        const docx::TemplatedBook book =
            docx::wordBookInTemplate(t.bytes(), "a.docx", sampleBook(), kProperties, kFields);
        EXPECT_EQ(malformedParts(book.bytes), "") << t.section;
    }
}

// A cover written by LibreOffice, which splits "{{工程名称}}" into a run for each of "{{",
// "工程", "名称" and "}}"; the book it gives must read back in LibreOffice.
TEST_F(Packages, ATemplateLibreOfficeWroteIsFilledAndReadsBack) {
#ifdef _WIN32
    // Under Wine "/usr/bin/soffice" is the Linux program on drive Z:, which Windows cannot run.
    GTEST_SKIP() << "LibreOffice is run on Linux only";
#endif
    if (!std::filesystem::exists("/usr/bin/soffice")) {
        GTEST_SKIP() << "no LibreOffice";
    }
    const std::string profile = "-env:UserInstallation=file://" + (dir / "profile").string();
    const auto convert = [&](const std::string& file, const std::string& to) {
        const auto o =
            testing_support::runProgram({"/usr/bin/soffice", profile, "--headless", "--convert-to",
                                         to, "--outdir", dir.string(), (dir / file).string()},
                                        dir);
        ASSERT_EQ(o.status, 0) << o.err;
    };
    for (const bool head : {true, false}) {
        const std::string headStyle = head ? "<style:header-style/>" : "";
        const std::string header =
            head ? "<style:header><text:p>{{工程名称}} 页眉</text:p></style:header>" : "";
        std::ofstream(dir / "cover.fodt", std::ios::binary)
            << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<office:document "
               "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
               "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
               "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
               "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" "
               "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
               "xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\" "
               "office:version=\"1.3\" "
               "office:mimetype=\"application/vnd.oasis.opendocument.text\">"
               "<office:automatic-styles><style:style style:name=\"T1\" style:family=\"text\">"
               "<style:text-properties fo:font-weight=\"bold\"/></style:style>"
               "<style:page-layout style:name=\"pm1\"><style:page-layout-properties "
               "fo:page-width=\"21cm\" fo:page-height=\"29.7cm\"/>"
            << headStyle
            << "</style:page-layout></office:automatic-styles><office:master-styles>"
               "<style:master-page style:name=\"Standard\" style:page-layout-name=\"pm1\">"
            << header
            << "</style:master-page></office:master-styles><office:body><office:text>"
               "<text:h text:outline-level=\"1\">封面</text:h>"
               "<text:p>工程：{{工程<text:span text:style-name=\"T1\">名称</text:span>}}</text:p>"
               "<text:p>计算：{{计算}}　专业：{{专业}}<draw:frame text:anchor-type=\"as-char\" "
               "svg:width=\"6cm\" svg:height=\"2cm\"><draw:text-box><text:p>校核：{{校核}}"
               "</text:p></draw:text-box></draw:frame></text:p></office:text></office:body>"
               "</office:document>";
        convert("cover.fodt", "docx");
        const docx::TemplatedBook book =
            docx::wordBookInTemplate(testing_support::slurp(dir / "cover.docx"), "cover.docx",
                                     sampleBook(), kProperties, kFields);
        EXPECT_EQ(book.unknown, std::vector<std::string>{"{{专业}}"});
        EXPECT_EQ(malformedParts(book.bytes), "");
        std::ofstream(dir / "book.docx", std::ios::binary) << book.bytes;
        convert("book.docx", "txt:Text (encoded):UTF8");
        const std::string text = testing_support::slurp(dir / "book.txt");
        for (const std::string words :
             {"封面", "工程：某水库大坝", "计算：张三", "坝顶超高计算书", "1 基本资料", "102.35",
              "原文中的 {{工程名称}} 不是占位符。"}) {
            EXPECT_NE(text.find(words), std::string::npos) << head << " " << words << "\n" << text;
        }
        bool headFilled = false;
        for (const zip::Entry& e : zip::read(book.bytes)) {
            headFilled = headFilled || (e.name == "word/header1.xml" &&
                                        shown(e.data).find("某水库大坝 页眉") != std::string::npos);
            // The text frame as a DrawingML text box and its VML copy for older readers.
            if (e.name == "word/document.xml") {
                EXPECT_NE(shown(e.data).find("校核：李四|校核：李四|"), std::string::npos)
                    << shown(e.data);
            }
        }
        EXPECT_EQ(headFilled, head);
    }
}

}  // namespace
