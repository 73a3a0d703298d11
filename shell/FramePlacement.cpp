// The main window's placement: the record in the profile (WindowPlacement.h), fitted to the
// screens when it is given back.
#include "shell/FramePlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QWidget>

#include <memory>

#include "shell/AppSettings.h"
#include "shell/WindowPlacement.h"

namespace quorrel {

namespace {

// The screen most of `rect` lies on; null when no screen shows any of it (a monitor was
// unplugged).
const QScreen* ScreenOf(const QRect& rect) {
    const QScreen* pBest = nullptr;
    qint64 nBestArea = 0;
    for (const QScreen* pScreen : QGuiApplication::screens()) {
        const QRect common = pScreen->availableGeometry().intersected(rect);
        const qint64 nArea = qint64{common.width()} * common.height();
        if (nArea > nBestArea) {
            pBest = pScreen;
            nBestArea = nArea;
        }
    }
    return pBest;
}

// `rect` made to fit inside `area`: no larger, and moved in as far as needed, so the title bar
// and the menus stay where the pointer can reach them.
QRect FitInto(const QRect& rect, const QRect& area) {
    const QSize size = rect.size().boundedTo(area.size());
    const int nLeft = qBound(area.left(), rect.left(), area.left() + area.width() - size.width());
    const int nTop = qBound(area.top(), rect.top(), area.top() + area.height() - size.height());
    return QRect(QPoint(nLeft, nTop), size);
}

}  // namespace

CFramePlacement::CFramePlacement(QWidget& window) : m_window(window) {}

// The stored rectangle is the window's inside; the window manager puts the title bar and the
// frame around it. A window larger than its screen, or partly off it, is shrunk and moved to
// fit what the screen offers; one that no screen shows keeps only its size. A placement the
// window cannot be made to fit (the screen is smaller than the window's least size) is not
// applied: the window opens as on a first start.
void CFramePlacement::Load() {
    const std::unique_ptr<QSettings> pProfile = OpenProfile();
    SWindowPlacement placement;
    if (!ReadWindowPlacement(*pProfile, placement)) {
        return;
    }
    const QScreen* pScreen = ScreenOf(placement.normal);
    const QScreen* pHome = pScreen != nullptr ? pScreen : QGuiApplication::primaryScreen();
    if (pHome == nullptr) {
        return;
    }
    const QRect area = pHome->availableGeometry().marginsRemoved(FrameMarginsGuess());
    const QRect fitted = FitInto(placement.normal, area);
    const QSize least = m_window.minimumSizeHint();
    if (!fitted.isValid() || fitted.width() < least.width() || fitted.height() < least.height()) {
        return;
    }
    if (pScreen != nullptr) {
        m_window.setGeometry(fitted);
    } else {
        m_window.resize(fitted.size());
    }
    if (placement.nShowCmd == kShowMaximized) {
        m_window.setWindowState(m_window.windowState() | Qt::WindowMaximized);
    }
}

// What the window manager adds around the window: the real margins once the window has been
// shown with them, else the style's title bar height above and a thin border elsewhere.
QMargins CFramePlacement::FrameMarginsGuess() const {
    const QRect outer = m_window.frameGeometry(), inner = m_window.geometry();
    if (m_window.isVisible() && outer != inner) {
        return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                        outer.right() - inner.right(), outer.bottom() - inner.bottom());
    }
    const QStyle* pStyle = m_window.style();
    const int nBorder = pStyle->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &m_window);
    const int nTitle = pStyle->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &m_window);
    return QMargins(nBorder, nTitle + nBorder, nBorder, nBorder);
}

void CFramePlacement::Save() const {
    SWindowPlacement placement;
    // Only a maximised window comes back as such; one closed while minimised reopens normal.
    const Qt::WindowStates state = m_window.windowState();
    if ((state & Qt::WindowMaximized) && !(state & Qt::WindowMinimized)) {
        placement.nShowCmd = kShowMaximized;
    }
    const QRect normal = m_window.normalGeometry();
    placement.normal = normal.isValid() ? normal : m_window.geometry();
    const std::unique_ptr<QSettings> pProfile = OpenProfile();
    WriteWindowPlacement(*pProfile, placement);
    pProfile->sync();
}

}  // namespace quorrel
