// A list of same-sized images addressed by index, as the toolkit's controls draw them.
#pragma once

#include <QIcon>
#include <QList>
#include <QSize>

class QPainter;
class QPoint;

namespace quorrel {

class CImageList {
public:
    // An empty list whose images are all `cx` by `cy` pixels; `nInitial` images are room made
    // in advance (the list grows as images are added).
    bool Create(int cx, int cy, int nInitial = 0);

    // Appends `icon`, drawn at the list's size; the new image's index, or -1 when the list was
    // never created. A null icon still takes its index (and draws nothing), so that the indexes
    // of the images after it keep their meaning.
    int Add(const QIcon& icon);

    int GetImageCount() const { return static_cast<int>(m_icons.size()); }
    QSize GetImageSize() const { return m_size; }

    // Draws image `nImage` with its top-left corner at `topLeft`, sharp at the device's pixel
    // ratio; an index outside the list draws nothing. `bDisabled` draws it greyed.
    void Draw(QPainter& painter, int nImage, const QPoint& topLeft, bool bDisabled = false) const;

private:
    QSize m_size;
    QList<QIcon> m_icons;
};

}  // namespace quorrel
