#pragma once

// Text that is already HTML, kept apart by type from plain text. A Markup is made only from
// markup written in this program's source (a string literal with the _html suffix, checked at
// compile time) and from plain text, which is escaped on the way in. So a user's label can
// never reach the page unescaped, and markup is never escaped a second time.

#include <cstddef>
#include <string>
#include <string_view>

namespace kelnor::design {

class Markup {
  public:
    // Markup as written in the source: only a string literal converts, at compile time.
    class Source {
      public:
        consteval explicit Source(const char* html) : html_(html) {}
        constexpr std::string_view html() const { return html_; }

      private:
        std::string_view html_;
    };

    Markup() = default;
    Markup(Source source) : html_(source.html()) {}

    // Plain text, escaped.
    static Markup text(std::string_view plain);

    // Plain text as a quoted string of a style sheet: "某水库坝顶超高计算书". Every ASCII
    // character but letters, digits and the space is written as a CSS escape, so the text can
    // neither end the string nor the style element it stands in.
    static Markup cssString(std::string_view plain);

    const std::string& html() const { return html_; }
    bool empty() const { return html_.empty(); }

    Markup& operator+=(const Markup& other) {
        html_ += other.html_;
        return *this;
    }
    Markup& operator+=(std::string_view plain);

  private:
    std::string html_;
};

// Markup and plain text joined: the plain text is escaped.
Markup operator+(Markup a, const Markup& b);
Markup operator+(Markup a, std::string_view plain);
Markup operator+(std::string_view plain, const Markup& b);

// `plain` escaped for HTML, appended to `out`.
void appendEscapedHtml(std::string& out, std::string_view plain);

namespace markup_literals {

// "<sup>"_html: markup written here.
consteval Markup::Source operator""_html(const char* html, std::size_t) {
    return Markup::Source(html);
}

}  // namespace markup_literals

}  // namespace kelnor::design
