// The main frame's placement: kept in the profile when the window closes and given back to
// it when it is created, so that it opens where and as large as the user left it.
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

#include <memory>

#include "AppSettings.h"
#include "MainFrame.h"
#include "WindowPlacement.h"

namespace quorrel {

namespace {

// A rectangle that no screen shows any more (a monitor was unplugged) would open the window
// out of reach: then only its size is kept.
bool IsOnAScreen(const QRect& rect) {
    for (const QScreen* pScreen : QGuiApplication::screens()) {
        if (pScreen->availableGeometry().intersects(rect)) {
            return true;
        }
    }
    return false;
}

}  // namespace

void CMainFrame::LoadWindowPlacement() {
    const std::unique_ptr<QSettings> pProfile = OpenProfile();
    SWindowPlacement placement;
    if (!ReadWindowPlacement(*pProfile, placement)) {
        return;
    }
    if (IsOnAScreen(placement.normal)) {
        setGeometry(placement.normal);
    } else {
        resize(placement.normal.size());
    }
    if (placement.nShowCmd == kShowMaximized) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

void CMainFrame::SaveWindowPlacement() {
    SWindowPlacement placement;
    // Only a maximised window comes back as such; one closed while minimised reopens normal.
    const Qt::WindowStates state = windowState();
    if ((state & Qt::WindowMaximized) && !(state & Qt::WindowMinimized)) {
        placement.nShowCmd = kShowMaximized;
    }
    placement.normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    const std::unique_ptr<QSettings> pProfile = OpenProfile();
    WriteWindowPlacement(*pProfile, placement);
    pProfile->sync();
}

void CMainFrame::closeEvent(QCloseEvent* pEvent) {
    if (m_pView != nullptr) {
        SaveBarState(QLatin1String(kBarStateName));
        SaveWindowPlacement();
    }
    QMainWindow::closeEvent(pEvent);
}

}  // namespace quorrel
