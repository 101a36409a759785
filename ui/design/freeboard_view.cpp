#include "freeboard_view.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygonF>

#include <string_view>
#include <vector>

namespace {

namespace design = kelnor::design;

QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QPointF qt(design::Point p) {
    return {p.x, p.y};
}

const QColor kInk(0x11, 0x11, 0x11);
const QColor kWater(0x1f, 0x5f, 0xa8);
const QColor kGrey(0x66, 0x66, 0x66);
const QColor kNote(0x44, 0x44, 0x44);

// Each line style's pen, as the book's SVG draws it.
QPen pen(design::LineStyle style) {
    switch (style) {
        case design::LineStyle::Slope:
        case design::LineStyle::Crest: {
            QPen p(kInk, 1.6);
            p.setCapStyle(Qt::RoundCap);
            return p;
        }
        case design::LineStyle::Water:
            return QPen(kWater, 1.0);
        case design::LineStyle::Dimension:
            return QPen(kInk, 0.8);
        case design::LineStyle::Leader:
            break;
    }
    QPen p(kGrey, 0.6);
    p.setDashPattern({4 / 0.6, 3 / 0.6});  // in pen widths: dashes of 4, gaps of 3
    return p;
}

QColor colour(design::TextRole role) {
    switch (role) {
        case design::TextRole::Condition:
            return kWater;
        case design::TextRole::Note:
            return kNote;
        case design::TextRole::Elevation:
        case design::TextRole::Dimension:
        case design::TextRole::Slope:
            break;
    }
    return kInk;
}

Qt::Alignment alignment(design::HAlign h) {
    // By HAlign: the anchor on the text's left, centre or right.
    constexpr Qt::AlignmentFlag kAlignments[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    return kAlignments[static_cast<std::size_t>(h)];
}

}  // namespace

FreeboardView::FreeboardView(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
}

void FreeboardView::setDrawing(const design::Drawing& drawing) {
    drawing_ = drawing;
    refit();
    update();
}

void FreeboardView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    refit();
}

void FreeboardView::refit() {
    if (drawing_.empty() || width() <= 0 || height() <= 0) {
        scale_.reset();
        return;
    }
    design::FitOptions options;
    options.fontSize = QFontInfo(font()).pixelSize();
    const QFontMetricsF metrics(font());
    options.measure = [metrics](std::string_view t) { return metrics.horizontalAdvance(text(t)); };
    scale_ = design::fit(drawing_, width(), height(), options);
}

void FreeboardView::paintEvent(QPaintEvent* /*event*/) {
    if (!scale_) {
        return;
    }
    const design::Scale& scale = *scale_;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Drawn in the book's order: extension lines under the water, the slope and crest on top.
    for (const design::LineStyle style :
         {design::LineStyle::Leader, design::LineStyle::Water, design::LineStyle::Dimension,
          design::LineStyle::Slope, design::LineStyle::Crest}) {
        painter.setPen(pen(style));
        for (const design::Line& l : drawing_.lines) {
            if (l.style == style) {
                painter.drawLine(qt(scale.map(l.from)), qt(scale.map(l.to)));
            }
        }
    }
    painter.setPen(QPen(kInk, 0.8));
    painter.setBrush(Qt::NoBrush);
    for (const design::Mark& m : drawing_.marks) {
        QPolygonF outline;
        for (const design::Point& p : scale.markOutline(m)) {
            outline << qt(p);
        }
        if (m.kind == design::MarkKind::StillWater) {
            painter.drawPolygon(outline);
        } else {
            painter.drawPolyline(outline);
        }
    }
    for (const design::Text& t : drawing_.texts) {
        const design::Box b = scale.textBox(t);
        painter.setPen(colour(t.role));
        painter.drawText(QRectF(b.left, b.top, b.width, b.height),
                         alignment(t.h) | Qt::AlignVCenter | Qt::TextDontClip, text(t.text));
    }
}
