// What the tip of the day draws besides its frame: the bulb of its left strip and the tip
// text, word-wrapped and cut with an ellipsis.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <QStringList>

class QPainter;

namespace quorrel {

// Draws the toolkit's bulb picture centred across `strip`, near its top.
void DrawTipBulb(QPainter& painter, const QRect& strip);

// The lines `text` takes in `font` when word-wrapped to `area`'s width, as many as fit in
// its height; when the text does not fit, the last line ends in an ellipsis. A line feed at
// the end of the text adds no line.
QStringList WrapWithEllipsis(const QString& text, const QFont& font, const QSize& area);

// Draws WrapWithEllipsis's lines of `text` from the top-left corner of `area`.
void DrawTipText(QPainter& painter, const QRect& area, const QString& text);

}  // namespace quorrel
