#include "html_book.h"

#include "book_css.h"
#include "markup.h"
#include "svg.h"

namespace kelnor::design {

namespace {

using namespace markup_literals;
using namespace doc;

// The page as it is written: markup from this source as it is, plain text escaped, both
// appended to one string (a book has thousands of cells; a string for each costs more than the
// writing).
class Page {
  public:
    Page() { out_.reserve(std::size_t{64} << 10); }

    Page& operator<<(Markup::Source markup) {
        out_.append(markup.html());
        return *this;
    }
    Page& operator<<(const Markup& markup) {
        out_.append(markup.html());
        return *this;
    }
    Page& operator<<(std::string_view plain) {
        appendEscapedHtml(out_, plain);
        return *this;
    }
    Page& operator<<(const std::string& plain) { return *this << std::string_view(plain); }
    Page& operator<<(const Runs& text) {
        for (const Run& r : text.runs()) {
            if (r.emphasis == Emphasis::Strong) {
                *this << "<b>"_html;
            } else if (r.emphasis == Emphasis::Marked) {
                *this << "<span class=\"mark\">"_html;
            }
            if (r.script == Script::Super) {
                *this << "<sup>"_html << r.text << "</sup>"_html;
            } else if (r.script == Script::Sub) {
                *this << "<sub>"_html << r.text << "</sub>"_html;
            } else {
                *this << r.text;
            }
            if (r.emphasis == Emphasis::Strong) {
                *this << "</b>"_html;
            } else if (r.emphasis == Emphasis::Marked) {
                *this << "</span>"_html;
            }
        }
        return *this;
    }

    std::string take() { return std::move(out_); }

  private:
    std::string out_;
};

// A paragraph's or a list's class attribute for its tone.
Markup::Source toneClass(Tone tone) {
    switch (tone) {
        case Tone::Subtitle:
            return " class=\"subtitle\""_html;
        case Tone::Marked:
            return " class=\"mark\""_html;
        case Tone::Warning:
            return " class=\"warn\""_html;
        case Tone::Failure:
            return " class=\"fail\""_html;
        case Tone::MarkedFailure:
            return " class=\"mark fail\""_html;
        case Tone::Plain:
            break;
    }
    return ""_html;
}

Markup::Source cellTag(CellLook look) {
    switch (look) {
        case CellLook::Header:
            return "<th"_html;
        case CellLook::Number:
            return "<td class=\"num\""_html;
        case CellLook::Name:
            return "<td class=\"name\""_html;
        case CellLook::Formula:
            return "<td class=\"f\""_html;
        case CellLook::Note:
            return "<td class=\"note\""_html;
        case CellLook::Centre:
            return "<td style=\"text-align:center\""_html;
        case CellLook::Text:
            break;
    }
    return "<td"_html;
}

Markup::Source tableTag(TableKind kind) {
    switch (kind) {
        case TableKind::Steps:
            return "<table class=\"steps\">"_html;
        case TableKind::Bounds:
            return "<table class=\"bounds\">"_html;
        case TableKind::TitleBlock:
            return "<table class=\"titleblock\">\n"_html;
        case TableKind::Plain:
            break;
    }
    return "<table>"_html;
}

Markup::Source rowTag(RowLook look) {
    switch (look) {
        case RowLook::Governing:
            return "<tr class=\"gov\">"_html;
        case RowLook::Signing:
            return "<tr class=\"sign\">"_html;
        case RowLook::Plain:
            break;
    }
    return "<tr>"_html;
}

Markup::Source groupTag(GroupKind kind) {
    switch (kind) {
        case GroupKind::Keep:
            return "<section class=\"keep\">"_html;
        case GroupKind::Condition:
            return "<section class=\"condition\">"_html;
        case GroupKind::Plain:
            break;
    }
    return "<section>"_html;
}

class Writer {
  public:
    void operator()(const Heading& h) {
        static constexpr Markup::Source kOpen[] = {"<h1>"_html, "<h2>"_html, "<h3>"_html};
        static constexpr Markup::Source kClose[] = {"</h1>\n"_html, "</h2>\n"_html, "</h3>\n"_html};
        const int i = h.level < 1 ? 0 : h.level > 3 ? 2 : h.level - 1;
        page_ << (h.newPage ? "<h2 class=\"newpage\">"_html : kOpen[i]) << h.text << kClose[i];
    }
    void operator()(const Paragraph& p) {
        page_ << "<p"_html << toneClass(p.tone) << ">"_html << p.text << "</p>\n"_html;
    }
    void operator()(const Table& t) {
        page_ << tableTag(t.kind);
        for (const Row& row : t.rows) {
            page_ << rowTag(row.look);
            for (const Cell& c : row.cells) {
                page_ << cellTag(c.look);
                if (c.span > 1) {
                    page_ << " colspan=\""_html << std::to_string(c.span) << "\""_html;
                }
                page_ << ">"_html << c.text
                      << (c.look == CellLook::Header ? "</th>"_html : "</td>"_html);
            }
            page_ << "</tr>\n"_html;
        }
        page_ << "</table>\n"_html;
    }
    void operator()(const List& l) {
        if (!l.title.empty()) {
            page_ << "<p"_html << toneClass(l.tone) << ">"_html << l.title << "</p>"_html;
        }
        page_ << "<ul"_html << toneClass(l.tone) << ">"_html;
        for (const Runs& item : l.items) {
            page_ << "<li>"_html << item << "</li>"_html;
        }
        page_ << "</ul>\n"_html;
    }
    void operator()(const Figure& f) {
        page_ << "<p class=\"keep\">"_html << svgMarkup(f.drawing, f.width, f.height, false)
              << "<br>"_html << f.caption << "</p>\n"_html;
    }
    void operator()(const Group& g) {
        page_ << groupTag(g.kind);
        for (const Block& b : g.blocks) {
            std::visit(*this, b.content);
        }
        page_ << "</section>\n"_html;
    }

    Page& page() { return page_; }

  private:
    Page page_;
};

}  // namespace

std::string htmlBook(const Document& d) {
    Writer w;
    Page& page = w.page();
    page << "<!DOCTYPE html>\n<html lang=\""_html << d.language
         << "\">\n<head>\n<meta charset=\"utf-8\">\n<title>"_html << d.title
         << "</title>\n<style>\n"_html
         << Markup::Source(kBookCss)
         // The head of every printed page; its foot, the page numbers, is in the style sheet.
         << "@page { @top-center { content: "_html << Markup::cssString(d.pageHead)
         << "; } }\n"_html
         << "</style>\n</head>\n<body>\n"_html;
    for (const Block& b : d.blocks) {
        std::visit(w, b.content);
    }
    page << "</body>\n</html>\n"_html;
    return page.take();
}

}  // namespace kelnor::design
