// The main frame's placement: kept in the profile when the window closes and given back to
// it when it is created, so that it opens where and as large as the user left it.
#include <QCloseEvent>
#include <QDataStream>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

#include <memory>

#include "AppSettings.h"
#include "MainFrame.h"

namespace quorrel {

namespace {

// Value "Window Position" of section "Settings": a reserved word, then the 44-byte window
// placement record of the desktop this program was first written for: its length, flags,
// show command, minimised and maximised positions and the normal rectangle (left, top,
// right, bottom), all 32-bit little-endian. The same bytes serve both systems.
const char kSection[] = "Settings";
const char kEntry[] = "Window Position";
constexpr int kRecordSize = 48;
constexpr qint32 kPlacementLength = 44;
constexpr qint32 kShowNormal = 1;
constexpr qint32 kShowMaximized = 3;

struct SPlacement {
    qint32 nShowCmd = kShowNormal;
    QRect normal;
};

QByteArray Encode(const SPlacement& placement) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    const QRect& r = placement.normal;
    out << qint32(0) << kPlacementLength << qint32(0) << placement.nShowCmd << qint32(-1)
        << qint32(-1) << qint32(-1) << qint32(-1) << qint32(r.left()) << qint32(r.top())
        << qint32(r.left() + r.width()) << qint32(r.top() + r.height());
    return bytes;
}

bool Decode(const QByteArray& bytes, SPlacement& placement) {
    if (bytes.size() != kRecordSize) {
        return false;
    }
    QDataStream in(bytes);
    in.setByteOrder(QDataStream::LittleEndian);
    qint32 nReserved = 0, nLength = 0, nFlags = 0, nShowCmd = 0, nMinX = 0, nMinY = 0;
    qint32 nMaxX = 0, nMaxY = 0, nLeft = 0, nTop = 0, nRight = 0, nBottom = 0;
    in >> nReserved >> nLength >> nFlags >> nShowCmd >> nMinX >> nMinY >> nMaxX >> nMaxY >> nLeft >>
        nTop >> nRight >> nBottom;
    placement.nShowCmd = nShowCmd;
    placement.normal = QRect(QPoint(nLeft, nTop), QSize(nRight - nLeft, nBottom - nTop));
    return in.status() == QDataStream::Ok;
}

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
    pProfile->beginGroup(QLatin1String(kSection));
    const QByteArray bytes = pProfile->value(QLatin1String(kEntry)).toByteArray();
    pProfile->endGroup();
    SPlacement placement;
    if (!Decode(bytes, placement) || placement.normal.width() <= 0 ||
        placement.normal.height() <= 0) {
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
    SPlacement placement;
    // Only a maximised window comes back as such; one closed while minimised reopens normal.
    const Qt::WindowStates state = windowState();
    if ((state & Qt::WindowMaximized) && !(state & Qt::WindowMinimized)) {
        placement.nShowCmd = kShowMaximized;
    }
    placement.normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    const std::unique_ptr<QSettings> pProfile = OpenProfile();
    pProfile->beginGroup(QLatin1String(kSection));
    pProfile->setValue(QLatin1String(kEntry), Encode(placement));
    pProfile->endGroup();
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
