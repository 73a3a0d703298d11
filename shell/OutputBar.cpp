#include "shell/OutputBar.h"

#include <QApplication>
#include <QHideEvent>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "engine/log/LogLines.h"
#include "list/PathText.h"
#include "toolkit/DockTitleBar.h"
#include "toolkit/FlatTabCtrl.h"
#include "toolkit/ListBox.h"

namespace quorrel {

namespace {

// The tab strip is as high as a horizontal scroll bar, as the bars of the desktop this program
// was first drawn for; where that is too low for the tab's text, the text decides.
int StripHeightFor(const QWidget& bar) {
    const int nScrollBar = bar.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &bar);
    return qMax(nScrollBar, bar.fontMetrics().height() + 4);
}

}  // namespace

COutputBar::COutputBar(QWidget* parent)
    : CXTDockWindow(QStringLiteral("Action Log Window"), parent),
      m_wndTabCtrl(nullptr),
      m_wndLogList(nullptr),
      m_cyTabs(StripHeightFor(*this)) {
    setObjectName(QStringLiteral("outputBar"));
    TitleBar().setObjectName(QStringLiteral("outputBarCaption"));
    TitleBar().HideButton().setObjectName(QStringLiteral("outputBarHide"));
    TitleBar().ExpandButton().setObjectName(QStringLiteral("outputBarExpand"));

    auto* pClient = new QWidget(this);
    pClient->setObjectName(QStringLiteral("outputBarClient"));
    auto* pLayout = new QVBoxLayout(pClient);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(0);

    m_wndLogList = new CXTListBox(pClient);
    m_wndLogList->setObjectName(QStringLiteral("logList"));
    m_wndLogList->setFrameShape(QFrame::NoFrame);
    m_wndLogList->setAccessibleName(QStringLiteral("Action Log"));
    m_wndTabCtrl = new CXTFlatTabCtrl(pClient);
    m_wndTabCtrl->setObjectName(QStringLiteral("logTabs"));
    m_wndTabCtrl->addTab(QStringLiteral("Action Log"));
    m_wndTabCtrl->SetStripHeight(m_cyTabs - 1);
    pLayout->addWidget(m_wndLogList, 1);
    pLayout->addWidget(m_wndTabCtrl, 0);
    SetClient(pClient, true);

    m_wndLogList->AddLine(QString::fromUtf8(lines::kLogBegin));
    ShowLogList(0);
    connect(m_wndTabCtrl, &QTabBar::currentChanged, this, &COutputBar::ShowLogList);
}

COutputBar::~COutputBar() = default;

void COutputBar::AddLine(QString line) {
    m_wndLogList->AddLine(line);
    m_bScrollPending = true;
    if (!m_bDeferScrolling) {
        ShowLastLine();
    }
}

void COutputBar::ShowLastLine() {
    const int nCount = m_wndLogList->count();
    if (!m_bScrollPending || nCount == 0) {
        return;
    }
    m_bScrollPending = false;
    m_wndLogList->setCurrentRow(nCount - 1, QItemSelectionModel::ClearAndSelect);
    m_wndLogList->scrollToItem(m_wndLogList->item(nCount - 1));
}

void COutputBar::SetDeferScrolling(bool bDefer) {
    m_bDeferScrolling = bDefer;
    if (!bDefer) {
        ShowLastLine();
    }
}

void COutputBar::AddLine(const std::string& line) {
    AddLine(DisplayPath(QByteArray::fromStdString(line)));
}

void COutputBar::AddLine(const char* pszLine) {
    AddLine(QString::fromUtf8(pszLine));
}

void COutputBar::hideEvent(QHideEvent* pEvent) {
    if (!isFloating()) {
        m_sizeDocked = size();
    }
    CXTDockWindow::hideEvent(pEvent);
}

void COutputBar::ShowLogList(int nTab) {
    m_wndLogList->setVisible(nTab == 0);
}

QListWidget& COutputBar::LogList() const {
    return *m_wndLogList;
}

QTabBar& COutputBar::TabCtrl() const {
    return *m_wndTabCtrl;
}

}  // namespace quorrel
