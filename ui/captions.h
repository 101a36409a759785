#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The font family for the window's Chinese captions: Noto Sans CJK SC where it is installed,
// else WenQuanYi Micro Hei; empty when neither is, so that no absent font is ever named.
QString chineseFontFamily(const QStringList& installedFamilies);

// Makes the Chinese font family the application's font, for the window and its messages.
void useChineseApplicationFont();

// The controls of the form in `window`, found by their ids ("Label1(1)", "Frame1" …), whose
// caption does not fit the room its control gives it, in width or in height, in the window's
// current font; empty when every caption shows whole. A label's room ends where an input box
// lying on top of it begins.
QStringList clippedCaptions(const QWidget& window);
