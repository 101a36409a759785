#include "svg.h"

#include <cmath>
#include <cstdio>

namespace kelnor::design {

namespace {

using namespace markup_literals;

// A device coordinate: two decimals, trailing zeros dropped, an ASCII minus (SVG reads no
// other).
std::string num(double v) {
    if (!std::isfinite(v)) {
        v = 0;
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    std::string s = buf;
    while (s.back() == '0') {
        s.pop_back();
    }
    if (s.back() == '.') {
        s.pop_back();
    }
    return s == "-0" ? "0" : s;
}

// Each line style's pen.
Markup pen(LineStyle style) {
    switch (style) {
        case LineStyle::Slope:
        case LineStyle::Crest:
            return "<g stroke=\"#111\" stroke-width=\"1.6\" stroke-linecap=\"round\">\n"_html;
        case LineStyle::Water:
            return "<g stroke=\"#1f5fa8\" stroke-width=\"1\">\n"_html;
        case LineStyle::Dimension:
            return "<g stroke=\"#111\" stroke-width=\"0.8\">\n"_html;
        case LineStyle::Leader:
            break;
    }
    return "<g stroke=\"#666\" stroke-width=\"0.6\" stroke-dasharray=\"4 3\">\n"_html;
}

Markup colour(TextRole role) {
    switch (role) {
        case TextRole::Condition:
            return " fill=\"#1f5fa8\""_html;
        case TextRole::Note:
            return " fill=\"#444\""_html;
        case TextRole::Elevation:
        case TextRole::Dimension:
        case TextRole::Slope:
            break;
    }
    return " fill=\"#111\""_html;
}

Markup points(const std::vector<Point>& outline) {
    std::string text;
    for (const Point& p : outline) {
        if (!text.empty()) {
            text += ' ';
        }
        text += num(p.x);
        text += ',';
        text += num(p.y);
    }
    return Markup::text(text);
}

}  // namespace

Markup svgMarkup(const Drawing& d, double width, double height, bool standalone) {
    const FitOptions options;  // the texts estimated at the SVG's own font size
    Markup out = standalone ? "<svg xmlns=\"http://www.w3.org/2000/svg\""_html : "<svg"_html;
    out += " class=\"drawing\" width=\""_html + num(width) + "\" height=\""_html + num(height) +
           "\" viewBox=\"0 0 "_html + num(width) + " " + num(height) +
           "\" role=\"img\" font-size=\""_html + num(options.fontSize) + "\""_html;
    if (standalone) {
        out += " font-family=\"sans-serif\""_html;
    }
    out += ">\n"_html;
    const Scale scale = fit(d, width, height, options);
    for (const LineStyle style : {LineStyle::Leader, LineStyle::Water, LineStyle::Dimension,
                                  LineStyle::Slope, LineStyle::Crest}) {
        out += pen(style);
        for (const Line& l : d.lines) {
            if (l.style == style) {
                const Point a = scale.map(l.from);
                const Point b = scale.map(l.to);
                out += "<line x1=\""_html + num(a.x) + "\" y1=\""_html + num(a.y) +
                       "\" x2=\""_html + num(b.x) + "\" y2=\""_html + num(b.y) + "\"/>\n"_html;
            }
        }
        out += "</g>\n"_html;
    }
    out += "<g stroke=\"#111\" stroke-width=\"0.8\" fill=\"none\">\n"_html;
    for (const Mark& m : d.marks) {
        out += (m.kind == MarkKind::StillWater ? "<polygon points=\""_html
                                               : "<polyline points=\""_html) +
               points(scale.markOutline(m)) + "\"/>\n"_html;
    }
    out += "</g>\n"_html;
    for (const Text& t : d.texts) {
        const Box b = scale.textBox(t);
        const double x = t.h == HAlign::Left    ? b.left
                         : t.h == HAlign::Right ? b.left + b.width
                                                : b.left + b.width / 2;
        const Markup anchor = t.h == HAlign::Left    ? "start"_html
                              : t.h == HAlign::Right ? "end"_html
                                                     : "middle"_html;
        out += "<text x=\""_html + num(x) + "\" y=\""_html + num(b.top + b.height / 2) +
               "\" text-anchor=\""_html + anchor + "\" dominant-baseline=\"central\""_html +
               colour(t.role) + ">"_html + t.text + "</text>\n"_html;
    }
    out += "</svg>"_html;
    return out;
}

std::string drawingSvg(const Drawing& drawing, double width, double height, bool standalone) {
    return svgMarkup(drawing, width, height, standalone).html();
}

}  // namespace kelnor::design
