#pragma once

// The calculation book's document as one self-contained HTML page: UTF-8, the book's style
// sheet inline, no script and no external resource, laid out for A4 paper with the page's head
// and foot; the sketch as inline SVG.

#include <string>

#include "kelnor/design/document.h"

namespace kelnor::design {

std::string htmlBook(const doc::Document& document);

}  // namespace kelnor::design
