#pragma once

// The parts every Word book's package has beside its document: the content types, the
// relationships and the document's properties. Shared by the book of its own and the book in a
// template.

#include <string>
#include <string_view>

#include "kelnor/docx/word_book.h"

namespace kelnor::docx::package {

inline constexpr std::string_view kDeclaration =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

// Content types.
inline constexpr std::string_view kDocumentType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";
inline constexpr std::string_view kTemplateType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml";
inline constexpr std::string_view kStylesType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml";
inline constexpr std::string_view kSettingsType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml";
inline constexpr std::string_view kFontTableType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.fontTable+xml";
inline constexpr std::string_view kHeaderType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.header+xml";
inline constexpr std::string_view kFooterType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.footer+xml";
inline constexpr std::string_view kCoreType =
    "application/vnd.openxmlformats-package.core-properties+xml";
inline constexpr std::string_view kAppType =
    "application/vnd.openxmlformats-officedocument.extended-properties+xml";

// Relationship types.
inline constexpr std::string_view kOfficeDocumentRel =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";
inline constexpr std::string_view kCoreRel =
    "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties";
inline constexpr std::string_view kAppRel =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/extended-properties";
inline constexpr std::string_view kStylesRel =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles";
inline constexpr std::string_view kSettingsRel =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/settings";
inline constexpr std::string_view kFontTableRel =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/fontTable";
inline constexpr std::string_view kHeaderRel =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/header";
inline constexpr std::string_view kFooterRel =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/footer";

// One <Relationship/> element.
std::string relationship(std::string_view id, std::string_view type, std::string_view target);
// One <Override/> element of [Content_Types].xml.
std::string override(std::string_view part, std::string_view type);

// docProps/core.xml: the title, the author and, where the date is one, the time it was made.
std::string coreXml(const Properties& p);
// docProps/app.xml: the program and its version.
std::string appXml(const Properties& p);

}  // namespace kelnor::docx::package
