#include "toolkit/DockState.h"

#include <QtGlobal>

#include <climits>

#include "toolkit/RegistryManager.h"

namespace quorrel {

namespace {

// A list longer than this is no list a frame ever saved: reading stops there.
constexpr int kMaxListEntries = 4096;

// No screen has a coordinate further from the origin than this. A position or edge read
// beyond it is damaged and is kept to it, so that a corner plus a size or one edge minus
// another never leaves the range of an int, in this class or in the frame that applies it.
constexpr int kMaxCoordinate = 1 << 24;

int Bounded(qint64 nValue) {
    return static_cast<int>(qBound(qint64(-kMaxCoordinate), nValue, qint64(kMaxCoordinate)));
}

QPoint Bounded(const QPoint& point) {
    return {Bounded(point.x()), Bounded(point.y())};
}

QString SummarySection(const QString& profileName) {
    return QStringLiteral("%1-Summary").arg(profileName);
}

QString BarSection(const QString& profileName, int nBar) {
    return QStringLiteral("%1-Bar%2").arg(profileName).arg(nBar);
}

QString ListEntry(int nIndex) {
    return QStringLiteral("Bar#%1").arg(nIndex);
}

// Writes the entries of one bar record that differ from their defaults ("BarID" always).
class CBarWriter {
public:
    CBarWriter(CXTRegistryManager& profile, const QString& section)
        : m_profile(profile), m_section(section) {}

    void Write(const char* pszEntry, int nValue) {
        m_bOk = m_profile.WriteProfileInt(m_section, QLatin1String(pszEntry), nValue) && m_bOk;
    }
    void WriteIf(bool bCondition, const char* pszEntry, int nValue) {
        if (bCondition) {
            Write(pszEntry, nValue);
        }
    }
    void WriteList(const QList<int>& list) {
        Write("Bars", static_cast<int>(list.size()));
        for (int i = 0; i < list.size(); ++i) {
            m_bOk = m_profile.WriteProfileInt(m_section, ListEntry(i), list[i]) && m_bOk;
        }
    }
    bool Ok() const { return m_bOk; }

private:
    CXTRegistryManager& m_profile;
    QString m_section;
    bool m_bOk = true;
};

bool SaveBar(CXTRegistryManager& profile, const QString& section, const SXTBarInfo& info) {
    CBarWriter out(profile, section);
    out.Write("BarID", info.nBarID);
    out.WriteIf(!info.bVisible, "Visible", 0);
    if (info.bFloating) {
        out.Write("Horz", info.bHorz ? 1 : 0);
        out.Write("Floating", 1);
    }
    out.WriteIf(info.pointPos.x() != SXTBarInfo::kNoPos, "XPos", info.pointPos.x());
    out.WriteIf(info.pointPos.y() != SXTBarInfo::kNoPos, "YPos", info.pointPos.y());
    out.WriteIf(info.nMRUWidth != SXTBarInfo::kNoWidth, "MRUWidth", info.nMRUWidth);
    if (info.bDocking) {
        out.Write("Docking", 1);
        out.Write("MRUDockID", info.uMRUDockID);
        out.Write("MRUDockLeftPos", info.rectMRUDockPos.left);
        out.Write("MRUDockTopPos", info.rectMRUDockPos.top);
        out.Write("MRUDockRightPos", info.rectMRUDockPos.right);
        out.Write("MRUDockBottomPos", info.rectMRUDockPos.bottom);
        out.Write("MRUFloatStyle", info.dwMRUFloatStyle);
        out.Write("MRUFloatXPos", info.ptMRUFloatPos.x());
        out.Write("MRUFloatYPos", info.ptMRUFloatPos.y());
    }
    if (info.arrBarID.size() > 1) {
        out.WriteList(info.arrBarID);
    }
    out.WriteIf(info.sizeFloat.width() != -1, "FloatCX", info.sizeFloat.width());
    out.WriteIf(info.sizeFloat.height() != -1, "FloatCY", info.sizeFloat.height());
    return out.Ok();
}

// Reads one bar record with the defaults of its entries; false when its list is cut short.
bool LoadBar(const CXTRegistryManager& profile, const QString& section, SXTBarInfo& info) {
    const SXTBarInfo d;
    auto get = [&](const char* pszEntry, int nDefault) {
        return profile.GetProfileInt(section, QLatin1String(pszEntry), nDefault);
    };
    info.nBarID = get("BarID", d.nBarID);
    info.bVisible = get("Visible", 1) != 0;
    info.bHorz = get("Horz", 1) != 0;
    info.bFloating = get("Floating", 0) != 0;
    info.pointPos = QPoint(get("XPos", SXTBarInfo::kNoPos), get("YPos", SXTBarInfo::kNoPos));
    info.nMRUWidth = get("MRUWidth", SXTBarInfo::kNoWidth);
    info.bDocking = get("Docking", 0) != 0;
    if (info.bDocking) {
        info.uMRUDockID = get("MRUDockID", 0);
        info.rectMRUDockPos = {get("MRUDockLeftPos", 0), get("MRUDockTopPos", 0),
                               get("MRUDockRightPos", 0), get("MRUDockBottomPos", 0)};
        info.dwMRUFloatStyle = get("MRUFloatStyle", 0);
        info.ptMRUFloatPos = QPoint(get("MRUFloatXPos", 0), get("MRUFloatYPos", 0));
    }
    info.sizeFloat = QSize(get("FloatCX", -1), get("FloatCY", -1));
    const int nList = get("Bars", 0);
    if (nList < 0 || nList > kMaxListEntries) {
        return false;
    }
    for (int i = 0; i < nList; ++i) {
        // A count larger than the entries present is a damaged record, not a list of zeros.
        if (!profile.HasProfileEntry(section, ListEntry(i))) {
            return false;
        }
        info.arrBarID.append(profile.GetProfileInt(section, ListEntry(i), 0));
    }
    return true;
}

// Scales the bar's positions and keeps them, and its remembered docked edges, to the
// coordinates a screen can have.
void ScaleBar(SXTBarInfo& info, const QSize& from, const QSize& to) {
    info.pointPos = Bounded(ScalePoint(Bounded(info.pointPos), from, to));
    if (info.bDocking) {
        // The remembered docked rectangle moves with its corner and keeps its size.
        SXTEdges& edges = info.rectMRUDockPos;
        const QPoint corner =
            Bounded(ScalePoint(QPoint(Bounded(edges.left), Bounded(edges.top)), from, to));
        const qint64 nWidth = qint64(Bounded(edges.right)) - Bounded(edges.left);
        const qint64 nHeight = qint64(Bounded(edges.bottom)) - Bounded(edges.top);
        edges = {corner.x(), corner.y(), Bounded(corner.x() + nWidth),
                 Bounded(corner.y() + nHeight)};
        info.ptMRUFloatPos = Bounded(ScalePoint(Bounded(info.ptMRUFloatPos), from, to));
    }
}

}  // namespace

bool IsDockBarId(int nBarId) {
    return nBarId >= AFX_IDW_DOCKBAR_TOP && nBarId <= AFX_IDW_DOCKBAR_RIGHT;
}

bool SXTBarInfo::IsDefaultDockBar() const {
    return IsDockBarId(nBarID) && bVisible && !bFloating && pointPos.x() == kNoPos &&
           pointPos.y() == kNoPos && arrBarID.size() <= 1;
}

bool CXTDockState::SaveState(CXTRegistryManager& profile, const QString& profileName,
                             const QSize& screen) const {
    bool bOk = true;
    int nSaved = 0;
    for (const SXTBarInfo& info : m_arrBarInfo) {
        const QString section = BarSection(profileName, nSaved);
        bOk = profile.DeleteProfileSection(section) && bOk;
        if (info.IsDefaultDockBar()) {
            continue;
        }
        bOk = SaveBar(profile, section, info) && bOk;
        ++nSaved;
    }
    const QString summary = SummarySection(profileName);
    bOk = profile.WriteProfileInt(summary, QStringLiteral("Bars"), nSaved) && bOk;
    bOk = profile.WriteProfileInt(summary, QStringLiteral("ScreenCX"), screen.width()) && bOk;
    bOk = profile.WriteProfileInt(summary, QStringLiteral("ScreenCY"), screen.height()) && bOk;
    return bOk;
}

bool CXTDockState::LoadState(const CXTRegistryManager& profile, const QString& profileName,
                             const QSize& screen) {
    m_arrBarInfo.clear();
    m_sizeScreen = QSize();
    const QString summary = SummarySection(profileName);
    if (!profile.HasProfileSection(summary)) {
        return false;
    }
    const int nBars = profile.GetProfileInt(summary, QStringLiteral("Bars"), 0);
    const QSize stored(profile.GetProfileInt(summary, QStringLiteral("ScreenCX"), 0),
                       profile.GetProfileInt(summary, QStringLiteral("ScreenCY"), 0));
    QList<SXTBarInfo> bars;
    for (int i = 0; i < nBars; ++i) {
        // A count beyond the sections present names bars nobody saved: the layout is damaged.
        const QString section = BarSection(profileName, i);
        SXTBarInfo info;
        if (!profile.HasProfileSection(section) || !LoadBar(profile, section, info)) {
            return false;
        }
        ScaleBar(info, stored, screen);
        bars.append(info);
    }
    m_arrBarInfo = bars;
    m_sizeScreen = stored;
    return !m_arrBarInfo.isEmpty();
}

bool CXTDockState::IsApplicableTo(const QSet<int>& frameBars, const QSet<int>& dockableBars) const {
    for (const SXTBarInfo& info : m_arrBarInfo) {
        if (!frameBars.contains(info.nBarID)) {
            return false;
        }
        if (info.bDocking && info.uMRUDockID != 0 && !IsDockBarId(info.uMRUDockID)) {
            return false;
        }
        for (int nId : info.arrBarID) {
            if (nId != 0 && (!IsDockBarId(info.nBarID) || !dockableBars.contains(nId))) {
                return false;
            }
        }
    }
    return true;
}

int MulDivTrunc(int nValue, int nNumerator, int nDenominator) {
    if (nDenominator == 0) {
        return nValue;
    }
    const qint64 nResult = qint64(nValue) * nNumerator / nDenominator;
    return static_cast<int>(qBound(qint64(INT_MIN), nResult, qint64(INT_MAX)));
}

QPoint ScalePoint(const QPoint& point, const QSize& from, const QSize& to) {
    if (from.width() <= 0 || from.height() <= 0 || from == to) {
        return point;
    }
    const int x = point.x() == SXTBarInfo::kNoPos
                      ? point.x()
                      : MulDivTrunc(point.x(), to.width(), from.width());
    const int y = point.y() == SXTBarInfo::kNoPos
                      ? point.y()
                      : MulDivTrunc(point.y(), to.height(), from.height());
    return {x, y};
}

QRect ClipToScreen(const QRect& rect, const QRect& screen) {
    QPoint corner = rect.topLeft();
    // Right and bottom first, so that a bar larger than the screen keeps its corner on it.
    corner.setX(qMin(corner.x(), screen.left() + screen.width() - rect.width()));
    corner.setY(qMin(corner.y(), screen.top() + screen.height() - rect.height()));
    corner.setX(qMax(corner.x(), screen.left()));
    corner.setY(qMax(corner.y(), screen.top()));
    return QRect(corner, rect.size());
}

bool IsSaneSize(const QSize& size, const QSize& screen) {
    return size.width() > 0 && size.height() > 0 && size.width() <= screen.width() &&
           size.height() <= screen.height();
}

}  // namespace quorrel
