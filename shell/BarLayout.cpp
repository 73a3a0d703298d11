// The main frame's bar layout: how the bars are read into the profile's records and placed
// again from them.
#include "shell/BarLayout.h"

#include <QDockWidget>
#include <QGuiApplication>
#include <QHash>
#include <QMainWindow>
#include <QScreen>
#include <QSet>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>

#include <algorithm>
#include <utility>

#include "shell/AppSettings.h"
#include "shell/CommandIds.h"
#include "shell/OutputBar.h"
#include "toolkit/DockState.h"
#include "toolkit/RegistryManager.h"

namespace quorrel {

namespace {

// The bars' control IDs, as the layouts of every earlier run name them.
constexpr int AFX_IDW_TOOLBAR = 59392;
constexpr int AFX_IDW_STATUS_BAR = 59393;
constexpr int ID_MENU_BAR = 59398;
constexpr int ID_OUTPUT_BAR = ID_VIEW_OUTPUT_BAR;
constexpr int kDockBars[] = {AFX_IDW_DOCKBAR_TOP, AFX_IDW_DOCKBAR_BOTTOM, AFX_IDW_DOCKBAR_LEFT,
                             AFX_IDW_DOCKBAR_RIGHT};

// The profile name the layout is kept under.
const char kProfileName[] = "Control Bar State";

using SFrameBars = CBarLayout::SBars;

int DockBarOf(Qt::DockWidgetArea area) {
    switch (area) {
        case Qt::BottomDockWidgetArea:
            return AFX_IDW_DOCKBAR_BOTTOM;
        case Qt::LeftDockWidgetArea:
            return AFX_IDW_DOCKBAR_LEFT;
        case Qt::RightDockWidgetArea:
            return AFX_IDW_DOCKBAR_RIGHT;
        default:
            return AFX_IDW_DOCKBAR_TOP;
    }
}

int DockBarOf(Qt::ToolBarArea area) {
    switch (area) {
        case Qt::BottomToolBarArea:
            return AFX_IDW_DOCKBAR_BOTTOM;
        case Qt::LeftToolBarArea:
            return AFX_IDW_DOCKBAR_LEFT;
        case Qt::RightToolBarArea:
            return AFX_IDW_DOCKBAR_RIGHT;
        default:
            return AFX_IDW_DOCKBAR_TOP;
    }
}

Qt::DockWidgetArea DockAreaOf(int nDockBar) {
    switch (nDockBar) {
        case AFX_IDW_DOCKBAR_BOTTOM:
            return Qt::BottomDockWidgetArea;
        case AFX_IDW_DOCKBAR_LEFT:
            return Qt::LeftDockWidgetArea;
        case AFX_IDW_DOCKBAR_RIGHT:
            return Qt::RightDockWidgetArea;
        default:
            return Qt::TopDockWidgetArea;
    }
}

Qt::ToolBarArea ToolBarAreaOf(int nDockBar) {
    switch (nDockBar) {
        case AFX_IDW_DOCKBAR_BOTTOM:
            return Qt::BottomToolBarArea;
        case AFX_IDW_DOCKBAR_LEFT:
            return Qt::LeftToolBarArea;
        case AFX_IDW_DOCKBAR_RIGHT:
            return Qt::RightToolBarArea;
        default:
            return Qt::TopToolBarArea;
    }
}

QSize ScreenSize() {
    const QScreen* pScreen = QGuiApplication::primaryScreen();
    return pScreen ? pScreen->geometry().size() : QSize(1024, 768);
}

// The part of the desktop a window at `point` must stay on.
QRect ScreenAreaAt(const QPoint& point) {
    const QScreen* pScreen = QGuiApplication::screenAt(point);
    if (pScreen == nullptr) {
        pScreen = QGuiApplication::primaryScreen();
    }
    return pScreen ? pScreen->availableGeometry() : QRect(QPoint(0, 0), ScreenSize());
}

QRect GlobalRect(const QWidget& widget) {
    return QRect(widget.mapToGlobal(QPoint(0, 0)), widget.size());
}

// The frame's toolbars with their IDs, in the order the frame made them.
QList<std::pair<QToolBar*, int>> ToolBars(const SFrameBars& bars) {
    return {{&bars.menuBar, ID_MENU_BAR}, {&bars.toolBar, AFX_IDW_TOOLBAR}};
}

QToolBar* ToolBarOf(const SFrameBars& bars, int nId) {
    for (const auto& [pBar, nBarId] : ToolBars(bars)) {
        if (nBarId == nId) {
            return pBar;
        }
    }
    return nullptr;
}

SXTBarInfo ToolBarInfo(const SFrameBars& bars, QToolBar& bar, int nId) {
    SXTBarInfo info;
    info.nBarID = nId;
    info.bVisible = bar.isVisibleTo(&bars.frame);
    info.bFloating = bar.isFloating();
    if (info.bFloating) {
        // A floating toolbar remembers the side it goes back to.
        info.bHorz = bar.orientation() == Qt::Horizontal;
        info.pointPos = bar.geometry().topLeft();
        info.bDocking = true;
        info.uMRUDockID = DockBarOf(bars.frame.toolBarArea(&bar));
    }
    return info;
}

SXTBarInfo OutputBarInfo(const SFrameBars& bars) {
    const QDockWidget& bar = bars.outputBar;
    SXTBarInfo info;
    info.nBarID = ID_OUTPUT_BAR;
    info.bVisible = bar.isVisibleTo(&bars.frame);
    info.bFloating = bar.isFloating();
    // The side it docks on, and while docked its rectangle: that keeps the height (or width)
    // the user dragged it to.
    info.bDocking = true;
    info.uMRUDockID = DockBarOf(bars.frame.dockWidgetArea(&bars.outputBar));
    if (info.bFloating) {
        info.pointPos = bar.geometry().topLeft();
        info.sizeFloat = bar.size();
    } else if (!info.bVisible && bars.outputBar.LastDockedSize().isValid()) {
        // A hidden bar has no size of its own: it keeps the one it was last shown at.
        const QRect rect(GlobalRect(bar).topLeft(), bars.outputBar.LastDockedSize());
        info.rectMRUDockPos = SXTEdges::FromRect(rect);
    } else {
        info.rectMRUDockPos = SXTEdges::FromRect(GlobalRect(bar));
    }
    return info;
}

SXTBarInfo StatusBarInfo(const SFrameBars& bars) {
    SXTBarInfo info;
    info.nBarID = AFX_IDW_STATUS_BAR;
    info.bVisible = bars.statusBar.isVisibleTo(&bars.frame);
    return info;
}

bool IsAcross(int nDockBar) {
    return nDockBar == AFX_IDW_DOCKBAR_TOP || nDockBar == AFX_IDW_DOCKBAR_BOTTOM;
}

// The toolbars docked on side `nDockBar`, row by row from the frame's edge inwards, each row
// from its start; 0 begins every row.
QList<int> ToolBarRows(const SFrameBars& bars, int nDockBar) {
    QList<std::pair<QToolBar*, int>> docked;
    for (const auto& entry : ToolBars(bars)) {
        if (!entry.first->isFloating() &&
            DockBarOf(bars.frame.toolBarArea(entry.first)) == nDockBar) {
            docked.append(entry);
        }
    }
    const bool bAcross = IsAcross(nDockBar);
    auto across = [bAcross](const QToolBar* p) { return bAcross ? p->y() : p->x(); };
    auto along = [bAcross](const QToolBar* p) { return bAcross ? p->x() : p->y(); };
    std::stable_sort(docked.begin(), docked.end(), [&](const auto& a, const auto& b) {
        return std::make_pair(across(a.first), along(a.first)) <
               std::make_pair(across(b.first), along(b.first));
    });
    QList<int> list;
    for (int i = 0; i < docked.size(); ++i) {
        QToolBar* pBar = docked[i].first;
        if (i == 0 || bars.frame.toolBarBreak(pBar) ||
            across(pBar) != across(docked[i - 1].first)) {
            list << 0;
        }
        list << docked[i].second;
    }
    return list;
}

// A dock bar lists the bars docked on its side; the log bar has a row of its own.
SXTBarInfo DockBarInfo(const SFrameBars& bars, int nDockBar) {
    SXTBarInfo info;
    info.nBarID = nDockBar;
    info.arrBarID = ToolBarRows(bars, nDockBar);
    QDockWidget* pLog = &bars.outputBar;
    if (!pLog->isFloating() && DockBarOf(bars.frame.dockWidgetArea(pLog)) == nDockBar) {
        info.arrBarID << 0 << ID_OUTPUT_BAR;
    }
    return info;
}

CXTDockState CaptureState(const SFrameBars& bars) {
    CXTDockState state;
    for (const auto& [pBar, nId] : ToolBars(bars)) {
        state.m_arrBarInfo << ToolBarInfo(bars, *pBar, nId);
    }
    state.m_arrBarInfo << OutputBarInfo(bars) << StatusBarInfo(bars);
    for (int nDockBar : kDockBars) {
        state.m_arrBarInfo << DockBarInfo(bars, nDockBar);
    }
    return state;
}

// Lays the toolbars out again as the dock bars list them. The listed ones are taken out first
// and put back side by side, a new row where a 0 says; a toolbar that its own rules keep off
// a side, or that no list places, goes back where it was.
void ApplyToolBarRows(const SFrameBars& bars, const CXTDockState& state) {
    QHash<QToolBar*, bool> shown;
    QHash<QToolBar*, Qt::ToolBarArea> before;
    for (const SXTBarInfo& info : state.m_arrBarInfo) {
        for (int nId : info.arrBarID) {
            QToolBar* pBar = ToolBarOf(bars, nId);
            if (IsDockBarId(info.nBarID) && pBar != nullptr && !shown.contains(pBar)) {
                shown.insert(pBar, pBar->isVisibleTo(&bars.frame));
                before.insert(pBar, bars.frame.toolBarArea(pBar));
                bars.frame.removeToolBar(pBar);
            }
        }
    }
    QSet<QToolBar*> placed;
    for (const SXTBarInfo& info : state.m_arrBarInfo) {
        if (!IsDockBarId(info.nBarID)) {
            continue;
        }
        const Qt::ToolBarArea area = ToolBarAreaOf(info.nBarID);
        bool bAreaUsed = false;
        for (const auto& [pBar, nId] : ToolBars(bars)) {
            bAreaUsed = bAreaUsed || ((!shown.contains(pBar) || placed.contains(pBar)) &&
                                      bars.frame.toolBarArea(pBar) == area);
        }
        bool bNewRow = false;
        for (int nId : info.arrBarID) {
            QToolBar* pBar = ToolBarOf(bars, nId);
            bNewRow = bNewRow || nId == 0;
            if (pBar == nullptr || placed.contains(pBar) || !pBar->isAreaAllowed(area)) {
                continue;
            }
            if (bAreaUsed && bNewRow) {
                bars.frame.addToolBarBreak(area);
            }
            bars.frame.addToolBar(area, pBar);
            placed.insert(pBar);
            bAreaUsed = true;
            bNewRow = false;
        }
    }
    for (auto it = shown.cbegin(); it != shown.cend(); ++it) {
        if (!placed.contains(it.key())) {
            bars.frame.addToolBar(before.value(it.key()), it.key());
        }
        it.key()->setVisible(it.value());
    }
}

// Puts the log bar on the side a dock bar lists it on.
void ApplyDockBar(const SFrameBars& bars, const SXTBarInfo& info) {
    if (info.arrBarID.contains(ID_OUTPUT_BAR)) {
        bars.frame.addDockWidget(DockAreaOf(info.nBarID), &bars.outputBar);
    }
}

void ApplyToolBar(const SFrameBars& bars, QToolBar& bar, const SXTBarInfo& info) {
    // Qt floats a toolbar only under the user's hand: a floating one goes back to its side.
    if (info.bFloating && info.bDocking && IsDockBarId(info.uMRUDockID) &&
        bar.isAreaAllowed(ToolBarAreaOf(info.uMRUDockID))) {
        bars.frame.addToolBar(ToolBarAreaOf(info.uMRUDockID), &bar);
    }
    // No command shows the menu bar again once it is gone: it is always shown.
    bar.setVisible(info.bVisible || &bar == &bars.menuBar);
}

void ApplyFloatingOutputBar(const SFrameBars& bars, const SXTBarInfo& info) {
    QDockWidget& bar = bars.outputBar;
    if (info.bDocking && IsDockBarId(info.uMRUDockID)) {
        bars.frame.addDockWidget(DockAreaOf(info.uMRUDockID), &bar);
    }
    bar.setFloating(true);
    const QRect screen = ScreenAreaAt(info.pointPos);
    const QSize size = IsSaneSize(info.sizeFloat, screen.size()) ? info.sizeFloat : bar.size();
    QPoint corner = info.pointPos;
    if (corner.x() == SXTBarInfo::kNoPos || corner.y() == SXTBarInfo::kNoPos) {
        corner = bar.geometry().topLeft();
    }
    bar.setGeometry(ClipToScreen(QRect(corner, size), screen));
}

void ApplyOutputBar(const SFrameBars& bars, const SXTBarInfo& info) {
    COutputBar& bar = bars.outputBar;
    if (info.bFloating) {
        ApplyFloatingOutputBar(bars, info);
    } else if (info.bDocking) {
        const QSize size = info.rectMRUDockPos.ToRect().size();
        const Qt::DockWidgetArea area = bars.frame.dockWidgetArea(&bar);
        const bool bAcross = area == Qt::TopDockWidgetArea || area == Qt::BottomDockWidgetArea;
        // A size no screen could show is a damaged entry: the bar keeps the size it has.
        if (IsSaneSize(size, ScreenSize())) {
            bars.frame.resizeDocks({&bar}, {bAcross ? size.height() : size.width()},
                                   bAcross ? Qt::Vertical : Qt::Horizontal);
            bar.SetLastDockedSize(size);
        }
    }
    bar.setVisible(info.bVisible);
}

void ApplyState(const SFrameBars& bars, const CXTDockState& state) {
    ApplyToolBarRows(bars, state);
    for (const SXTBarInfo& info : state.m_arrBarInfo) {
        if (IsDockBarId(info.nBarID)) {
            ApplyDockBar(bars, info);
        }
    }
    for (const SXTBarInfo& info : state.m_arrBarInfo) {
        if (QToolBar* pBar = ToolBarOf(bars, info.nBarID)) {
            ApplyToolBar(bars, *pBar, info);
        } else if (info.nBarID == ID_OUTPUT_BAR) {
            ApplyOutputBar(bars, info);
        } else if (info.nBarID == AFX_IDW_STATUS_BAR) {
            bars.statusBar.setVisible(info.bVisible);
        }
    }
}

}  // namespace

CBarLayout::CBarLayout(const SBars& bars) : m_bars(bars) {}

void CBarLayout::Load() {
    CXTDockState state;
    const CXTRegistryManager profile(OpenProfile());
    if (!state.LoadState(profile, QLatin1String(kProfileName), ScreenSize())) {
        return;
    }
    QSet<int> dockable = {AFX_IDW_TOOLBAR, ID_OUTPUT_BAR, ID_MENU_BAR};
    QSet<int> frameBars = dockable;
    frameBars << AFX_IDW_STATUS_BAR;
    for (int nDockBar : kDockBars) {
        frameBars << nDockBar;
    }
    if (!state.IsApplicableTo(frameBars, dockable)) {
        return;
    }
    ApplyState(m_bars, state);
}

void CBarLayout::Save() const {
    CXTRegistryManager profile(OpenProfile());
    CaptureState(m_bars).SaveState(profile, QLatin1String(kProfileName), ScreenSize());
}

}  // namespace quorrel
