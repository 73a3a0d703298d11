// The bars' layout in the profile, read as the main frame reads it when it is created: the
// whole profile through the settings object, the layout scaled to the screen, checked against
// the frame's bars, and each record's geometry made into what the frame would apply.
#include <QSet>
#include <QSettings>

#include <cstdlib>
#include <memory>

#include "tests/fuzz/FuzzInput.h"
#include "toolkit/DockState.h"
#include "toolkit/RegistryManager.h"

using namespace quorrel;

namespace {

constexpr int kToolBar = 59392;
constexpr int kStatusBar = 59393;
constexpr int kMenuBar = 59398;
constexpr int kOutputBar = 17001;

// Whether every position of the record lies where a screen could: a corner plus a size must
// stay within an int.
bool IsBounded(const SXTBarInfo& info) {
    auto in = [](int v) { return v >= -(1 << 24) && v <= (1 << 24); };
    const SXTEdges& r = info.rectMRUDockPos;
    return in(info.pointPos.x()) && in(info.pointPos.y()) && in(info.ptMRUFloatPos.x()) &&
           in(info.ptMRUFloatPos.y()) && in(r.left) && in(r.top) && in(r.right) && in(r.bottom);
}

void ApplyGeometry(const SXTBarInfo& info, const QSize& screen) {
    const QRect area(QPoint(0, 0), screen);
    const QSize size = IsSaneSize(info.sizeFloat, screen) ? info.sizeFloat : QSize(300, 120);
    QPoint corner = info.pointPos;
    if (corner.x() == SXTBarInfo::kNoPos || corner.y() == SXTBarInfo::kNoPos) {
        corner = QPoint(10, 10);
    }
    (void)ClipToScreen(QRect(corner, size), area);
    if (info.bDocking) {
        (void)IsSaneSize(info.rectMRUDockPos.ToRect().size(), screen);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    quorrel::fuzz::StartQt(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const quorrel::fuzz::CInputFile file(data, size);
    const CXTRegistryManager profile(
        std::make_unique<QSettings>(QString::fromStdString(file.Path()), QSettings::IniFormat));
    const QSize screen(1920, 1080);
    CXTDockState state;
    if (!state.LoadState(profile, QStringLiteral("Control Bar State"), screen)) {
        return 0;
    }
    const QSet<int> dockable = {kToolBar, kOutputBar, kMenuBar};
    QSet<int> frameBars = dockable;
    frameBars << kStatusBar << AFX_IDW_DOCKBAR_TOP << AFX_IDW_DOCKBAR_BOTTOM << AFX_IDW_DOCKBAR_LEFT
              << AFX_IDW_DOCKBAR_RIGHT;
    (void)state.IsApplicableTo(frameBars, dockable);
    for (const SXTBarInfo& info : state.m_arrBarInfo) {
        if (!IsBounded(info)) {
            std::abort();
        }
        ApplyGeometry(info, screen);
    }
    return 0;
}
