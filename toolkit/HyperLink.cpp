#include "toolkit/HyperLink.h"
#include "toolkit/QtCompat.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QUrl>

namespace quorrel {

namespace {

CXTHyperLink::UrlOpener& Opener() {
    static CXTHyperLink::UrlOpener opener;
    return opener;
}

}  // namespace

CXTHyperLink::CXTHyperLink(const QString& text, QWidget* pParent) : QLabel(text, pParent) {
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    // Reachable from the keyboard too: Tab to it, then Space or Enter.
    setFocusPolicy(Qt::TabFocus);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, colours.color(QPalette::Link));
    setPalette(colours);
    QFont linkFont = font();
    linkFont.setUnderline(true);
    setFont(linkFont);
}

void CXTHyperLink::SetURL(const QString& url) {
    m_strURL = url;
    setToolTip(url);
}

bool CXTHyperLink::Open() {
    if (m_strURL.isEmpty()) {
        return false;
    }
    const QUrl url(m_strURL);
    const bool bOpened = OpenUrl(url);
    if (!bOpened) {
        emit openFailed(m_strURL);
    }
    return bOpened;
}

void CXTHyperLink::SetUrlOpener(UrlOpener opener) {
    Opener() = std::move(opener);
}

bool CXTHyperLink::OpenUrl(const QUrl& url) {
    return Opener() ? Opener()(url) : QDesktopServices::openUrl(url);
}

void CXTHyperLink::mousePressEvent(QMouseEvent* pEvent) {
    m_bPressed = pEvent->button() == Qt::LeftButton;
    pEvent->accept();
}

void CXTHyperLink::mouseReleaseEvent(QMouseEvent* pEvent) {
    // A press dragged off the link and released elsewhere opens nothing, as with a button.
    const bool bClick = m_bPressed && pEvent->button() == Qt::LeftButton &&
                        rect().contains(EventPosition(pEvent).toPoint());
    m_bPressed = false;
    pEvent->accept();
    if (bClick) {
        Open();
    }
}

void CXTHyperLink::keyPressEvent(QKeyEvent* pEvent) {
    const int key = pEvent->key();
    if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
        pEvent->accept();
        Open();
        return;
    }
    QLabel::keyPressEvent(pEvent);
}

}  // namespace quorrel
