#include "list/SortHeader.h"

#include <QAbstractItemModel>
#include <QActionGroup>
#include <QContextMenuEvent>
#include <QMenu>

namespace quorrel {

namespace {

constexpr Qt::Alignment kHorizontalMask = Qt::AlignLeft | Qt::AlignHCenter | Qt::AlignRight;

}  // namespace

CSortHeader::CSortHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setObjectName(QStringLiteral("listHeader"));
    setSectionsClickable(true);
    setSectionsMovable(false);
    setHighlightSections(false);
    setStretchLastSection(false);
    // No arrow until the user has chosen a sort column.
    setSortIndicatorShown(false);
    connect(this, &QHeaderView::sectionClicked, this, &CSortHeader::OnSectionClicked);
    BuildMenu();
}

void CSortHeader::SortBy(int nColumn, bool bAscending) {
    if (model() == nullptr || nColumn < 0 || nColumn >= count()) {
        return;
    }
    m_nSortColumn = nColumn;
    m_bAscending = bAscending;
    const Qt::SortOrder order = bAscending ? Qt::AscendingOrder : Qt::DescendingOrder;
    // The header has already moved its own indicator on the click by its own rules; ours
    // decide, so set it again.
    setSortIndicator(nColumn, order);
    setSortIndicatorShown(true);
    model()->sort(nColumn, order);
}

void CSortHeader::OnSectionClicked(int nSection) {
    // The same column again flips the direction; another column starts ascending.
    SortBy(nSection, nSection == m_nSortColumn ? !m_bAscending : true);
}

void CSortHeader::contextMenuEvent(QContextMenuEvent* event) {
    // The header's menu is its own: the request does not travel on to the list's menu.
    event->accept();
    const int nColumn = logicalIndexAt(event->pos());
    if (nColumn < 0) {
        return;
    }
    m_nMenuColumn = nColumn;
    CheckCurrentAlignment();
    m_pMenu->exec(event->globalPos());
}

void CSortHeader::BuildMenu() {
    m_pMenu = new QMenu(this);
    m_pMenu->setObjectName(QStringLiteral("headerMenu"));
    QAction* pAscending = m_pMenu->addAction(tr("Sort Ascending"));
    pAscending->setObjectName(QStringLiteral("actionHeaderSortAscending"));
    connect(pAscending, &QAction::triggered, this, [this] { SortBy(m_nMenuColumn, true); });
    QAction* pDescending = m_pMenu->addAction(tr("Sort Descending"));
    pDescending->setObjectName(QStringLiteral("actionHeaderSortDescending"));
    connect(pDescending, &QAction::triggered, this, [this] { SortBy(m_nMenuColumn, false); });
    m_pMenu->addSeparator();

    QMenu* pAlignment = m_pMenu->addMenu(tr("Alignment"));
    pAlignment->setObjectName(QStringLiteral("headerAlignmentMenu"));
    pAlignment->menuAction()->setObjectName(QStringLiteral("actionHeaderAlignment"));
    m_pAlignGroup = new QActionGroup(this);
    m_pAlignGroup->setExclusive(true);
    pAlignment->addAction(AddAlignAction(tr("Align Left"), "actionHeaderAlignLeft", Qt::AlignLeft));
    pAlignment->addAction(
        AddAlignAction(tr("Align Center"), "actionHeaderAlignCenter", Qt::AlignHCenter));
    pAlignment->addAction(
        AddAlignAction(tr("Align Right"), "actionHeaderAlignRight", Qt::AlignRight));
}

QAction* CSortHeader::AddAlignAction(const QString& text, const char* name,
                                     Qt::Alignment alignment) {
    QAction* pAction = m_pAlignGroup->addAction(text);
    pAction->setObjectName(QLatin1String(name));
    pAction->setCheckable(true);
    pAction->setData(static_cast<int>(alignment));
    connect(pAction, &QAction::triggered, this,
            [this, alignment] { SetMenuColumnAlignment(alignment); });
    return pAction;
}

void CSortHeader::SetMenuColumnAlignment(Qt::Alignment alignment) {
    if (model() == nullptr || m_nMenuColumn < 0 || m_nMenuColumn >= count()) {
        return;
    }
    // The model applies it to the column's header and cells alike.
    model()->setHeaderData(m_nMenuColumn, orientation(), static_cast<int>(alignment),
                           Qt::TextAlignmentRole);
}

void CSortHeader::CheckCurrentAlignment() {
    const Qt::Alignment current =
        model() == nullptr
            ? Qt::Alignment(Qt::AlignLeft)
            : Qt::Alignment(
                  model()->headerData(m_nMenuColumn, orientation(), Qt::TextAlignmentRole).toInt());
    for (QAction* pAction : m_pAlignGroup->actions()) {
        pAction->setChecked(Qt::Alignment(pAction->data().toInt()) == (current & kHorizontalMask));
    }
}

}  // namespace quorrel
