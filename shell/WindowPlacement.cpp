#include "shell/WindowPlacement.h"

#include <QDataStream>
#include <QIODevice>
#include <QSettings>

#include <climits>

namespace quorrel {

namespace {

const char kSection[] = "Settings";
const char kEntry[] = "Window Position";
constexpr int kRecordSize = 48;
constexpr qint32 kPlacementLength = 44;

// The span from `from` to `to` when it is a positive int, else 0. Worked out in 64 bits: the
// stored edges may be any 32-bit values, and their difference need not fit in 32.
int Span(qint32 from, qint32 to) {
    const qint64 span = qint64(to) - qint64(from);
    return span > 0 && span <= INT_MAX ? static_cast<int>(span) : 0;
}

}  // namespace

QByteArray EncodeWindowPlacement(const SWindowPlacement& placement) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    const QRect& r = placement.normal;
    out << qint32(0) << kPlacementLength << qint32(0) << qint32(placement.nShowCmd) << qint32(-1)
        << qint32(-1) << qint32(-1) << qint32(-1) << qint32(r.left()) << qint32(r.top())
        << qint32(r.left() + r.width()) << qint32(r.top() + r.height());
    return bytes;
}

bool DecodeWindowPlacement(const QByteArray& bytes, SWindowPlacement& placement) {
    if (bytes.size() != kRecordSize) {
        return false;
    }
    QDataStream in(bytes);
    in.setByteOrder(QDataStream::LittleEndian);
    qint32 nReserved = 0, nLength = 0, nFlags = 0, nShowCmd = 0, nMinX = 0, nMinY = 0;
    qint32 nMaxX = 0, nMaxY = 0, nLeft = 0, nTop = 0, nRight = 0, nBottom = 0;
    in >> nReserved >> nLength >> nFlags >> nShowCmd >> nMinX >> nMinY >> nMaxX >> nMaxY >> nLeft >>
        nTop >> nRight >> nBottom;
    const int nWidth = Span(nLeft, nRight);
    const int nHeight = Span(nTop, nBottom);
    if (in.status() != QDataStream::Ok || nWidth == 0 || nHeight == 0) {
        return false;
    }
    placement.nShowCmd = nShowCmd;
    placement.normal = QRect(nLeft, nTop, nWidth, nHeight);
    return true;
}

bool ReadWindowPlacement(QSettings& profile, SWindowPlacement& placement) {
    profile.beginGroup(QLatin1String(kSection));
    const QByteArray bytes = profile.value(QLatin1String(kEntry)).toByteArray();
    profile.endGroup();
    return DecodeWindowPlacement(bytes, placement);
}

void WriteWindowPlacement(QSettings& profile, const SWindowPlacement& placement) {
    profile.beginGroup(QLatin1String(kSection));
    profile.setValue(QLatin1String(kEntry), EncodeWindowPlacement(placement));
    profile.endGroup();
}

}  // namespace quorrel
