// The shapes the program's icons are drawn from, on a canvas of 32 by 32 units.
#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>

namespace quorrel::art {

// The outline every shape is drawn with: dark enough to read on light and dark bars.
QPen Outline(const QColor& color = QColor(0x3a, 0x3f, 0x45), qreal width = 1.5);

// A sheet of paper with a folded top-right corner and, when `bLines`, lines of text.
void Page(QPainter& painter, const QRectF& rect, bool bLines = true);
// A yellow folder, its tab at the top left.
void Folder(QPainter& painter, const QRectF& rect);
// A sheet holding four rows of a list: `nHighlight` is the row drawn selected (-1 none).
void ListSheet(QPainter& painter, const QRectF& rect, int nHighlight);
// The shredder: a dark body from `top` down 8 units with a red slot, strips of paper below.
void Shredder(QPainter& painter, qreal top);
// A trash can whose lid is a shredder head.
void ShredderBin(QPainter& painter);
// A gear wheel centred in the canvas.
void Gear(QPainter& painter);
// A blue disc with a white "i".
void InfoDisc(QPainter& painter);
// An open book with a question mark on its right page.
void HelpBook(QPainter& painter);

enum class EBadge { Plus, Minus, Cross };
// A small round sign at the bottom right: green for Plus, red otherwise.
void Badge(QPainter& painter, EBadge kind);

}  // namespace quorrel::art
