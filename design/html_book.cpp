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

// The markup of a look, from a table of the looks that have their own: a class attribute, a
// cell's or a table's opening tag.
template <typename Look>
struct LookMarkup {
    Look look;
    Markup::Source markup;
};

template <typename Look, std::size_t N>
Markup::Source markupOf(Look look, const LookMarkup<Look> (&table)[N], Markup::Source otherwise) {
    for (const LookMarkup<Look>& entry : table) {
        if (entry.look == look) {
            return entry.markup;
        }
    }
    return otherwise;
}

// The looks that have markup of their own: a paragraph's or a list's class attribute for its
// tone, a cell's, a row's, a table's and a section's opening tag.
constexpr LookMarkup<Tone> kToneClasses[] = {
    {Tone::Subtitle, " class=\"subtitle\""_html},
    {Tone::Marked, " class=\"mark\""_html},
    {Tone::Warning, " class=\"warn\""_html},
    {Tone::Failure, " class=\"fail\""_html},
    {Tone::MarkedFailure, " class=\"mark fail\""_html},
};
constexpr LookMarkup<CellLook> kCellTags[] = {
    {CellLook::Header, "<th"_html},
    {CellLook::Number, "<td class=\"num\""_html},
    {CellLook::Name, "<td class=\"name\""_html},
    {CellLook::Formula, "<td class=\"f\""_html},
    {CellLook::Note, "<td class=\"note\""_html},
    {CellLook::Centre, "<td style=\"text-align:center\""_html},
};
constexpr LookMarkup<RowLook> kRowTags[] = {
    {RowLook::Governing, "<tr class=\"gov\">"_html},
    {RowLook::Signing, "<tr class=\"sign\">"_html},
};
constexpr LookMarkup<TableKind> kTableTags[] = {
    {TableKind::Steps, "<table class=\"steps\">"_html},
    {TableKind::Bounds, "<table class=\"bounds\">"_html},
    {TableKind::TitleBlock, "<table class=\"titleblock\">\n"_html},
};
constexpr LookMarkup<GroupKind> kGroupTags[] = {
    {GroupKind::Keep, "<section class=\"keep\">"_html},
    {GroupKind::Condition, "<section class=\"condition\">"_html},
};

Markup::Source toneClass(Tone tone) {
    return markupOf(tone, kToneClasses, ""_html);
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
        page_ << markupOf(t.kind, kTableTags, "<table>"_html);
        for (const Row& row : t.rows) {
            page_ << markupOf(row.look, kRowTags, "<tr>"_html);
            for (const Cell& c : row.cells) {
                page_ << markupOf(c.look, kCellTags, "<td"_html);
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
        page_ << markupOf(g.kind, kGroupTags, "<section>"_html);
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
