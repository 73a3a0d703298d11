// The main window's placement in the profile: the record, and how it is fitted to the screens.
#include "WindowPlacement.h"

#include <QDataStream>
#include <QGuiApplication>
#include <QIODevice>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QWidget>

#include <limits>
#include <memory>

#include "AppSettings.h"

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
    // Edges far apart give a width no int holds: such a record is damaged, not a window.
    const qint64 nWidth = qint64{nRight} - nLeft, nHeight = qint64{nBottom} - nTop;
    if (in.status() != QDataStream::Ok || nWidth <= 0 || nHeight <= 0 ||
        nWidth > std::numeric_limits<int>::max() || nHeight > std::numeric_limits<int>::max()) {
        return false;
    }
    placement.nShowCmd = nShowCmd;
    placement.normal = QRect(nLeft, nTop, static_cast<int>(nWidth), static_cast<int>(nHeight));
    return true;
}

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

CWindowPlacement::CWindowPlacement(QWidget& window) : m_window(window) {}

// The stored rectangle is the window's inside; the window manager puts the title bar and the
// frame around it. A window larger than its screen, or partly off it, is shrunk and moved to
// fit what the screen offers; one that no screen shows keeps only its size. A placement the
// window cannot be made to fit (the screen is smaller than the window's least size) is not
// applied: the window opens as on a first start.
void CWindowPlacement::Load() {
    const std::unique_ptr<QSettings> pProfile = OpenProfile();
    pProfile->beginGroup(QLatin1String(kSection));
    const QByteArray bytes = pProfile->value(QLatin1String(kEntry)).toByteArray();
    pProfile->endGroup();
    SPlacement placement;
    if (!Decode(bytes, placement)) {
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
QMargins CWindowPlacement::FrameMarginsGuess() const {
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

void CWindowPlacement::Save() const {
    SPlacement placement;
    // Only a maximised window comes back as such; one closed while minimised reopens normal.
    const Qt::WindowStates state = m_window.windowState();
    if ((state & Qt::WindowMaximized) && !(state & Qt::WindowMinimized)) {
        placement.nShowCmd = kShowMaximized;
    }
    const QRect normal = m_window.normalGeometry();
    placement.normal = normal.isValid() ? normal : m_window.geometry();
    const std::unique_ptr<QSettings> pProfile = OpenProfile();
    pProfile->beginGroup(QLatin1String(kSection));
    pProfile->setValue(QLatin1String(kEntry), Encode(placement));
    pProfile->endGroup();
    pProfile->sync();
}

}  // namespace quorrel
