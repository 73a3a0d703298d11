// The layout of a frame's control bars as the profile keeps it: one summary section and one
// section per saved bar, with integer entries, so that the layout one run leaves is the one
// the next run finds. The frame captures its bars into a CXTDockState and applies one back;
// this class only knows the records, their defaults and their profile form.
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSet>
#include <QSize>
#include <QString>

namespace quorrel {

class CXTRegistryManager;

// The framework's dock bars, one along each side of the frame: they hold the docked bars.
enum EDockBarId : int {
    AFX_IDW_DOCKBAR_TOP = 0xE81B,
    AFX_IDW_DOCKBAR_BOTTOM = 0xE81C,
    AFX_IDW_DOCKBAR_LEFT = 0xE81D,
    AFX_IDW_DOCKBAR_RIGHT = 0xE81E,
};

// Whether `nBarId` is one of the four dock bars.
bool IsDockBarId(int nBarId);

// A rectangle as the profile keeps it: four edges, right and bottom just outside.
struct SXTEdges {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    QRect ToRect() const { return QRect(QPoint(left, top), QSize(right - left, bottom - top)); }
    static SXTEdges FromRect(const QRect& r) {
        return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    }
    bool operator==(const SXTEdges& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// One bar's record. The member defaults are the values a missing entry stands for.
struct SXTBarInfo {
    static constexpr int kNoPos = -1;
    static constexpr int kNoWidth = 32767;

    int nBarID = 0;
    bool bVisible = true;
    bool bHorz = true;
    bool bFloating = false;
    QPoint pointPos{kNoPos, kNoPos};
    int nMRUWidth = kNoWidth;
    // The remembered docked place: kept only when bDocking is set.
    bool bDocking = false;
    int uMRUDockID = 0;
    SXTEdges rectMRUDockPos;
    int dwMRUFloatStyle = 0;
    QPoint ptMRUFloatPos{0, 0};
    // A dock bar's bars, in order, with 0 where a new row begins.
    QList<int> arrBarID;
    // Beyond the fixed entries: the size of a floating bar's window ("FloatCX", "FloatCY"),
    // -1 when it is not kept. Without it a floating log window would reopen at whatever size
    // its contents ask for.
    QSize sizeFloat{-1, -1};

    // Whether saving leaves this record out: an empty dock bar in its default state.
    bool IsDefaultDockBar() const;
};

class CXTDockState {
public:
    QList<SXTBarInfo> m_arrBarInfo;
    // The screen size the layout was saved on; empty when the profile named none.
    QSize m_sizeScreen;

    // Writes the layout under profile name `profileName` ("%s-Summary", "%s-Bar%d"), with
    // `screen` as the screen size; false when the profile could not be written.
    bool SaveState(CXTRegistryManager& profile, const QString& profileName,
                   const QSize& screen) const;
    // Reads the layout saved under `profileName`, its positions scaled from the stored
    // screen size to `screen` and kept within 2^24 of the origin (what lies beyond is no
    // screen's, and sums of such values would overflow). False, with the state left empty,
    // when there is no layout or it cannot be read whole (a bar section or list entry that
    // is missing).
    bool LoadState(const CXTRegistryManager& profile, const QString& profileName,
                   const QSize& screen);

    // Whether the frame can apply this layout: every record names one of `frameBars`, every
    // dock bar lists only bars of `dockableBars` (and 0), and every remembered dock place is
    // a dock bar. A layout that fails is applied not at all.
    bool IsApplicableTo(const QSet<int>& frameBars, const QSet<int>& dockableBars) const;
};

// `nValue` times `nNumerator`, divided by `nDenominator`: multiplied first, in 64 bits, then
// divided (towards zero). `nValue` unchanged when `nDenominator` is 0.
int MulDivTrunc(int nValue, int nNumerator, int nDenominator);
// `point` scaled from a screen of size `from` to one of size `to`; the "no position" value -1
// of either coordinate stays as it is, and an empty `from` scales nothing.
QPoint ScalePoint(const QPoint& point, const QSize& from, const QSize& to);
// `rect` moved (not resized) into `screen`: it lies wholly on it when it fits, and otherwise
// its top-left corner does.
QRect ClipToScreen(const QRect& rect, const QRect& screen);
// Whether `size` is one a bar can have on a screen of size `screen`: positive and no larger.
bool IsSaneSize(const QSize& size, const QSize& screen);

}  // namespace quorrel
