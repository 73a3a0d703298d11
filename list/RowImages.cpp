#include "list/RowImages.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygon>

namespace quorrel {

namespace {

constexpr int kBaseSize = 16;

// A white page with a folded corner and a few lines of text, on a 16-unit grid.
void DrawFile(QPainter& painter) {
    const QPolygon page(
        {QPoint(3, 1), QPoint(10, 1), QPoint(13, 4), QPoint(13, 14), QPoint(3, 14)});
    painter.setPen(QColor(0x50, 0x50, 0x50));
    painter.setBrush(Qt::white);
    painter.drawPolygon(page);
    painter.setBrush(QColor(0xD8, 0xD8, 0xD8));
    painter.drawPolygon(QPolygon({QPoint(10, 1), QPoint(10, 4), QPoint(13, 4)}));
    painter.setPen(QColor(0x6A, 0x86, 0xB0));
    for (int y = 6; y <= 12; y += 2) {
        painter.drawLine(5, y, y == 12 ? 8 : 11, y);
    }
}

// A yellow folder with its tab, on a 16-unit grid.
void DrawFolder(QPainter& painter) {
    const QColor outline(0x9A, 0x72, 0x0E);
    painter.setPen(outline);
    painter.setBrush(QColor(0xE8, 0xB8, 0x30));
    painter.drawPolygon(QPolygon(
        {QPoint(1, 3), QPoint(6, 3), QPoint(7, 4), QPoint(14, 4), QPoint(14, 13), QPoint(1, 13)}));
    painter.setBrush(QColor(0xFB, 0xD8, 0x5A));
    painter.drawRect(1, 6, 13, 7);
    painter.setPen(QColor(0xFF, 0xF0, 0xB0));
    painter.drawLine(2, 7, 13, 7);
}

QPixmap DrawImage(void (*draw)(QPainter&), int nSize) {
    QPixmap pixmap(nSize, nSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.scale(static_cast<qreal>(nSize) / kBaseSize, static_cast<qreal>(nSize) / kBaseSize);
    draw(painter);
    return pixmap;
}

QIcon MakeIcon(void (*draw)(QPainter&)) {
    QIcon icon;
    icon.addPixmap(DrawImage(draw, kBaseSize));
    icon.addPixmap(DrawImage(draw, 2 * kBaseSize));
    return icon;
}

}  // namespace

QList<QIcon> CreateRowImages() {
    return {MakeIcon(DrawFile), MakeIcon(DrawFolder)};
}

}  // namespace quorrel
