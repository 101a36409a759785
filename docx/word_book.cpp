#include "kelnor/docx/word_book.h"

#include <cstdio>
#include <vector>

#include "kelnor/design/wordml.h"
#include "kelnor/text/text.h"
#include "kelnor/zip/zip.h"
#include "package.h"

namespace kelnor::docx {

namespace package {

using design::wordml::xmlText;

std::string relationship(std::string_view id, std::string_view type, std::string_view target) {
    return "<Relationship Id=\"" + xmlText(id) + "\" Type=\"" + std::string(type) + "\" Target=\"" +
           xmlText(target) + "\"/>";
}

std::string override(std::string_view part, std::string_view type) {
    return "<Override PartName=\"/" + xmlText(part) + "\" ContentType=\"" + std::string(type) +
           "\"/>";
}

namespace {

// A date the book carries, as a W3C time at midnight; empty where `date` is not YYYY-MM-DD.
std::string w3cDate(std::string_view date) {
    const bool digits = date.size() == 10 && date[4] == '-' && date[7] == '-';
    for (std::size_t i = 0; digits && i < date.size(); ++i) {
        if (i != 4 && i != 7 && (date[i] < '0' || date[i] > '9')) {
            return {};
        }
    }
    return digits ? std::string(date) + "T00:00:00Z" : std::string();
}

}  // namespace

std::string coreXml(const Properties& p) {
    std::string out =
        std::string(kDeclaration) +
        "<cp:coreProperties "
        "xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
        "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" xmlns:dcterms=\"http://purl.org/dc/terms/\" "
        "xmlns:dcmitype=\"http://purl.org/dc/dcmitype/\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><dc:title>" +
        xmlText(p.title) + "</dc:title><dc:creator>" + xmlText(p.author) +
        "</dc:creator><cp:lastModifiedBy>" + xmlText(p.author) + "</cp:lastModifiedBy>";
    const std::string when = w3cDate(p.date);
    if (!when.empty()) {
        out += "<dcterms:created xsi:type=\"dcterms:W3CDTF\">" + when +
               "</dcterms:created><dcterms:modified xsi:type=\"dcterms:W3CDTF\">" + when +
               "</dcterms:modified>";
    }
    return out + "</cp:coreProperties>";
}

std::string appXml(const Properties& p) {
    // AppVersion is two numbers, the second of four digits: 1.0 is "1.0000".
    int major = 0;
    int minor = 0;
    std::sscanf(p.version.c_str(), "%d.%d", &major, &minor);
    char version[32];
    std::snprintf(version, sizeof version, "%d.%04d", major, minor);
    return std::string(kDeclaration) +
           "<Properties "
           "xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties\" "
           "xmlns:vt=\"http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes\">"
           "<Application>" +
           xmlText(p.program + " " + p.version) + "</Application><AppVersion>" + version +
           "</AppVersion></Properties>";
}

}  // namespace package

std::string_view programName() {
    return "Kelnor 土石坝风浪爬高与坝顶超高计算";
}

std::string_view programVersion() {
    return KELNOR_VERSION;
}

Properties propertiesOf(const design::doc::Document& book, const design::TitleBlock& title) {
    return {book.pageHead, title.by, title.date, std::string(programName()),
            std::string(programVersion())};
}

std::vector<Field> templateFields(const design::TitleBlock& title) {
    return {
        {{"工程名称", "project"}, title.project},
        {{"设计阶段", "stage"}, title.stage},
        {{"计算", "by"}, title.by},
        {{"校核", "checked_by"}, title.checkedBy},
        {{"审查", "reviewed_by"}, title.reviewedBy},
        {{"日期", "date"}, title.date},
        {{"计算软件", "software"}, std::string(programName())},
        {{"软件版本", "version"}, std::string(programVersion())},
    };
}

std::string wordBook(const design::doc::Document& book, const Properties& properties) {
    namespace wordml = design::wordml;
    using namespace package;
    const wordml::Parts parts = wordml::render(book);
    const std::string contentTypes =
        std::string(kDeclaration) +
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" "
        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>" +
        override("word/document.xml", kDocumentType) + override("word/styles.xml", kStylesType) +
        override("word/settings.xml", kSettingsType) +
        override("word/fontTable.xml", kFontTableType) + override("word/header1.xml", kHeaderType) +
        override("word/footer1.xml", kFooterType) + override("docProps/core.xml", kCoreType) +
        override("docProps/app.xml", kAppType) + "</Types>";
    const std::string relsOpen =
        std::string(kDeclaration) +
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    const std::string packageRels =
        relsOpen + relationship("rId1", kOfficeDocumentRel, "word/document.xml") +
        relationship("rId2", kCoreRel, "docProps/core.xml") +
        relationship("rId3", kAppRel, "docProps/app.xml") + "</Relationships>";
    const std::string documentRels = relsOpen + relationship("rId1", kStylesRel, "styles.xml") +
                                     relationship("rId2", kSettingsRel, "settings.xml") +
                                     relationship("rId3", kFontTableRel, "fontTable.xml") +
                                     relationship("rId4", kHeaderRel, "header1.xml") +
                                     relationship("rId5", kFooterRel, "footer1.xml") +
                                     "</Relationships>";
    return zip::write({
        {"[Content_Types].xml", contentTypes},
        {"_rels/.rels", packageRels},
        {"docProps/core.xml", coreXml(properties)},
        {"docProps/app.xml", appXml(properties)},
        {"word/document.xml",
         wordml::documentXml(parts.body, wordml::sectionProperties("rId4", "rId5"))},
        {"word/_rels/document.xml.rels", documentRels},
        {"word/styles.xml", wordml::stylesXml()},
        {"word/settings.xml", wordml::settingsXml()},
        {"word/fontTable.xml", wordml::fontTableXml()},
        {"word/header1.xml", parts.header},
        {"word/footer1.xml", parts.footer},
    });
}

bool isWordName(std::string_view path) {
    return endsWithNoCase(path, ".docx");
}

}  // namespace kelnor::docx
