// The list's column header: sorts on a click, with an arrow on the sort column, and has its
// own right-click menu to sort and to align a column.
#pragma once

#include <QHeaderView>

class QAction;
class QActionGroup;
class QMenu;

namespace quorrel {

class CSortHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit CSortHeader(QWidget* parent = nullptr);

    // Makes `nColumn` the sort column with the given direction, shows the arrow on it and
    // has the model sort its rows once. Ignored for a column that does not exist.
    void SortBy(int nColumn, bool bAscending);

protected:
    // Opens the header menu for the column under the pointer.
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void OnSectionClicked(int nSection);
    void BuildMenu();
    QAction* AddAlignAction(const QString& text, const char* name, Qt::Alignment alignment);
    void SetMenuColumnAlignment(Qt::Alignment alignment);
    void CheckCurrentAlignment();

    int m_nSortColumn = -1;  // -1 until the user has sorted once
    bool m_bAscending = true;
    int m_nMenuColumn = -1;  // the column the open header menu acts on
    QMenu* m_pMenu = nullptr;
    QActionGroup* m_pAlignGroup = nullptr;
};

}  // namespace quorrel
