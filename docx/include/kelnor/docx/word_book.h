#pragma once

// The calculation book as a Word document (.docx): the book's document rendered to
// WordprocessingML (kelnor/design/wordml.h) and packed, on its own or after an institute's
// cover and sign-off pages taken from its template. The same book gives the same bytes on every
// system: the package has fixed time stamps and no random ids.

#include <cstddef>
#include <exception>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kelnor/design/crest.h"
#include "kelnor/design/document.h"

namespace kelnor::docx {

// The document's properties, as Word shows them under 文件 › 信息.
struct Properties {
    std::string title;    // the book's title
    std::string author;   // who computed it (计算)
    std::string date;     // YYYY-MM-DD, the book's date; empty or another form: none written
    std::string program;  // the program that wrote it, e.g. "Kelnor 坝顶超高计算"
    std::string version;  // its version, e.g. "1.0"
};

// The program's name and version as a book's properties and its template's {{计算软件}} and
// {{软件版本}} give them.
std::string_view programName();
std::string_view programVersion();

// The properties of `book` with the title block `title`: the book's title, who computed it as
// the author, the date, the program and its version.
Properties propertiesOf(const design::doc::Document& book, const design::TitleBlock& title);

// The book as a .docx of its own: A4 with the book's margins, its own styles, head and foot.
std::string wordBook(const design::doc::Document& book, const Properties& properties);

// A placeholder of a template and what fills it: {{工程名称}} by "工程名称" and "project".
struct Field {
    std::vector<std::string> names;
    std::string value;
};

// What fills a template's placeholders: the title block by its Chinese captions and English
// names ({{工程名称}} or {{project}}, {{设计阶段}}, {{计算}}, {{校核}}, {{审查}}, {{日期}}), the
// program ({{计算软件}}, {{software}}) and its version ({{软件版本}}, {{version}}).
std::vector<Field> templateFields(const design::TitleBlock& title);

// The most bytes a template file may hold: an institute's cover with its logo is a few hundred
// kilobytes.
inline constexpr std::size_t kTemplateLimit = std::size_t{64} << 20;

// Why a template cannot be used. It carries data only; each front end words it.
enum class TemplateErrorKind {
    MacroEnabled,  // a .docm or .dotm, or a package with macros (a VBA project)
    NotAZip,       // an old binary .doc, an encrypted document, or anything but a zip
    NotWord,       // a zip without word/document.xml
    UnsafeName,    // an entry whose name climbs out of the package
    TooLarge,      // a package that unpacks beyond sane sizes: a zip bomb
    Damaged,  // a zip that is cut short or corrupt, or a part that is not XML as Word writes it
};

class TemplateError : public std::exception {
  public:
    TemplateError(TemplateErrorKind kind, std::string entry = {})
        : kind_(kind), entry_(std::move(entry)) {}
    TemplateErrorKind kind() const noexcept { return kind_; }
    // The entry of the package at fault; may be empty.
    const std::string& entry() const noexcept { return entry_; }
    const char* what() const noexcept override { return "the template cannot be used"; }

  private:
    TemplateErrorKind kind_;
    std::string entry_;
};

struct TemplatedBook {
    std::string bytes;                 // the .docx
    std::vector<std::string> unknown;  // placeholders no field fills, each once, as written
};

// The template's content with its placeholders {{name}} filled wherever they stand (body,
// tables, text boxes, heads and feet, also when Word split one over several runs), then the
// book on a new page: in the template's styles where it defines the title, the headings and
// the table grid (by style id, or by their English or Chinese names), in the book's own
// otherwise; under the template's head and foot where its last section has them, the book's
// own otherwise. The template's page setup, images and numbering are kept. A .dotx is taken as
// well and written as a document. `fileName` is the template's name, used to refuse a
// macro-enabled one by its extension. Raises TemplateError; writes nothing.
TemplatedBook wordBookInTemplate(std::string_view templateBytes, std::string_view fileName,
                                 const design::doc::Document& book, const Properties& properties,
                                 const std::vector<Field>& fields);

// Whether `path` names a Word book: it ends in ".docx", in any case.
bool isWordName(std::string_view path);

}  // namespace kelnor::docx
