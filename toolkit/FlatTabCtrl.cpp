#include "toolkit/FlatTabCtrl.h"

#include <QPainter>
#include <QPainterPath>

namespace quorrel {

namespace {

// How far a tab's side slants, and the room its text keeps from the slant.
constexpr int kSlant = 6;
constexpr int kTextPadding = 8;

}  // namespace

CXTFlatTabCtrl::CXTFlatTabCtrl(QWidget* parent)
    : QTabBar(parent), m_nHeight(fontMetrics().height() + 2) {
    setShape(QTabBar::RoundedSouth);
    setDrawBase(false);
    setExpanding(false);
    setUsesScrollButtons(true);
    setElideMode(Qt::ElideRight);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void CXTFlatTabCtrl::SetStripHeight(int nHeight) {
    m_nHeight = qMax(1, nHeight);
    setFixedHeight(m_nHeight);
    updateGeometry();
    update();
}

QSize CXTFlatTabCtrl::sizeHint() const {
    int nWidth = 0;
    for (int i = 0; i < count(); ++i) {
        nWidth += tabSizeHint(i).width();
    }
    return {nWidth, m_nHeight};
}

QSize CXTFlatTabCtrl::minimumSizeHint() const {
    return {0, m_nHeight};
}

QSize CXTFlatTabCtrl::tabSizeHint(int nIndex) const {
    const int nText = fontMetrics().horizontalAdvance(tabText(nIndex));
    return {nText + 2 * (kSlant + kTextPadding), m_nHeight};
}

QPolygonF CXTFlatTabCtrl::TabShape(int nIndex) const {
    const QRectF r = tabRect(nIndex);
    const qreal left = r.left() + 0.5, right = r.right() + 0.5;
    const qreal top = r.top(), bottom = r.bottom() + 0.5;
    return QPolygonF({QPointF(left, top), QPointF(left + kSlant, bottom),
                      QPointF(right - kSlant, bottom), QPointF(right, top)});
}

void CXTFlatTabCtrl::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QPalette& pal = palette();
    painter.fillRect(rect(), pal.color(QPalette::Button));
    painter.setRenderHint(QPainter::Antialiasing);

    // The tabs behind first, the current one last, so that it lies on top of its neighbours.
    QList<int> order;
    for (int i = count() - 1; i >= 0; --i) {
        if (i != currentIndex()) {
            order.append(i);
        }
    }
    if (currentIndex() >= 0) {
        order.append(currentIndex());
    }
    for (int nIndex : order) {
        const bool bCurrent = nIndex == currentIndex();
        const QPolygonF shape = TabShape(nIndex);
        QPainterPath path;
        path.addPolygon(shape);
        painter.fillPath(path, pal.color(bCurrent ? QPalette::Base : QPalette::Button));
        painter.setPen(QPen(pal.color(QPalette::Shadow), 1.0));
        painter.drawPolyline(shape);
        painter.setPen(pal.color(bCurrent ? QPalette::Text : QPalette::ButtonText));
        const QRect textRect = tabRect(nIndex).adjusted(kSlant, 0, -kSlant, 0);
        painter.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, tabText(nIndex));
    }
    // The strip's top line, broken under the current tab so that tab and pane read as one.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(pal.color(QPalette::Shadow));
    if (currentIndex() >= 0) {
        const QPolygonF shape = TabShape(currentIndex());
        painter.drawLine(QPointF(0, 0), QPointF(shape.first().x(), 0));
        painter.drawLine(QPointF(shape.last().x(), 0), QPointF(width(), 0));
    } else {
        painter.drawLine(0, 0, width(), 0);
    }
}

}  // namespace quorrel
