#pragma once

// Reading the XML parts of a template without trusting them, and filling the placeholders
// {{name}} in their text. Word, WPS and LibreOffice write the parts as plain XML: UTF-8, no
// document type declaration, every element closed in order. A part that is not is refused
// rather than guessed at, since the book would be written into it.

#include <cstddef>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kelnor/docx/word_book.h"

namespace kelnor::docx::xml {

// A part that is not XML as Word writes it.
class Malformed : public std::exception {
  public:
    const char* what() const noexcept override { return "malformed XML part"; }
};

enum class Kind {
    Text,   // character data between tags, its references as written
    CData,  // a CDATA section, whole
    Start,  // <w:p ...>
    End,    // </w:p>
    Empty,  // <w:br/>
    Other,  // the XML declaration, a processing instruction or a comment
};

struct Token {
    Kind kind = Kind::Other;
    std::size_t begin = 0;  // the token's bytes in the part
    std::size_t end = 0;
    std::string_view name;  // an element's name as written, prefix and all: "w:p"
};

// The tokens of a part in order. Each is checked as it is read: names, each attribute once with
// a quoted value without '<', references that name a character XML allows, no control
// characters, no "]]>" in text, end tags that close the element open, comments without "--",
// instructions that name their target, the XML declaration (version 1.x, UTF-8) first or not
// at all, one root element with nothing but blanks, comments and instructions around it. A
// document type declaration is refused: no package part may have one, and its entities would
// change what the text says.
class Reader {
  public:
    explicit Reader(std::string_view xml);

    // The next token; false at the end of the part. Raises Malformed.
    bool next(Token& token);
    // The elements open after the token last read: a start tag counts itself.
    std::size_t depth() const { return open_.size(); }

  private:
    Token tag(std::size_t from);

    std::string_view xml_;
    std::size_t at_ = 0;
    std::size_t start_ = 0;  // past the byte order mark: where the declaration may stand
    std::vector<std::string_view> open_;
    bool rootSeen_ = false;
};

// The raw value of the attribute `name` of the start or empty tag `tag` (as a Reader gave it),
// its references undecoded; nullopt where the tag has none of that name.
std::optional<std::string_view> attribute(std::string_view tag, std::string_view name);

// The character data `raw` with its references replaced by the characters they stand for.
// Raises Malformed for a reference that names no character XML allows.
std::string decode(std::string_view raw);

// The decoded value of the attribute `name` of `tag`; empty where it has none.
std::string attributeText(std::string_view tag, std::string_view name);

}  // namespace kelnor::docx::xml

namespace kelnor::docx {

// The WordprocessingML part `partXml` (the document, a head, a foot, the footnotes) with every
// placeholder {{name}} that one of `fields` knows by one of its names (blanks inside the braces
// and the case of ASCII letters aside) replaced by that field's value. A placeholder is found in
// the text of a paragraph as Word shows it, however its runs split it: the value goes where the
// placeholder starts, in that run's look, and the rest of it is taken out of the runs it was
// in. A paragraph in a text box is one of its own, apart from the paragraph the box stands in.
// Only the text of the runs so changed is written anew; every other byte stays as it was.
// Placeholders no field knows stay as they are and are added to `unknown` as written, each
// once. Raises xml::Malformed.
std::string fillPlaceholders(std::string_view partXml, const std::vector<Field>& fields,
                             std::vector<std::string>& unknown);

}  // namespace kelnor::docx
