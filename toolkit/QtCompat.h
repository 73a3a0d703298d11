// What the window needs from Qt that is spelt differently in Qt 5.15 (the last Qt that runs on
// 32-bit Windows) and in Qt 6. The only place that asks which Qt it is built with: the rest
// of the window calls these and stays the same for both.
#pragma once

#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointF>
#include <QSize>
#include <QtGlobal>

namespace quorrel {

#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)

// Before the application object is made: the window is scaled to the screen's density, and
// drawn with pixmaps of that density, at fractional scale factors too. Qt 6 always does.
inline void ScaleToScreenDensity() {}

// The type of an index into, and of the size of, a QByteArray, QString or QList.
using QtIndex = qsizetype;

// Where the pointer was, in the receiving widget's coordinates.
inline QPointF EventPosition(const QMouseEvent* pEvent) {
    return pEvent->position();
}

// The icon drawn `size` device-independent pixels large for a device of pixel ratio `ratio`.
inline QPixmap IconPixmap(const QIcon& icon, const QSize& size, qreal ratio, QIcon::Mode mode) {
    return icon.pixmap(size, ratio, mode);
}

// The picture the label shows; null when it shows none.
inline QPixmap LabelPixmap(const QLabel& label) {
    return label.pixmap();
}

#else

inline void ScaleToScreenDensity() {
    QGuiApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QGuiApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}

using QtIndex = int;

inline QPointF EventPosition(const QMouseEvent* pEvent) {
    return pEvent->localPos();
}

inline QPixmap IconPixmap(const QIcon& icon, const QSize& size, qreal ratio, QIcon::Mode mode) {
    QPixmap pixmap = icon.pixmap(size * ratio, mode);
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

inline QPixmap LabelPixmap(const QLabel& label) {
    return label.pixmap(Qt::ReturnByValue);
}

#endif

}  // namespace quorrel
