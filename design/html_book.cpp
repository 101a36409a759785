#include "html_book.h"

#include "book_css.h"
#include "markup.h"
#include "svg.h"

namespace kelnor::design {

namespace {

using namespace markup_literals;
using namespace doc;

Markup html(const Runs& text) {
    Markup out;
    for (const Run& r : text.runs()) {
        Markup run = Markup::text(r.text);
        if (r.script == Script::Super) {
            run = "<sup>"_html + run + "</sup>"_html;
        } else if (r.script == Script::Sub) {
            run = "<sub>"_html + run + "</sub>"_html;
        }
        if (r.emphasis == Emphasis::Strong) {
            run = "<b>"_html + run + "</b>"_html;
        } else if (r.emphasis == Emphasis::Marked) {
            run = "<span class=\"mark\">"_html + run + "</span>"_html;
        }
        out += run;
    }
    return out;
}

// A paragraph's or a list's class attribute for its tone.
Markup toneClass(Tone tone) {
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
    return {};
}

Markup cellTag(CellLook look) {
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

Markup tableTag(TableKind kind) {
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

Markup rowTag(RowLook look) {
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

Markup groupTag(GroupKind kind) {
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
        out_ += h.newPage ? Markup("<h2 class=\"newpage\">"_html) : Markup(kOpen[i]);
        out_ += html(h.text) + Markup(kClose[i]);
    }
    void operator()(const Paragraph& p) {
        out_ += "<p"_html + toneClass(p.tone) + ">"_html + html(p.text) + "</p>\n"_html;
    }
    void operator()(const Table& t) {
        out_ += tableTag(t.kind);
        for (const Row& row : t.rows) {
            out_ += rowTag(row.look);
            for (const Cell& c : row.cells) {
                out_ += cellTag(c.look);
                if (c.span > 1) {
                    out_ += " colspan=\""_html + std::to_string(c.span) + "\""_html;
                }
                out_ += ">"_html + html(c.text) +
                        (c.look == CellLook::Header ? "</th>"_html : "</td>"_html);
            }
            out_ += "</tr>\n"_html;
        }
        out_ += "</table>\n"_html;
    }
    void operator()(const List& l) {
        if (!l.title.empty()) {
            out_ += "<p"_html + toneClass(l.tone) + ">"_html + html(l.title) + "</p>"_html;
        }
        out_ += "<ul"_html + toneClass(l.tone) + ">"_html;
        for (const Runs& item : l.items) {
            out_ += "<li>"_html + html(item) + "</li>"_html;
        }
        out_ += "</ul>\n"_html;
    }
    void operator()(const Figure& f) {
        out_ += "<p class=\"keep\">"_html + svgMarkup(f.drawing, f.width, f.height, false) +
                "<br>"_html + html(f.caption) + "</p>\n"_html;
    }
    void operator()(const Group& g) {
        out_ += groupTag(g.kind);
        for (const Block& b : g.blocks) {
            std::visit(*this, b.content);
        }
        out_ += "</section>\n"_html;
    }

    Markup take() { return std::move(out_); }

  private:
    Markup out_;
};

}  // namespace

std::string htmlBook(const Document& d) {
    Writer w;
    for (const Block& b : d.blocks) {
        std::visit(w, b.content);
    }
    const Markup page =
        "<!DOCTYPE html>\n<html lang=\""_html + d.language +
        "\">\n<head>\n<meta charset=\"utf-8\">\n<title>"_html + d.title +
        "</title>\n<style>\n"_html + Markup(Markup::Source(kBookCss)) +
        // The head of every printed page; its foot, the page numbers, is in the style sheet.
        "@page { @top-center { content: "_html + Markup::cssString(d.pageHead) + "; } }\n"_html +
        "</style>\n</head>\n<body>\n"_html + w.take() + "</body>\n</html>\n"_html;
    return page.html();
}

}  // namespace kelnor::design
