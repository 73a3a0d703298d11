#include "toolkit/ImageList.h"
#include "toolkit/QtCompat.h"

#include <QPainter>
#include <QPixmap>

namespace quorrel {

bool CImageList::Create(int cx, int cy, int nInitial) {
    if (cx <= 0 || cy <= 0) {
        return false;
    }
    m_size = QSize(cx, cy);
    m_icons.clear();
    m_icons.reserve(qMax(0, nInitial));
    return true;
}

int CImageList::Add(const QIcon& icon) {
    if (!m_size.isValid()) {
        return -1;
    }
    m_icons.append(icon);
    return GetImageCount() - 1;
}

void CImageList::Draw(QPainter& painter, int nImage, const QPoint& topLeft, bool bDisabled) const {
    if (nImage < 0 || nImage >= GetImageCount() || m_icons.at(nImage).isNull()) {
        return;
    }
    // The icon is asked for at the painter's pixel ratio, so a 32-pixel image stays crisp on a
    // dense screen instead of being blown up from 32 device pixels.
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QPixmap pixmap =
        IconPixmap(m_icons.at(nImage), m_size, ratio, bDisabled ? QIcon::Disabled : QIcon::Normal);
    painter.drawPixmap(QRect(topLeft, m_size), pixmap);
}

}  // namespace quorrel
