#include "toolkit/ListBox.h"

#include <QScrollBar>

namespace quorrel {

CXTListBox::CXTListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Every line is one line of text: equal heights let a long log scroll without measuring
    // each line again.
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void CXTListBox::updateGeometries() {
    QListWidget::updateGeometries();
    horizontalScrollBar()->setRange(0, 0);
}

}  // namespace quorrel
