#include "markup.h"

#include "kelnor/design/book.h"

namespace kelnor::design {

using namespace markup_literals;

Markup Markup::text(std::string_view plain) {
    Markup m;
    m += plain;
    return m;
}

Markup& Markup::operator+=(std::string_view plain) {
    html_ += escapeHtml(plain);
    return *this;
}

Markup operator+(Markup a, const Markup& b) {
    a += b;
    return a;
}

Markup operator+(Markup a, std::string_view plain) {
    a += plain;
    return a;
}

Markup operator+(std::string_view plain, const Markup& b) {
    return Markup::text(plain) + b;
}

Markup sup(std::string_view plain) {
    return "<sup>"_html + plain + "</sup>"_html;
}

Markup sub(std::string_view plain) {
    return "<sub>"_html + plain + "</sub>"_html;
}

std::string escapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
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
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

}  // namespace kelnor::design
