#include "shell/ArtShapes.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QtMath>

namespace quorrel::art {

namespace {

const QColor kPaper(0xff, 0xff, 0xff);
const QColor kInk(0x9a, 0xa4, 0xb0);
const QColor kSelection(0x2f, 0x74, 0xd0);
const QColor kRed(0xd3, 0x2f, 0x2f);
const QColor kGreen(0x2e, 0x9d, 0x3a);

QLinearGradient Vertical(const QRectF& rect, const QColor& top, const QColor& bottom) {
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0.0, top);
    gradient.setColorAt(1.0, bottom);
    return gradient;
}

// A question mark of height `h` whose top left is `origin`, as a stroked path and a dot.
void QuestionMark(QPainter& painter, const QPointF& origin, qreal h, const QColor& color) {
    const qreal w = h * 0.6;
    QPainterPath hook;
    hook.moveTo(origin + QPointF(0, h * 0.28));
    hook.arcTo(QRectF(origin, QSizeF(w, h * 0.5)), 180, -230);
    hook.lineTo(origin + QPointF(w * 0.5, h * 0.68));
    painter.setPen(QPen(color, h * 0.16, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(hook);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(origin + QPointF(w * 0.5, h * 0.92), h * 0.1, h * 0.1);
}

}  // namespace

QPen Outline(const QColor& color, qreal width) {
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Page(QPainter& painter, const QRectF& rect, bool bLines) {
    const qreal fold = qMin(rect.width(), rect.height()) * 0.3;
    QPainterPath sheet;
    sheet.moveTo(rect.topLeft());
    sheet.lineTo(rect.right() - fold, rect.top());
    sheet.lineTo(rect.right(), rect.top() + fold);
    sheet.lineTo(rect.bottomRight());
    sheet.lineTo(rect.bottomLeft());
    sheet.closeSubpath();
    painter.setPen(Outline());
    painter.setBrush(Vertical(rect, kPaper, QColor(0xe6, 0xea, 0xef)));
    painter.drawPath(sheet);

    QPainterPath corner;
    corner.moveTo(rect.right() - fold, rect.top());
    corner.lineTo(rect.right() - fold, rect.top() + fold);
    corner.lineTo(rect.right(), rect.top() + fold);
    painter.setBrush(QColor(0xd0, 0xd6, 0xdd));
    painter.drawPath(corner);

    if (bLines) {
        painter.setPen(QPen(kInk, 1.5, Qt::SolidLine, Qt::FlatCap));
        const qreal left = rect.left() + 3.5;
        for (qreal y = rect.top() + fold + 3; y < rect.bottom() - 2; y += 4) {
            const qreal right =
                (y < rect.top() + fold + 4) ? rect.right() - fold - 1 : rect.right() - 3.5;
            painter.drawLine(QPointF(left, y), QPointF(right, y));
        }
    }
}

void Folder(QPainter& painter, const QRectF& rect) {
    const qreal tab = rect.height() * 0.22;
    const QColor line(0xa0, 0x6e, 0x0c);
    QPainterPath back;
    back.moveTo(rect.left(), rect.bottom());
    back.lineTo(rect.left(), rect.top());
    back.lineTo(rect.left() + rect.width() * 0.38, rect.top());
    back.lineTo(rect.left() + rect.width() * 0.46, rect.top() + tab);
    back.lineTo(rect.right(), rect.top() + tab);
    back.lineTo(rect.right(), rect.bottom());
    back.closeSubpath();
    painter.setPen(Outline(line));
    painter.setBrush(QColor(0xe9, 0xa8, 0x1f));
    painter.drawPath(back);

    const QRectF front(rect.left(), rect.top() + tab * 2, rect.width(), rect.height() - tab * 2);
    QPainterPath body;
    body.moveTo(front.left() + 2, front.top());
    body.lineTo(front.right(), front.top());
    body.lineTo(front.right() - 1, front.bottom());
    body.lineTo(front.left(), front.bottom());
    body.closeSubpath();
    painter.setBrush(Vertical(front, QColor(0xff, 0xe0, 0x7a), QColor(0xf4, 0xb9, 0x2e)));
    painter.drawPath(body);
}

void ListSheet(QPainter& painter, const QRectF& rect, int nHighlight) {
    painter.setPen(Outline());
    painter.setBrush(kPaper);
    painter.drawRoundedRect(rect, 1.5, 1.5);
    const qreal rowHeight = (rect.height() - 4) / 4;
    for (int nRow = 0; nRow < 4; ++nRow) {
        const QRectF row(rect.left() + 2, rect.top() + 2 + nRow * rowHeight, rect.width() - 4,
                         rowHeight);
        if (nRow == nHighlight) {
            painter.fillRect(row.adjusted(0, 0.5, 0, -0.5), kSelection);
        }
        painter.setPen(QPen(nRow == nHighlight ? kPaper : kInk, 1.5, Qt::SolidLine, Qt::FlatCap));
        const qreal y = row.center().y();
        painter.drawLine(QPointF(row.left() + 1.5, y), QPointF(row.left() + 4, y));
        painter.drawLine(QPointF(row.left() + 6, y), QPointF(row.right() - 1.5, y));
    }
}

void Shredder(QPainter& painter, qreal top) {
    // Strips of paper leave the shredder first, so that its body covers their upper ends.
    painter.setPen(Outline(QColor(0x5a, 0x62, 0x6b), 1.0));
    painter.setBrush(kPaper);
    const qreal lengths[] = {7.5, 6.0, 8.0, 5.5, 7.0};
    for (int i = 0; i < 5; ++i) {
        painter.drawRect(QRectF(7.0 + i * 4.0, top + 6, 2.6, lengths[i]));
    }
    const QRectF body(2.5, top, 27, 8);
    painter.setPen(Outline(QColor(0x22, 0x27, 0x2c)));
    painter.setBrush(Vertical(body, QColor(0x6b, 0x77, 0x82), QColor(0x37, 0x40, 0x48)));
    painter.drawRoundedRect(body, 2, 2);
    painter.setPen(QPen(kRed, 2.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(6.5, top + 3), QPointF(25.5, top + 3));
}

void ShredderBin(QPainter& painter) {
    QPainterPath can;
    can.moveTo(6, 11);
    can.lineTo(26, 11);
    can.lineTo(24, 30);
    can.lineTo(8, 30);
    can.closeSubpath();
    painter.setPen(Outline());
    painter.setBrush(
        Vertical(QRectF(6, 11, 20, 19), QColor(0xd9, 0xe2, 0xea), QColor(0x9a, 0xaa, 0xb8)));
    painter.drawPath(can);
    painter.setPen(QPen(QColor(0x6f, 0x7d, 0x8a), 1.5, Qt::SolidLine, Qt::RoundCap));
    for (qreal x : {12.0, 16.0, 20.0}) {
        painter.drawLine(QPointF(x, 14), QPointF(x, 27));
    }
    // The lid is the shredder's head: what goes into this bin is shredded.
    const QRectF lid(3, 4, 26, 7);
    painter.setPen(Outline(QColor(0x22, 0x27, 0x2c)));
    painter.setBrush(Vertical(lid, QColor(0x6b, 0x77, 0x82), QColor(0x37, 0x40, 0x48)));
    painter.drawRoundedRect(lid, 2, 2);
    painter.setPen(QPen(kRed, 2.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(7, 7.5), QPointF(25, 7.5));
    painter.setPen(Outline(QColor(0x22, 0x27, 0x2c)));
    painter.setBrush(Qt::NoBrush);
    painter.drawLine(QPointF(13, 4), QPointF(14, 1.5));
    painter.drawLine(QPointF(14, 1.5), QPointF(18, 1.5));
    painter.drawLine(QPointF(18, 1.5), QPointF(19, 4));
}

void Gear(QPainter& painter) {
    const QPointF centre(16, 16);
    QPainterPath wheel;
    const int nTeeth = 8;
    for (int i = 0; i < nTeeth * 4; ++i) {
        // Each tooth: two points out on the rim, two points in at the root.
        const bool bOut = (i % 4 == 1) || (i % 4 == 2);
        const qreal radius = bOut ? 14.0 : 10.5;
        const qreal angle = (i - 0.5) * 2 * M_PI / (nTeeth * 4);
        const QPointF point = centre + QPointF(radius * qCos(angle), radius * qSin(angle));
        if (i == 0) {
            wheel.moveTo(point);
        } else {
            wheel.lineTo(point);
        }
    }
    wheel.closeSubpath();
    wheel.addEllipse(centre, 4.5, 4.5);
    wheel.setFillRule(Qt::OddEvenFill);
    painter.setPen(Outline(QColor(0x2c, 0x3e, 0x50)));
    painter.setBrush(
        Vertical(QRectF(2, 2, 28, 28), QColor(0x9c, 0xb2, 0xc7), QColor(0x52, 0x6d, 0x88)));
    painter.drawPath(wheel);
}

void InfoDisc(QPainter& painter) {
    const QRectF disc(2, 2, 28, 28);
    painter.setPen(Outline(QColor(0x12, 0x4a, 0x94)));
    painter.setBrush(Vertical(disc, QColor(0x5a, 0x9c, 0xf0), QColor(0x1c, 0x5f, 0xc0)));
    painter.drawEllipse(disc);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kPaper);
    painter.drawEllipse(QPointF(16, 9.5), 2.4, 2.4);
    painter.drawRoundedRect(QRectF(14, 13.5, 4, 11.5), 1.2, 1.2);
}

void HelpBook(QPainter& painter) {
    const QColor cover(0x1c, 0x5f, 0xc0);
    QPainterPath left, right;
    left.moveTo(16, 8);
    left.cubicTo(12, 5, 6, 5, 2, 7);
    left.lineTo(2, 27);
    left.cubicTo(6, 25, 12, 25, 16, 28);
    left.closeSubpath();
    right.moveTo(16, 8);
    right.cubicTo(20, 5, 26, 5, 30, 7);
    right.lineTo(30, 27);
    right.cubicTo(26, 25, 20, 25, 16, 28);
    right.closeSubpath();
    painter.setPen(Outline(cover));
    painter.setBrush(kPaper);
    painter.drawPath(left);
    painter.drawPath(right);
    painter.setPen(QPen(kInk, 1.5, Qt::SolidLine, Qt::FlatCap));
    for (qreal y : {12.0, 16.0, 20.0}) {
        painter.drawLine(QPointF(5, y), QPointF(13, y + 0.5));
    }
    QuestionMark(painter, QPointF(19.5, 9.5), 14, cover);
}

void Badge(QPainter& painter, EBadge kind) {
    const QPointF centre(24.5, 24.5);
    const QColor fill = kind == EBadge::Plus ? kGreen : kRed;
    painter.setPen(Outline(kPaper, 1.5));
    painter.setBrush(fill);
    painter.drawEllipse(centre, 7, 7);
    painter.setPen(QPen(kPaper, 2.4, Qt::SolidLine, Qt::RoundCap));
    const qreal a = 3.4;
    if (kind == EBadge::Cross) {
        const qreal d = a * 0.8;
        painter.drawLine(centre + QPointF(-d, -d), centre + QPointF(d, d));
        painter.drawLine(centre + QPointF(d, -d), centre + QPointF(-d, d));
        return;
    }
    painter.drawLine(centre + QPointF(-a, 0), centre + QPointF(a, 0));
    if (kind == EBadge::Plus) {
        painter.drawLine(centre + QPointF(0, -a), centre + QPointF(0, a));
    }
}

}  // namespace quorrel::art
