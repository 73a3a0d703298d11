#include "shell/Artwork.h"

#include <QLinearGradient>
#include <QPixmap>

#include <functional>

#include "shell/ArtShapes.h"
#include "shell/CommandIds.h"

namespace quorrel {

namespace {

using PaintFn = std::function<void(QPainter&)>;

// The canvas every icon is designed on.
constexpr qreal kCanvas = 32.0;

QPixmap Render(const PaintFn& paint, int nSize, qreal ratio) {
    QPixmap pixmap(qRound(nSize * ratio), qRound(nSize * ratio));
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(nSize / kCanvas, nSize / kCanvas);
    paint(painter);
    return pixmap;
}

QIcon MakeIcon(const PaintFn& paint, std::initializer_list<int> sizes = {16, 20, 24, 32, 48}) {
    QIcon icon;
    for (int nSize : sizes) {
        icon.addPixmap(Render(paint, nSize, 1.0));
        icon.addPixmap(Render(paint, nSize, 2.0));
    }
    return icon;
}

// A page going into the shredder: its lower part is already inside.
void PageIntoShredder(QPainter& painter, bool bSelected) {
    art::Page(painter, QRectF(8, 1.5, 16, 17), false);
    painter.setPen(QPen(QColor(0x9a, 0xa4, 0xb0), 1.5, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(11, 9), QPointF(21, 9));
    if (bSelected) {
        painter.fillRect(QRectF(10, 11, 12, 3.5), QColor(0x2f, 0x74, 0xd0));
    }
    art::Shredder(painter, 14);
}

PaintFn PainterFor(int nCommandId) {
    using art::EBadge;
    switch (nCommandId) {
        case ID_ADD_FILES:
            return [](QPainter& p) {
                art::Page(p, QRectF(4.5, 1.5, 19, 26));
                art::Badge(p, EBadge::Plus);
            };
        case ID_ADD_FOLDER:
            return [](QPainter& p) {
                art::Folder(p, QRectF(1.5, 4.5, 27, 21));
                art::Badge(p, EBadge::Plus);
            };
        case ID_WIPE_SELECTED:
            return [](QPainter& p) { PageIntoShredder(p, true); };
        case ID_WIPE_ALL:
            return [](QPainter& p) {
                art::Page(p, QRectF(12, 0.8, 14, 15), false);
                art::Page(p, QRectF(6, 3.5, 15, 14), false);
                art::Shredder(p, 14);
            };
        case ID_WIPE_FREE_SPACE:
            return [](QPainter& p) {  // a disk whose free space goes into the shredder
                p.setPen(art::Outline(QColor(0x45, 0x5a, 0x64), 1.0));
                p.setBrush(QColor(0xcf, 0xd8, 0xdc));
                p.drawRoundedRect(QRectF(4.5, 3.5, 23, 10), 2, 2);
                p.setBrush(QColor(0x66, 0xbb, 0x6a));
                p.drawEllipse(QPointF(23, 8.5), 1.6, 1.6);
                art::Shredder(p, 14);
            };
        case ID_WIPE_FOLDER:
            return [](QPainter& p) {
                art::Folder(p, QRectF(5, 2, 22, 16));
                art::Shredder(p, 14);
            };
        case ID_WIPE_RECYCLE_BIN:
            return [](QPainter& p) { art::ShredderBin(p); };
        case ID_OPTIONS:
            return [](QPainter& p) { art::Gear(p); };
        case ID_REMOVE_SELECTED:
            return [](QPainter& p) {
                art::ListSheet(p, QRectF(2.5, 3.5, 24, 22), 1);
                art::Badge(p, EBadge::Minus);
            };
        case ID_REMOVE_ALL:
            return [](QPainter& p) {
                art::ListSheet(p, QRectF(2.5, 3.5, 24, 22), -1);
                art::Badge(p, EBadge::Cross);
            };
        case ID_APP_ABOUT:
            return [](QPainter& p) { art::InfoDisc(p); };
        case ID_HELP_FINDER:
            return [](QPainter& p) { art::HelpBook(p); };
        default:
            return {};
    }
}

}  // namespace

QIcon CommandIcon(int nCommandId) {
    const PaintFn paint = PainterFor(nCommandId);
    return paint ? MakeIcon(paint) : QIcon();
}

namespace {

// The application icon: a page going into the shredder on a red tile, so that it stands apart
// from the WIPE commands' icons beside it on the desktop and in the caption band.
void PaintAppIcon(QPainter& painter) {
    const QRectF tile(1, 1, 30, 30);
    QLinearGradient gradient(tile.topLeft(), tile.bottomLeft());
    gradient.setColorAt(0.0, QColor(0xe5, 0x39, 0x35));
    gradient.setColorAt(1.0, QColor(0xa3, 0x16, 0x16));
    painter.setPen(art::Outline(QColor(0x7f, 0x10, 0x10), 1.0));
    painter.setBrush(gradient);
    painter.drawRoundedRect(tile, 6, 6);
    painter.save();
    painter.translate(16, 16);
    painter.scale(0.82, 0.82);
    painter.translate(-16, -15);
    PageIntoShredder(painter, false);
    painter.restore();
}

}  // namespace

QIcon AppIcon() {
    // Also drawn large: the desktop shows it in launchers and the icon theme keeps big sizes.
    return MakeIcon(PaintAppIcon, {16, 20, 24, 32, 48, 64, 96, 128, 256});
}

}  // namespace quorrel
