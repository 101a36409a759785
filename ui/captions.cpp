#include "captions.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>

#include <algorithm>

#include "kelnor/form/layout.h"
#include "kelnor/form/presenter.h"

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
    font.setPixelSize(kelnor::form::kLargestPixelSize);
    QApplication::setFont(font);
}

namespace {

namespace form = kelnor::form;

// The window's control by its id in the form: "Label1(0)", "Frame1" …
template <typename Control>
const Control* child(const QWidget& window, const QString& id) {
    return window.findChild<const Control*>(id);
}

bool fits(const QWidget* control, const QString& text, const QRect& room) {
    const QFontMetrics metrics = control->fontMetrics();
    return metrics.horizontalAdvance(text) <= room.width() && metrics.height() <= room.height();
}

QRect labelRoom(const QWidget& window, const QLabel* label) {
    QRect room = label->contentsRect();
    for (const QLineEdit* box : window.findChildren<const QLineEdit*>()) {
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

// The frame's caption must lie inside the frame and above its first option.
bool frameTitleFits(const QGroupBox* frame, const QWidget* firstOption) {
    QStyleOptionGroupBox style;
    style.initFrom(frame);
    style.text = frame->title();
    style.textAlignment = frame->alignment();
    style.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const QRect title = frame->style()->subControlRect(QStyle::CC_GroupBox, &style,
                                                       QStyle::SC_GroupBoxLabel, frame);
    const QRect room(0, 0, frame->width(), firstOption->y());
    return room.contains(title) && fits(frame, frame->title(), title);
}

}  // namespace

QStringList clippedCaptions(const QWidget& window) {
    QStringList clipped;
    for (const form::Control& c : form::controls()) {
        const QString id = QString::fromStdString(c.id());
        bool whole = true;
        switch (c.kind) {
            case form::ControlKind::TextBox:
                continue;  // holds a number the user may scroll through
            case form::ControlKind::Label: {
                const auto* label = child<QLabel>(window, id);
                whole = fits(label, label->text(), labelRoom(window, label));
                break;
            }
            case form::ControlKind::Frame:
                whole = frameTitleFits(child<QGroupBox>(window, id),
                                       child<QRadioButton>(window, QStringLiteral("Option1(0)")));
                break;
            case form::ControlKind::Option: {
                const auto* option = child<QRadioButton>(window, id);
                whole = fits(option, option->text(), radioRoom(option));
                break;
            }
            case form::ControlKind::Button: {
                const auto* button = child<QPushButton>(window, id);
                whole = fits(button, button->text(), buttonRoom(button));
                break;
            }
        }
        if (!whole) {
            clipped << id;
        }
    }
    return clipped;
}
