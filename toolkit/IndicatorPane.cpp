#include "toolkit/IndicatorPane.h"

#include <qdrawutil.h>
#include <QFontMetrics>
#include <QPainter>

namespace quorrel {

namespace {

constexpr int kEdge = 1;

}  // namespace

CXTIndicatorPane::CXTIndicatorPane(const QString& text, QWidget* parent)
    : QFrame(parent), m_text(text) {
    // The sunken edge is drawn here rather than by the style, which may draw frames flat.
    setFrameStyle(QFrame::NoFrame);
    setContentsMargins(kEdge, kEdge, kEdge, kEdge);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

void CXTIndicatorPane::SetOn(bool bOn) {
    if (m_bOn != bOn) {
        m_bOn = bOn;
        update();
    }
}

QSize CXTIndicatorPane::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(m_text) + 8 + 2 * kEdge, metrics.height() + 2 * kEdge};
}

void CXTIndicatorPane::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    qDrawShadePanel(&painter, rect(), palette(), true, kEdge);
    if (m_bOn) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(contentsRect(), Qt::AlignCenter | Qt::TextSingleLine, m_text);
    }
}

}  // namespace quorrel
