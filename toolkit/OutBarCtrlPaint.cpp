// The sidebar's drawing: a slate column with button-like folder headers, white labels under
// (or beside) the icons, raised frames under the pointer, sunken ones while pressed, and an
// accent under the last clicked item.
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "toolkit/ImageList.h"
#include "toolkit/OutBarCtrl.h"

namespace quorrel {

namespace {

// The column: dark enough for white labels, light enough for the icons' dark outlines.
const QColor kBackTop(0x6a, 0x78, 0x88);
const QColor kBackBottom(0x55, 0x61, 0x6f);
const QColor kLabel(0xff, 0xff, 0xff);
const QColor kLabelDisabled(0xc4, 0xca, 0xd2);
const QColor kEdgeLight(255, 255, 255, 150);
const QColor kEdgeDark(0, 0, 0, 120);

enum class ELook { Flat, Raised, Sunken };

// A 3-D frame: light on top and left and dark on the bottom and right when raised, the other
// way round when sunken.
void DrawEdges(QPainter& painter, const QRect& rect, ELook look) {
    if (look == ELook::Flat) {
        return;
    }
    const QColor topLeft = look == ELook::Raised ? kEdgeLight : kEdgeDark;
    const QColor bottomRight = look == ELook::Raised ? kEdgeDark : kEdgeLight;
    painter.setPen(topLeft);
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
}

// A small solid triangle in `rect` pointing up (`nDirection` < 0), down (> 0) or right (0).
void DrawChevron(QPainter& painter, const QRectF& rect, int nDirection, const QColor& color) {
    QPainterPath path;
    const QPointF c = rect.center();
    const qreal r = rect.width() / 2.0;
    if (nDirection < 0) {  // up
        path.moveTo(c.x() - r, c.y() + r / 2);
        path.lineTo(c.x() + r, c.y() + r / 2);
        path.lineTo(c.x(), c.y() - r / 2);
    } else if (nDirection > 0) {  // down
        path.moveTo(c.x() - r, c.y() - r / 2);
        path.lineTo(c.x() + r, c.y() - r / 2);
        path.lineTo(c.x(), c.y() + r / 2);
    } else {  // right
        path.moveTo(c.x() - r / 2, c.y() - r);
        path.lineTo(c.x() - r / 2, c.y() + r);
        path.lineTo(c.x() + r / 2, c.y());
    }
    path.closeSubpath();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(path);
    painter.restore();
}

}  // namespace

void CXTOutBarCtrl::paintEvent(QPaintEvent* /*pEvent*/) {
    QPainter painter(this);
    DrawBackground(painter);
    for (int nFolder = 0; nFolder < GetFolderCount(); ++nFolder) {
        DrawFolder(painter, nFolder);
    }
    DrawItems(painter);
    DrawArrow(painter, true);
    DrawArrow(painter, false);
    DrawFocus(painter);
}

void CXTOutBarCtrl::DrawBackground(QPainter& painter) const {
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0.0, kBackTop);
    gradient.setColorAt(1.0, kBackBottom);
    painter.fillRect(rect(), gradient);
}

void CXTOutBarCtrl::DrawFolder(QPainter& painter, int nFolder) const {
    const QRect header = GetFolderRect(nFolder);
    const bool bPressed = m_press.nHit == HitFolder && m_press.nIndex == nFolder && m_press.bInside;
    const bool bHover = !bPressed && m_press.nHit == HitNone && m_nHoverFolder == nFolder;
    QColor face = palette().color(QPalette::Button);
    if (bPressed) {
        face = face.darker(112);
    } else if (bHover) {
        face = face.lighter(110);
    }
    QLinearGradient gradient(header.topLeft(), header.bottomLeft());
    gradient.setColorAt(0.0, face.lighter(106));
    gradient.setColorAt(1.0, face.darker(106));
    painter.fillRect(header, gradient);
    painter.setPen(QColor(0, 0, 0, 90));
    painter.drawLine(header.bottomLeft(), header.bottomRight());
    DrawEdges(painter, header.adjusted(0, 0, 0, -1),
              bPressed ? ELook::Sunken : (bHover ? ELook::Raised : ELook::Flat));
    if (!bPressed && !bHover) {
        painter.setPen(QColor(255, 255, 255, 110));
        painter.drawLine(header.topLeft(), header.topRight());
    }

    // The open folder's header carries a downward chevron, the closed ones a sideways one, so
    // the stack reads as a set of drawers.
    const QColor text =
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText);
    const QPoint shift = bPressed ? QPoint(1, 1) : QPoint();
    const QRect chevron(header.right() - 16, header.center().y() - 3, 7, 7);
    DrawChevron(painter, QRectF(chevron.translated(shift)), nFolder == m_nSelFolder ? 1 : 0, text);
    QFont bold = font();
    bold.setBold(nFolder == m_nSelFolder);
    painter.setFont(bold);
    painter.setPen(text);
    const QRect textRect = header.adjusted(20, 0, -20, 0).translated(shift);
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine,
                     QFontMetrics(bold).elidedText(GetFolderText(nFolder), Qt::ElideRight,
                                                   qMax(0, textRect.width())));
}

void CXTOutBarCtrl::DrawItems(QPainter& painter) const {
    if (m_nSelFolder < 0) {
        return;
    }
    painter.save();
    painter.setClipRect(GetItemsArea());
    painter.setFont(font());
    for (int nItem = m_nFirstItem; nItem < GetItemCount(); ++nItem) {
        if (GetIconRect(nItem).isNull()) {
            break;
        }
        DrawItem(painter, nItem);
    }
    painter.restore();
}

void CXTOutBarCtrl::DrawItemFrame(QPainter& painter, const QRect& rect, int nIndex) const {
    const bool bPressed = m_press.nHit == HitItem && m_press.nIndex == nIndex && m_press.bInside;
    const bool bHover = m_press.nHit == HitNone && m_nHoverItem == nIndex;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (nIndex == m_nHighlight) {
        QColor accent = palette().color(QPalette::Highlight);
        accent.setAlpha(150);
        painter.setPen(QPen(accent.lighter(140), 1));
        painter.setBrush(accent);
        painter.drawRoundedRect(QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    } else if (bPressed || bHover) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(bPressed ? QColor(0, 0, 0, 45) : QColor(255, 255, 255, 40));
        painter.drawRect(rect);
    }
    painter.restore();
    if (bPressed || bHover) {
        DrawEdges(painter, rect, bPressed ? ELook::Sunken : ELook::Raised);
    }
}

void CXTOutBarCtrl::DrawItem(QPainter& painter, int nIndex) const {
    const QRect icon = GetIconRect(nIndex);
    const QRect label = GetLabelRect(nIndex);
    const bool bSmall = IsSmallIconView();
    // Large icons are framed on their own, like buttons; a small item's whole row is one.
    const QRect frame = bSmall ? GetItemRect(nIndex) : icon.adjusted(-4, -4, 3, 3);
    DrawItemFrame(painter, frame, nIndex);

    const bool bPressed = m_press.nHit == HitItem && m_press.nIndex == nIndex && m_press.bInside;
    const QPoint shift = bPressed ? QPoint(1, 1) : QPoint();
    if (const CImageList* pImages = GetImageList(!bSmall)) {
        pImages->Draw(painter, GetItemImage(nIndex), icon.topLeft() + shift, !isEnabled());
    }
    painter.setPen(isEnabled() ? kLabel : kLabelDisabled);
    if (bSmall) {
        painter.drawText(
            label.translated(shift), Qt::AlignLeft | Qt::AlignVCenter,
            fontMetrics().elidedText(GetItemText(nIndex), Qt::ElideRight, label.width()));
        return;
    }
    const QStringList lines = LabelLines(nIndex, label.width() + 1);
    QRect line(label.left() - 20, label.top(), label.width() + 40, LabelLineHeight());
    for (const QString& text : lines) {
        painter.drawText(line.translated(shift), Qt::AlignHCenter | Qt::AlignTop, text);
        line.translate(0, LabelLineHeight());
    }
}

void CXTOutBarCtrl::DrawArrow(QPainter& painter, bool bUp) const {
    const QRect arrow = GetArrowRect(bUp);
    if (arrow.isNull()) {
        return;
    }
    const int nHit = bUp ? HitUpArrow : HitDownArrow;
    const bool bPushed = m_press.nHit == nHit && m_press.bInside;
    const QColor face = palette().color(QPalette::Button);
    painter.fillRect(arrow, bPushed ? face.darker(112) : face);
    painter.setPen(QColor(0, 0, 0, 110));
    painter.drawRect(arrow.adjusted(0, 0, -1, -1));
    DrawEdges(painter, arrow.adjusted(1, 1, -2, -2), bPushed ? ELook::Sunken : ELook::Raised);
    const QRectF glyph = QRectF(arrow).adjusted(4.5, 4.5, -4.5, -4.5);
    DrawChevron(
        painter, bPushed ? glyph.translated(1, 1) : glyph, bUp ? -1 : 1,
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
}

}  // namespace quorrel
