// The About box's two pictures, drawn in code like the rest of the program's artwork.
#pragma once

#include <QPixmap>
#include <QSize>

namespace quorrel {

// The large picture: a page going into the shredder and leaving it as strips, on a soft
// backdrop, drawn to fill `size` (device-independent pixels). Needs a QGuiApplication.
QPixmap AboutShredderPicture(const QSize& size, qreal ratio = 1.0);

// The small picture: bytes of a disk sector as the passes leave them (00, FF, then random),
// in a terminal's green on black, drawn to fill `size`. Needs a QGuiApplication.
QPixmap AboutPassesPicture(const QSize& size, qreal ratio = 1.0);

}  // namespace quorrel
