#include "toolkit/DockTitleBar.h"

#include <QDockWidget>
#include <QEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace quorrel {

namespace {

constexpr int kButtonSize = 16;
constexpr int kGlyphSize = 10;
constexpr int kMargin = 3;

QToolButton* MakeCaptionButton(QWidget* parent, const char* pszObjectName) {
    auto* pButton = new QToolButton(parent);
    pButton->setObjectName(QString::fromLatin1(pszObjectName));
    pButton->setAutoRaise(true);
    pButton->setFocusPolicy(Qt::NoFocus);
    pButton->setFixedSize(kButtonSize, kButtonSize);
    pButton->setIconSize(QSize(kGlyphSize, kGlyphSize));
    return pButton;
}

// A chevron pointing `glyph`'s way, inside a square of side `s`.
QPainterPath Chevron(CXTDockTitleBar::EGlyph glyph, qreal s) {
    const qreal a = s * 0.2, b = s * 0.5, c = s * 0.8, t = s * 0.3, u = s * 0.7;
    QPainterPath path;
    switch (glyph) {
        case CXTDockTitleBar::GlyphUp:
            path.moveTo(a, u), path.lineTo(b, t), path.lineTo(c, u);
            break;
        case CXTDockTitleBar::GlyphDown:
            path.moveTo(a, t), path.lineTo(b, u), path.lineTo(c, t);
            break;
        case CXTDockTitleBar::GlyphLeft:
            path.moveTo(u, a), path.lineTo(t, b), path.lineTo(u, c);
            break;
        default:
            path.moveTo(t, a), path.lineTo(u, b), path.lineTo(t, c);
            break;
    }
    return path;
}

}  // namespace

CXTDockTitleBar::CXTDockTitleBar(QWidget* parent)
    : QWidget(parent),
      m_pHideButton(MakeCaptionButton(this, "dockHideButton")),
      m_pExpandButton(MakeCaptionButton(this, "dockExpandButton")) {
    m_pHideButton->setToolTip(QStringLiteral("Hide docked window"));
    m_pExpandButton->setToolTip(QStringLiteral("Expand docked window"));
    UpdateGlyphs();
}

void CXTDockTitleBar::SetActive(bool bActive) {
    if (m_bActive != bActive) {
        m_bActive = bActive;
        UpdateGlyphs();
        update();
    }
}

void CXTDockTitleBar::SetExpandGlyph(EGlyph glyph, const QString& toolTip) {
    m_expandGlyph = glyph;
    m_pExpandButton->setToolTip(toolTip);
    UpdateGlyphs();
}

QSize CXTDockTitleBar::sizeHint() const {
    const int nHeight = qMax(fontMetrics().height() + 2 * kMargin, kButtonSize + 2 * kMargin);
    return {fontMetrics().horizontalAdvance(windowTitle()) + 3 * kButtonSize, nHeight};
}

QSize CXTDockTitleBar::minimumSizeHint() const {
    return {2 * kButtonSize + 3 * kMargin, sizeHint().height()};
}

QIcon CXTDockTitleBar::Glyph(EGlyph glyph, const QColor& color, int nSize) {
    QPixmap pixmap(nSize * 2, nSize * 2);  // drawn at twice the size: sharp on dense screens
    pixmap.setDevicePixelRatio(2.0);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const qreal s = nSize;
    if (glyph == GlyphClose) {
        painter.drawLine(QPointF(s * 0.22, s * 0.22), QPointF(s * 0.78, s * 0.78));
        painter.drawLine(QPointF(s * 0.78, s * 0.22), QPointF(s * 0.22, s * 0.78));
    } else {
        painter.drawPath(Chevron(glyph, s));
    }
    return QIcon(pixmap);
}

QColor CXTDockTitleBar::TextColor() const {
    if (!isEnabled()) {
        // The disabled text colour vanishes on the strip's grey; a faded normal one stays legible.
        QColor faded = palette().color(QPalette::Active, QPalette::WindowText);
        faded.setAlpha(140);
        return faded;
    }
    return palette().color(m_bActive ? QPalette::HighlightedText : QPalette::WindowText);
}

void CXTDockTitleBar::UpdateGlyphs() {
    const QColor color = TextColor();
    m_pHideButton->setIcon(Glyph(GlyphClose, color, kGlyphSize));
    m_pExpandButton->setIcon(Glyph(m_expandGlyph, color, kGlyphSize));
}

void CXTDockTitleBar::PlaceButtons() {
    const int nTop = (height() - kButtonSize) / 2;
    int nLeft = width() - kMargin - kButtonSize;
    m_pHideButton->move(nLeft, nTop);
    if (!m_pExpandButton->isHidden()) {
        nLeft -= kButtonSize;
        m_pExpandButton->move(nLeft, nTop);
    }
}

void CXTDockTitleBar::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QPalette& pal = palette();
    // A gradient from the caption colour towards the window colour, as title bars are drawn.
    const QColor from = m_bActive ? pal.color(QPalette::Highlight) : pal.color(QPalette::Mid);
    const QColor to =
        m_bActive ? pal.color(QPalette::Highlight).lighter(135) : pal.color(QPalette::Button);
    QLinearGradient gradient(rect().topLeft(), rect().topRight());
    gradient.setColorAt(0.0, from);
    gradient.setColorAt(1.0, to);
    painter.fillRect(rect().adjusted(1, 1, -1, -1), gradient);

    auto* pDock = qobject_cast<QDockWidget*>(parentWidget());
    const QString title = pDock ? pDock->windowTitle() : windowTitle();
    int nRight = m_pHideButton->x() - kMargin;
    if (!m_pExpandButton->isHidden()) {
        nRight = m_pExpandButton->x() - kMargin;
    }
    const QRect textRect(kMargin + 2, 0, qMax(0, nRight - kMargin - 2), height());
    painter.setPen(TextColor());
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     fontMetrics().elidedText(title, Qt::ElideRight, textRect.width()));
}

void CXTDockTitleBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceButtons();
}

void CXTDockTitleBar::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::EnabledChange) {
        UpdateGlyphs();
    }
}

}  // namespace quorrel
