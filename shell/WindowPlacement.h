// The main frame's placement record as the profile keeps it: value "Window Position" of
// section "Settings", 48 bytes that both systems read the same way.
#pragma once

#include <QByteArray>
#include <QRect>

class QSettings;

namespace quorrel {

constexpr int kShowNormal = 1;
constexpr int kShowMaximized = 3;

struct SWindowPlacement {
    int nShowCmd = kShowNormal;
    QRect normal;  // the frame's normal (not maximised) geometry
};

// The 48 bytes of `placement`: a reserved word, then the 44-byte window placement record of
// the desktop this program was first written for (its length, flags, show command, minimised
// and maximised positions and the normal rectangle as left, top, right, bottom), all 32-bit
// little-endian.
QByteArray EncodeWindowPlacement(const SWindowPlacement& placement);

// Reads the record EncodeWindowPlacement writes. False for any other length, and for a
// rectangle whose width or height is not a positive int (right and bottom left of or above
// left and top, or farther from them than an int reaches): no window can be given it.
bool DecodeWindowPlacement(const QByteArray& bytes, SWindowPlacement& placement);

// The placement stored in `profile`; false, with `placement` unchanged, when there is none or
// it cannot be decoded.
bool ReadWindowPlacement(QSettings& profile, SWindowPlacement& placement);
// Stores `placement` in `profile` (not synced).
void WriteWindowPlacement(QSettings& profile, const SWindowPlacement& placement);

}  // namespace quorrel
