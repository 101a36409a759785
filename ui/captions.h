#pragma once

#include <QString>
#include <QStringList>

class TavoWindow;

// The font family for the window's Chinese captions: Noto Sans CJK SC where it is installed,
// else WenQuanYi Micro Hei; empty when neither is, so that no absent font is ever named.
QString chineseFontFamily(const QStringList& installedFamilies);

// Makes the Chinese font family the application's font, for the window and its messages.
void useChineseApplicationFont();

// The pixel sizes the window's font is chosen from, largest first: the layout was drawn for
// captions of about 12 pixels.
inline constexpr int kLargestPixelSize = 12;
inline constexpr int kSmallestPixelSize = 8;

// The controls whose caption does not fit the room its control gives it, in width or in
// height, in the window's current font; empty when every caption shows whole. A label's room
// ends where an edit box lying on top of it begins.
QStringList clippedCaptions(const TavoWindow& window);

// A label's caption without its closing colon, full-width or ASCII: how messages name a box.
QString withoutColon(const QString& caption);
