#include "toolkit/LogoPane.h"

#include <qdrawutil.h>
#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

namespace quorrel {

namespace {

constexpr int kEdge = 1;

}  // namespace

CXTLogoPane::CXTLogoPane(const QString& text, QWidget* parent) : QFrame(parent), m_text(text) {
    // The raised edge is drawn here rather than by the style, which may draw frames flat.
    setFrameStyle(QFrame::NoFrame);
    setContentsMargins(kEdge, kEdge, kEdge, kEdge);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    setFixedWidth(sizeHint().width());
}

int CXTLogoPane::PaneWidth() const {
    return QFontMetrics(font()).horizontalAdvance(m_text) + 2;
}

QSize CXTLogoPane::sizeHint() const {
    return {PaneWidth() + 2 * kEdge, QFontMetrics(font()).height() + 2 * kEdge};
}

void CXTLogoPane::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    qDrawShadePanel(&painter, rect(), palette(), false, kEdge);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(contentsRect(), Qt::AlignCenter | Qt::TextSingleLine, m_text);
}

void CXTLogoPane::changeEvent(QEvent* event) {
    QFrame::changeEvent(event);
    // A new font (a desktop setting changed) changes the text's width: the pane follows it.
    if (event->type() == QEvent::FontChange) {
        setFixedWidth(sizeHint().width());
    }
}

}  // namespace quorrel
