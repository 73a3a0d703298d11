#include "toolkit/Caption.h"

#include <QFontMetrics>
#include <QPainter>

namespace quorrel {

namespace {

constexpr int kIconSize = 16;
constexpr int kIconMargin = 4;

}  // namespace

CXTCaption::CXTCaption(const QString& text, QWidget* parent)
    : QWidget(parent),
      m_text(text),
      m_clrBorder(palette().color(QPalette::Button)),
      m_clrBackground(palette().color(QPalette::Dark)),
      m_clrText(palette().color(QPalette::Base)) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CXTCaption::SetCaptionColors(const QColor& border, const QColor& background,
                                  const QColor& text) {
    m_clrBorder = border;
    m_clrBackground = background;
    m_clrText = text;
    update();
}

void CXTCaption::SetIcon(const QIcon& icon) {
    m_icon = icon;
    update();
}

QSize CXTCaption::sizeHint() const {
    const QFontMetrics metrics(font());
    const int nWidth = metrics.horizontalAdvance(m_text) + 2 * (kIconSize + 2 * kIconMargin);
    return {nWidth + 2 * kBorder, metrics.height() + 4 + 2 * kBorder};
}

void CXTCaption::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), m_clrBorder);
    const QRect band = rect().adjusted(kBorder, kBorder, -kBorder, -kBorder);
    painter.fillRect(band, m_clrBackground);

    // The icon sits at the right end so that the centred text stays centred over the pane.
    QRect textRect = band;
    if (!m_icon.isNull()) {
        const QRect iconRect(band.right() - kIconMargin - kIconSize + 1,
                             band.top() + (band.height() - kIconSize) / 2, kIconSize, kIconSize);
        m_icon.paint(&painter, iconRect);
        textRect.setRight(iconRect.left() - kIconMargin);
        textRect.setLeft(band.left() + kIconSize + 2 * kIconMargin);
    }
    painter.setPen(m_clrText);
    painter.setFont(font());
    const QString shown =
        QFontMetrics(font()).elidedText(m_text, Qt::ElideRight, qMax(0, textRect.width()));
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, shown);
}

QFont CaptionFont(const QFont& base, int nCellHeight) {
    QFont font(base);
    font.setBold(true);
    int nPixels = nCellHeight;
    font.setPixelSize(nPixels);
    while (nPixels > 6 && QFontMetrics(font).height() > nCellHeight) {
        font.setPixelSize(--nPixels);
    }
    return font;
}

}  // namespace quorrel
