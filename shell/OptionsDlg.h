// The Options dialog: the user picks the overwrite method.
#pragma once

#include <QDialog>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QString>

class QComboBox;
class QEvent;
class QLabel;
class QPushButton;

namespace quorrel {

// The dialog's tooltips: one text per control, shown while the mouse rests on it, and none at
// all while the control is deactivated.
class CToolTipCtrl {
public:
    // Registers `pTool` with `text`.
    void AddTool(QWidget* pTool, const QString& text);
    // Turns the registered tooltips on or off.
    void Activate(bool bActive);

private:
    QList<QPair<QPointer<QWidget>, QString>> m_tools;
    bool m_bActive = false;
};

// Modal. Exchanges its one field, the combo box's selection, with WipeMethod(): opening selects
// entry WipeMethod() (none when it is outside 0..3); OK stores the selected index there, or -1
// when nothing is selected; Cancel changes nothing. Saving to the profile is the caller's work.
class COptionsDlg : public QDialog {
    Q_OBJECT
public:
    explicit COptionsDlg(QWidget* pParent = nullptr);
    ~COptionsDlg() override;

    // Stores the selection in WipeMethod(), then closes the dialog with Accepted.
    void accept() override;

protected:
    // F1 (the help request) is taken here and does nothing: the dialog has no help of its own,
    // and the main window's help must not open over a modal dialog.
    bool event(QEvent* pEvent) override;

private:
    // Builds the controls, fills the list, loads the selection and registers the tooltips.
    void OnInitDialog();
    // Lays the controls out in the proportions of the original 280 x 95 dialog-unit template.
    void LayOut();
    // Loads (false) or stores (true) the selection from or into WipeMethod().
    void DoDataExchange(bool bSaveAndValidate);

    QLabel* m_pLabel;
    QPushButton* m_pOkButton;
    QPushButton* m_pCancelButton;
    QComboBox* m_pMethodCombo;
    CToolTipCtrl m_toolTip;
};

}  // namespace quorrel
