#include "svg.h"

#include <algorithm>
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

// "#rgb" where each channel's two hex digits are the same, else "#rrggbb".
std::string hex(Rgb c) {
    char buf[8];
    const bool shortForm = c.r % 17 == 0 && c.g % 17 == 0 && c.b % 17 == 0;
    if (shortForm) {
        std::snprintf(buf, sizeof buf, "#%x%x%x", c.r / 17, c.g / 17, c.b / 17);
    } else {
        std::snprintf(buf, sizeof buf, "#%02x%02x%02x", c.r, c.g, c.b);
    }
    return buf;
}

// A group's stroke for `p`.
Markup stroke(const Pen& p) {
    Markup out =
        "<g stroke=\""_html + hex(p.colour) + "\" stroke-width=\""_html + num(p.width) + "\""_html;
    if (p.roundCap) {
        out += " stroke-linecap=\"round\""_html;
    }
    if (p.dashed) {
        out += " stroke-dasharray=\""_html + num(kDashLength) + " " + num(kDashGap) + "\""_html;
    }
    return out;
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
    for (const LineStyle style : kLineOrder) {
        out += stroke(penOf(style)) + ">\n"_html;
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
    // The leaders of labels moved off their levels, device units already.
    const auto& labels = scale.labels();
    if (std::any_of(labels.begin(), labels.end(), [](const Label& t) { return t.leader; })) {
        out += stroke(penOf(LineStyle::Callout)) + ">\n"_html;
        for (const Label& t : labels) {
            if (t.leader) {
                out += "<line x1=\""_html + num(t.leader->from.x) + "\" y1=\""_html +
                       num(t.leader->from.y) + "\" x2=\""_html + num(t.leader->to.x) +
                       "\" y2=\""_html + num(t.leader->to.y) + "\"/>\n"_html;
            }
        }
        out += "</g>\n"_html;
    }
    out += stroke(markPen()) + " fill=\"none\">\n"_html;
    for (const Mark& m : d.marks) {
        out += (m.kind == MarkKind::StillWater ? "<polygon points=\""_html
                                               : "<polyline points=\""_html) +
               points(scale.markOutline(m)) + "\"/>\n"_html;
    }
    out += "</g>\n"_html;
    for (const Label& t : labels) {
        const Box& b = t.box;
        const double x = t.h == HAlign::Left    ? b.left
                         : t.h == HAlign::Right ? b.left + b.width
                                                : b.left + b.width / 2;
        const Markup anchor = t.h == HAlign::Left    ? "start"_html
                              : t.h == HAlign::Right ? "end"_html
                                                     : "middle"_html;
        out += "<text x=\""_html + num(x) + "\" y=\""_html + num(b.top + b.height / 2) +
               "\" text-anchor=\""_html + anchor + "\" dominant-baseline=\"central\""_html +
               " fill=\""_html + hex(inkOf(t.role)) + "\">"_html + t.text + "</text>\n"_html;
    }
    out += "</svg>"_html;
    return out;
}

std::string drawingSvg(const Drawing& drawing, double width, double height, bool standalone) {
    return svgMarkup(drawing, width, height, standalone).html();
}

}  // namespace kelnor::design
