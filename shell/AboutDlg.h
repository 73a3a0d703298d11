// The About box: the program's name and version, its rights notice and where to reach it.
#pragma once

#include <QDialog>

#include "shell/OptionsDlg.h"

class QLabel;
class QPushButton;

namespace quorrel {

class CXTHyperLink;

// Modal, with no title bar. OK, Enter and Escape close it; F1 does nothing. The e-mail and
// web lines are links that open the mail client and the browser.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* pParent = nullptr);
    ~CAboutDlg() override;

    // The author's e-mail address and the maker's web address, as shown and as opened.
    static QString EmailAddress();
    static QString WebAddress();

protected:
    // F1 is taken here and does nothing: the box has no help of its own, and the main
    // window's help must not open behind a modal box.
    bool event(QEvent* pEvent) override;
    // The box has no title bar, so it draws its own raised border.
    void paintEvent(QPaintEvent* pEvent) override;

private:
    void OnInitDialog();
    void DoDataExchange();
    void LayOut();
    void OnLinkFailed(const QString& url);

    QLabel* m_pIcon;
    QLabel* m_pVersion;
    QLabel* m_pRights;
    QPushButton* m_pOkButton;
    QLabel* m_pPicture;
    QLabel* m_pPasses;
    QWidget* m_pContactGroup;
    CXTHyperLink* m_pEmailLink;
    CXTHyperLink* m_pWebLink;
    CToolTipCtrl m_toolTip;
};

}  // namespace quorrel
