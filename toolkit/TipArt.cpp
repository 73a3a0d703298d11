#include "toolkit/TipArt.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

namespace quorrel {

void DrawTipBulb(QPainter& painter, const QRect& strip) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 32 x 48 grid and scaled to the strip, so the bulb keeps its shape.
    const qreal scale = qMin(1.0, (strip.width() - 8) / 32.0);
    painter.translate(strip.center().x() - 16 * scale, strip.top() + 16);
    painter.scale(scale, scale);

    // Rays.
    painter.setPen(QPen(QColor(255, 236, 140), 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(16, -6), QPointF(16, -1));
    painter.drawLine(QPointF(0, 2), QPointF(4, 5));
    painter.drawLine(QPointF(32, 2), QPointF(28, 5));
    painter.drawLine(QPointF(-4, 15), QPointF(1, 15));
    painter.drawLine(QPointF(36, 15), QPointF(31, 15));

    // The glass: a circle narrowing into the neck.
    QPainterPath glass;
    glass.moveTo(10, 29);
    glass.cubicTo(10, 24, 3, 21, 3, 14);
    glass.cubicTo(3, 6, 9, 1, 16, 1);
    glass.cubicTo(23, 1, 29, 6, 29, 14);
    glass.cubicTo(29, 21, 22, 24, 22, 29);
    glass.closeSubpath();
    QRadialGradient light(QPointF(13, 11), 16);
    light.setColorAt(0, QColor(255, 255, 235));
    light.setColorAt(0.6, QColor(255, 232, 90));
    light.setColorAt(1, QColor(232, 178, 30));
    painter.setBrush(light);
    painter.setPen(QPen(QColor(120, 90, 10), 1.2));
    painter.drawPath(glass);

    // The filament.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(170, 100, 0), 1.2));
    QPainterPath filament;
    filament.moveTo(13, 28);
    filament.lineTo(13, 19);
    filament.cubicTo(14, 15, 15, 15, 16, 19);
    filament.cubicTo(17, 15, 18, 15, 19, 19);
    filament.lineTo(19, 28);
    painter.drawPath(filament);

    // The screw base.
    painter.setPen(QPen(QColor(70, 70, 70), 1));
    painter.setBrush(QColor(190, 190, 190));
    for (int i = 0; i < 3; ++i) {
        painter.drawRoundedRect(QRectF(10, 29 + i * 4, 12, 4), 1.5, 1.5);
    }
    painter.setBrush(QColor(60, 60, 60));
    painter.drawRoundedRect(QRectF(13, 41, 6, 3), 1.5, 1.5);
    painter.restore();
}

QStringList WrapWithEllipsis(const QString& text, const QFont& font, const QSize& area) {
    QString body = text;
    while (body.endsWith(QLatin1Char('\n'))) {
        body.chop(1);
    }
    body.replace(QLatin1Char('\n'), QChar::LineSeparator);
    const QFontMetrics metrics(font);
    QTextLayout layout(body, font);
    // A word wider than the area (a long path, a URL) is broken where the area ends.
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    QStringList lines;
    int nTop = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(area.width());
        const bool bLastThatFits = nTop + 2 * metrics.lineSpacing() > area.height();
        const int nEnd = line.textStart() + line.textLength();
        if (bLastThatFits && nEnd < body.size()) {
            // The rest of the text would fall below the area: what fits of it ends in "...".
            const QString rest = body.mid(line.textStart()).simplified();
            lines.append(metrics.elidedText(rest, Qt::ElideRight, area.width()));
            break;
        }
        lines.append(body.mid(line.textStart(), line.textLength()).trimmed());
        nTop += metrics.lineSpacing();
        if (bLastThatFits) {
            break;
        }
    }
    layout.endLayout();
    return lines;
}

void DrawTipText(QPainter& painter, const QRect& area, const QString& text) {
    const QFontMetrics metrics(painter.font());
    const QStringList lines = WrapWithEllipsis(text, painter.font(), area.size());
    // Nothing of the tip is ever drawn over the dialog around its area.
    painter.save();
    painter.setClipRect(area, Qt::IntersectClip);
    int nBaseline = area.top() + metrics.ascent();
    for (const QString& line : lines) {
        painter.drawText(QPoint(area.left(), nBaseline), line);
        nBaseline += metrics.lineSpacing();
    }
    painter.restore();
}

}  // namespace quorrel
