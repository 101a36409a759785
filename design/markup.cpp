#include "markup.h"

#include "kelnor/design/book.h"

namespace kelnor::design {

using namespace markup_literals;

Markup Markup::text(std::string_view plain) {
    Markup m;
    m += plain;
    return m;
}

Markup Markup::cssString(std::string_view plain) {
    static constexpr char kHex[] = "0123456789abcdef";
    Markup m;
    m.html_ = '"';
    for (const char c : plain) {
        const auto byte = static_cast<unsigned char>(c);
        const bool asIs = byte >= 0x80 || c == ' ' || (c >= '0' && c <= '9') ||
                          (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (asIs) {
            m.html_ += c;
        } else {
            // "\3c " : the escape ends at the space, which the style sheet drops.
            m.html_ += '\\';
            m.html_ += kHex[byte >> 4];
            m.html_ += kHex[byte & 0xF];
            m.html_ += ' ';
        }
    }
    m.html_ += '"';
    return m;
}

Markup& Markup::operator+=(std::string_view plain) {
    appendEscapedHtml(html_, plain);
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

std::string escapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    appendEscapedHtml(out, text);
    return out;
}

void appendEscapedHtml(std::string& out, std::string_view text) {
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
}

}  // namespace kelnor::design
