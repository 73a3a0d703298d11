// The list's two row images, drawn in code so that they stay sharp at any screen scale.
#pragma once

#include <QIcon>
#include <QList>

namespace quorrel {

// The row images in their fixed order: 0 a document (file), 1 a yellow folder. Each is drawn
// at 16x16 and at 32x32 for high-density screens. Needs a QGuiApplication.
QList<QIcon> CreateRowImages();

}  // namespace quorrel
