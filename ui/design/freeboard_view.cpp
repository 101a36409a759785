#include "freeboard_view.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygonF>

#include <string_view>
#include <vector>

#include "desktop.h"

namespace {

namespace design = kelnor::design;

QPointF qt(design::Point p) {
    return {p.x, p.y};
}

QColor qt(design::Rgb c) {
    return {c.r, c.g, c.b};
}

// The book's pen for `p`.
QPen qt(const design::Pen& p) {
    QPen out(qt(p.colour), p.width);
    if (p.roundCap) {
        out.setCapStyle(Qt::RoundCap);
    }
    if (p.dashed) {
        // Qt counts dashes in pen widths.
        out.setDashPattern({design::kDashLength / p.width, design::kDashGap / p.width});
    }
    return out;
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
    for (const design::LineStyle style : design::kLineOrder) {
        painter.setPen(qt(design::penOf(style)));
        for (const design::Line& l : drawing_.lines) {
            if (l.style == style) {
                painter.drawLine(qt(scale.map(l.from)), qt(scale.map(l.to)));
            }
        }
    }
    // The leaders of labels moved off their levels, device units already.
    painter.setPen(qt(design::penOf(design::LineStyle::Callout)));
    for (const design::Label& t : scale.labels()) {
        if (t.leader) {
            painter.drawLine(qt(t.leader->from), qt(t.leader->to));
        }
    }
    painter.setPen(qt(design::markPen()));
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
    for (const design::Label& t : scale.labels()) {
        const design::Box& b = t.box;
        painter.setPen(qt(design::inkOf(t.role)));
        painter.drawText(QRectF(b.left, b.top, b.width, b.height),
                         alignment(t.h) | Qt::AlignVCenter | Qt::TextDontClip, text(t.text));
    }
}
