#include "drawingml.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "kelnor/design/wordml.h"

namespace kelnor::design::drawingml {

namespace {

// English Metric Units: 914400 to the inch, a CSS pixel 1/96 inch.
constexpr double kEmuPerPixel = 9525;

long long emu(double pixels) {
    return std::isfinite(pixels) ? std::llround(pixels * kEmuPerPixel) : 0;
}

std::string n(long long v) {
    return std::to_string(v);
}

std::string hex(Rgb c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02X%02X%02X", c.r, c.g, c.b);
    return buf;
}

std::string outline(const Pen& p) {
    std::string out = "<a:ln w=\"" + n(emu(p.width)) + "\"" + (p.roundCap ? " cap=\"rnd\"" : "") +
                      "><a:solidFill><a:srgbClr val=\"" + hex(p.colour) + "\"/></a:solidFill>";
    if (p.dashed) {
        out += "<a:prstDash val=\"dash\"/>";
    }
    return out + "</a:ln>";
}

// Numbers the shapes within the group.
class Shapes {
  public:
    explicit Shapes(int first) : next_(first) {}

    // A shape through `points` (device pixels), open or closed, in the pen `pen`.
    void path(const std::vector<Point>& points, bool closed, const Pen& pen) {
        if (points.size() < 2) {
            return;
        }
        double left = points[0].x, top = points[0].y, right = left, bottom = top;
        for (const Point& p : points) {
            left = std::min(left, p.x);
            top = std::min(top, p.y);
            right = std::max(right, p.x);
            bottom = std::max(bottom, p.y);
        }
        // A level line has no height: the geometry needs one unit to lie in.
        const long long w = std::max(emu(right - left), 1LL);
        const long long h = std::max(emu(bottom - top), 1LL);
        std::string geometry = "<a:pathLst><a:path w=\"" + n(w) + "\" h=\"" + n(h) + "\"" +
                               (closed ? "" : " fill=\"none\"") + ">";
        for (std::size_t i = 0; i < points.size(); ++i) {
            geometry += std::string(i == 0 ? "<a:moveTo>" : "<a:lnTo>") + "<a:pt x=\"" +
                        n(emu(points[i].x - left)) + "\" y=\"" + n(emu(points[i].y - top)) +
                        "\"/>" + (i == 0 ? "</a:moveTo>" : "</a:lnTo>");
        }
        if (closed) {
            geometry += "<a:close/>";
        }
        geometry += "</a:path></a:pathLst>";
        out_ += "<wps:wsp><wps:cNvPr id=\"" + n(next_++) +
                "\" name=\"\"/><wps:cNvSpPr/>"
                "<wps:spPr><a:xfrm><a:off x=\"" +
                n(emu(left)) + "\" y=\"" + n(emu(top)) + "\"/><a:ext cx=\"" + n(w) + "\" cy=\"" +
                n(h) +
                "\"/></a:xfrm><a:custGeom><a:avLst/><a:gdLst/><a:ahLst/><a:cxnLst/>"
                "<a:rect l=\"0\" t=\"0\" r=\"r\" b=\"b\"/>" +
                geometry + "</a:custGeom><a:noFill/>" + outline(pen) +
                "</wps:spPr><wps:bodyPr/></wps:wsp>";
    }

    // A text box over `label`'s box, its words in the label's ink and alignment.
    void text(const Label& label, double fontSize) {
        const Box& b = label.box;
        const std::string_view align = label.h == HAlign::Left    ? "left"
                                       : label.h == HAlign::Right ? "right"
                                                                  : "center";
        // The font size in half-points: a CSS pixel is 3/4 of a point.
        const long long halfPoints = std::llround(fontSize * 0.75 * 2);
        out_ += "<wps:wsp><wps:cNvPr id=\"" + n(next_++) +
                "\" name=\"\"/><wps:cNvSpPr txBox=\"1\"/><wps:spPr><a:xfrm><a:off x=\"" +
                n(emu(b.left)) + "\" y=\"" + n(emu(b.top)) + "\"/><a:ext cx=\"" +
                n(std::max(emu(b.width), 1LL)) + "\" cy=\"" + n(std::max(emu(b.height), 1LL)) +
                "\"/></a:xfrm><a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom><a:noFill/><a:ln>"
                "<a:noFill/></a:ln></wps:spPr><wps:txbx><w:txbxContent><w:p><w:pPr><w:spacing "
                "w:before=\"0\" w:after=\"0\" w:line=\"240\" w:lineRule=\"auto\"/><w:ind "
                "w:left=\"0\" w:right=\"0\" w:firstLine=\"0\"/><w:jc w:val=\"" +
                std::string(align) + "\"/></w:pPr><w:r><w:rPr><w:color w:val=\"" +
                hex(inkOf(label.role)) + "\"/><w:sz w:val=\"" + n(halfPoints) +
                "\"/><w:szCs w:val=\"" + n(halfPoints) +
                "\"/></w:rPr><w:t xml:space=\"preserve\">" + wordml::xmlText(label.text) +
                "</w:t></w:r></w:p></w:txbxContent></wps:txbx><wps:bodyPr rot=\"0\" "
                "wrap=\"none\" lIns=\"0\" tIns=\"0\" rIns=\"0\" bIns=\"0\" anchor=\"ctr\" "
                "anchorCtr=\"0\"><a:noAutofit/></wps:bodyPr></wps:wsp>";
    }

    std::string take() { return std::move(out_); }

  private:
    int next_;
    std::string out_;
};

}  // namespace

std::string figure(const Drawing& d, double width, double height, int id) {
    // The same fitting as the SVG's, so the labels fall where they fall there.
    const FitOptions options;
    const Scale scale = fit(d, width, height, options);
    // Shape ids well above those a template's own drawings take.
    Shapes shapes(4000 + id * 200);
    for (const LineStyle style : kLineOrder) {
        for (const Line& l : d.lines) {
            if (l.style == style) {
                shapes.path({scale.map(l.from), scale.map(l.to)}, false, penOf(style));
            }
        }
    }
    for (const Label& t : scale.labels()) {
        if (t.leader) {
            shapes.path({t.leader->from, t.leader->to}, false, penOf(LineStyle::Callout));
        }
    }
    for (const Mark& m : d.marks) {
        shapes.path(scale.markOutline(m), m.kind == MarkKind::StillWater, markPen());
    }
    for (const Label& t : scale.labels()) {
        shapes.text(t, scale.fontSize());
    }
    const std::string cx = n(emu(width));
    const std::string cy = n(emu(height));
    return "<w:drawing><wp:inline distT=\"0\" distB=\"0\" distL=\"0\" distR=\"0\"><wp:extent "
           "cx=\"" +
           cx + "\" cy=\"" + cy +
           "\"/><wp:effectExtent l=\"0\" t=\"0\" r=\"0\" b=\"0\"/><wp:docPr id=\"" +
           n(4000 + id * 200 - 1) +
           "\" name=\"坝顶超高示意\"/><wp:cNvGraphicFramePr/><a:graphic><a:graphicData "
           "uri=\"http://schemas.microsoft.com/office/word/2010/wordprocessingGroup\"><wpg:wgp>"
           "<wpg:cNvGrpSpPr/><wpg:grpSpPr><a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext cx=\"" +
           cx + "\" cy=\"" + cy + "\"/><a:chOff x=\"0\" y=\"0\"/><a:chExt cx=\"" + cx + "\" cy=\"" +
           cy + "\"/></a:xfrm></wpg:grpSpPr>" + shapes.take() +
           "</wpg:wgp></a:graphicData></a:graphic></wp:inline></w:drawing>";
}

}  // namespace kelnor::design::drawingml
