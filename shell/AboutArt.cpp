#include "shell/AboutArt.h"

#include <QFont>
#include <QFontDatabase>
#include <QLinearGradient>
#include <QPainter>

#include "shell/ArtShapes.h"

namespace quorrel {

namespace {

QPixmap Canvas(const QSize& size, qreal ratio) {
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

}  // namespace

QPixmap AboutShredderPicture(const QSize& size, qreal ratio) {
    QPixmap pixmap = Canvas(size, ratio);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(QPointF(0, 0), QSizeF(size));
    QLinearGradient backdrop(bounds.topLeft(), bounds.bottomLeft());
    backdrop.setColorAt(0, QColor(0xf4, 0xf1, 0xea));
    backdrop.setColorAt(1, QColor(0xd8, 0xdf, 0xe6));
    painter.setPen(Qt::NoPen);
    painter.setBrush(backdrop);
    painter.drawRoundedRect(bounds.adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);

    // The icon's scene on its 32-unit canvas, as large as the picture allows.
    const qreal side = qMin(size.width(), size.height()) * 0.9;
    painter.translate((size.width() - side) / 2.0, (size.height() - side) / 2.0);
    painter.scale(side / 32.0, side / 32.0);
    art::Page(painter, QRectF(8, 1.5, 16, 17), true);
    art::Shredder(painter, 14);
    // Loose fragments that have already fallen.
    painter.setPen(art::Outline(QColor(0x8a, 0x94, 0x9e), 0.6));
    painter.setBrush(QColor(0xfa, 0xfa, 0xf7));
    painter.drawRect(QRectF(4.0, 28.5, 2.4, 1.2));
    painter.drawRect(QRectF(26.0, 29.0, 2.0, 1.2));
    painter.drawRect(QRectF(14.5, 30.0, 1.8, 1.0));
    return pixmap;
}

QPixmap AboutPassesPicture(const QSize& size, qreal ratio) {
    QPixmap pixmap = Canvas(size, ratio);
    pixmap.fill(QColor(0x10, 0x14, 0x12));
    QPainter painter(&pixmap);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPixelSize(qMax(7, size.height() / 6));
    painter.setFont(mono);
    const QFontMetrics metrics(mono);
    // Three passes over the same bytes: zeros, ones, and what the random method leaves.
    const char* const rows[] = {"00 00 00 00", "FF FF FF FF", "00 00 00 00", "9C 2E 71 D4",
                                "5B E0 13 A7"};
    const QColor colours[] = {QColor(0x3f, 0xb9, 0x50), QColor(0x7d, 0xe0, 0x8a),
                              QColor(0x3f, 0xb9, 0x50), QColor(0xc8, 0xf5, 0xcf),
                              QColor(0xc8, 0xf5, 0xcf)};
    int nBaseline = 3 + metrics.ascent();
    for (int i = 0; i < 5 && nBaseline < size.height(); ++i) {
        painter.setPen(colours[i]);
        const int nWidth = metrics.horizontalAdvance(QString::fromLatin1(rows[i]));
        painter.drawText(QPoint(qMax(2, (size.width() - nWidth) / 2), nBaseline),
                         QString::fromLatin1(rows[i]));
        nBaseline += metrics.height();
    }
    return pixmap;
}

}  // namespace quorrel
