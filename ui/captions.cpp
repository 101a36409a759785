#include "captions.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>

#include "tavo_window.h"

QString chineseFontFamily(const QStringList& installedFamilies) {
    for (const QString& preferred :
         {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Micro Hei")}) {
        if (installedFamilies.contains(preferred, Qt::CaseInsensitive)) {
            return preferred;
        }
    }
    return QString();
}

void useChineseApplicationFont() {
    const QString family = chineseFontFamily(QFontDatabase::families());
    if (family.isEmpty()) {
        return;  // the platform's own choice is the best left
    }
    QFont font = QApplication::font();
    font.setFamilies({family});
    font.setPixelSize(kLargestPixelSize);
    QApplication::setFont(font);
}

namespace {

bool fits(const QWidget* control, const QString& text, const QRect& room) {
    const QFontMetrics metrics = control->fontMetrics();
    return metrics.horizontalAdvance(text) <= room.width() && metrics.height() <= room.height();
}

QRect labelRoom(const TavoWindow& window, const QLabel* label) {
    QRect room = label->contentsRect();
    for (const QLineEdit* box : window.Text1) {
        const QRect over = box->geometry();
        if (over.intersects(label->geometry()) && over.left() > label->x()) {
            room.setRight(std::min(room.right(), over.left() - label->x() - 1));
        }
    }
    return room;
}

QRect radioRoom(const QRadioButton* option) {
    QStyleOptionButton style;
    style.initFrom(option);
    style.text = option->text();
    return option->style()->subElementRect(QStyle::SE_RadioButtonContents, &style, option);
}

QRect buttonRoom(const QPushButton* button) {
    QStyleOptionButton style;
    style.initFrom(button);
    style.text = button->text();
    // The style's contents rectangle lies inside the bevel; keep the style's margin on top
    // of it so the caption does not touch the edge.
    const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, &style, button);
    return button->style()
        ->subElementRect(QStyle::SE_PushButtonContents, &style, button)
        .adjusted(margin / 2, 0, -margin / 2, 0);
}

// The frame's caption must lie inside the frame and above the first option button.
bool frameTitleFits(const TavoWindow& window) {
    const QGroupBox* frame = window.Frame1;
    QStyleOptionGroupBox style;
    style.initFrom(frame);
    style.text = frame->title();
    style.textAlignment = frame->alignment();
    style.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const QRect title = frame->style()->subControlRect(QStyle::CC_GroupBox, &style,
                                                       QStyle::SC_GroupBoxLabel, frame);
    const QRect room(0, 0, frame->width(), window.Option1[0]->y());
    return room.contains(title) && fits(frame, frame->title(), title);
}

}  // namespace

QStringList clippedCaptions(const TavoWindow& window) {
    QStringList clipped;
    for (const QLabel* label : window.Label1) {
        if (!fits(label, label->text(), labelRoom(window, label))) {
            clipped << label->objectName();
        }
    }
    if (!fits(window.Label2, window.Label2->text(), labelRoom(window, window.Label2))) {
        clipped << window.Label2->objectName();
    }
    if (!frameTitleFits(window)) {
        clipped << window.Frame1->objectName();
    }
    for (const QRadioButton* option : window.Option1) {
        if (!fits(option, option->text(), radioRoom(option))) {
            clipped << option->objectName();
        }
    }
    for (const QPushButton* button :
         {window.Command1, window.Command2, window.Command3, window.Command4}) {
        if (!fits(button, button->text(), buttonRoom(button))) {
            clipped << button->objectName();
        }
    }
    return clipped;
}

QString withoutColon(const QString& caption) {
    QString name = caption;
    while (name.endsWith(u':') || name.endsWith(u'：')) {
        name.chop(1);
    }
    return name;
}
