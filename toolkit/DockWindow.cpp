#include "toolkit/DockWindow.h"

#include <QApplication>
#include <QFrame>
#include <QMainWindow>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

#include "toolkit/DockTitleBar.h"

namespace quorrel {

CXTDockWindow::CXTDockWindow(const QString& title, QWidget* parent)
    : QDockWidget(title, parent), m_pTitleBar(new CXTDockTitleBar(this)) {
    setTitleBarWidget(m_pTitleBar);
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                QDockWidget::DockWidgetFloatable);
    setAllowedAreas(Qt::AllDockWidgetAreas);

    connect(&m_pTitleBar->HideButton(), &QToolButton::clicked, this, &QWidget::hide);
    connect(&m_pTitleBar->ExpandButton(), &QToolButton::clicked, this,
            &CXTDockWindow::ToggleExpanded);
    // A window that is moved to another side, or floats, starts again at its normal size.
    connect(this, &QDockWidget::dockLocationChanged, this, [this] {
        m_bExpanded = false;
        UpdateExpandButton();
    });
    connect(this, &QDockWidget::topLevelChanged, this, [this] {
        m_bExpanded = false;
        UpdateExpandButton();
    });
    connect(qApp, &QApplication::focusChanged, this, &CXTDockWindow::OnFocusChanged);
    UpdateExpandButton();
}

CXTDockWindow::~CXTDockWindow() = default;

void CXTDockWindow::SetClient(QWidget* pClient, bool bSunkenEdge) {
    if (!bSunkenEdge) {
        setWidget(pClient);
        return;
    }
    m_pEdge = new QFrame(this);
    m_pEdge->setObjectName(QStringLiteral("dockClientEdge"));
    m_pEdge->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto* pLayout = new QVBoxLayout(m_pEdge);
    pLayout->setContentsMargins(1, 1, 1, 1);
    pLayout->setSpacing(0);
    pLayout->addWidget(pClient);
    setWidget(m_pEdge);
}

QMainWindow* CXTDockWindow::MainWindow() const {
    return qobject_cast<QMainWindow*>(parentWidget());
}

Qt::Orientation CXTDockWindow::ResizeOrientation() const {
    const QMainWindow* pFrame = MainWindow();
    const Qt::DockWidgetArea area = pFrame
                                        ? pFrame->dockWidgetArea(const_cast<CXTDockWindow*>(this))
                                        : Qt::BottomDockWidgetArea;
    return (area == Qt::LeftDockWidgetArea || area == Qt::RightDockWidgetArea) ? Qt::Horizontal
                                                                               : Qt::Vertical;
}

int CXTDockWindow::Extent() const {
    return ResizeOrientation() == Qt::Vertical ? height() : width();
}

void CXTDockWindow::Expand() {
    QMainWindow* pFrame = MainWindow();
    if (m_bExpanded || !pFrame || isFloating()) {
        return;
    }
    m_nContractedExtent = Extent();
    // Asking for the whole frame is enough: the main window keeps its central widget's
    // minimum size and gives the bar the rest.
    const int nAll = ResizeOrientation() == Qt::Vertical ? pFrame->height() : pFrame->width();
    pFrame->resizeDocks({this}, {nAll}, ResizeOrientation());
    m_bExpanded = true;
    UpdateExpandButton();
}

void CXTDockWindow::Contract() {
    QMainWindow* pFrame = MainWindow();
    if (!m_bExpanded || !pFrame) {
        return;
    }
    pFrame->resizeDocks({this}, {m_nContractedExtent}, ResizeOrientation());
    m_bExpanded = false;
    UpdateExpandButton();
}

void CXTDockWindow::ToggleExpanded() {
    if (m_bExpanded) {
        Contract();
    } else {
        Expand();
    }
}

void CXTDockWindow::UpdateExpandButton() {
    const QMainWindow* pFrame = MainWindow();
    const Qt::DockWidgetArea area =
        pFrame ? pFrame->dockWidgetArea(this) : Qt::BottomDockWidgetArea;
    // The glyph points the way the window grows: away from the side it is docked to.
    CXTDockTitleBar::EGlyph grow = CXTDockTitleBar::GlyphUp;
    CXTDockTitleBar::EGlyph shrink = CXTDockTitleBar::GlyphDown;
    if (area == Qt::TopDockWidgetArea) {
        std::swap(grow, shrink);
    } else if (area == Qt::LeftDockWidgetArea) {
        grow = CXTDockTitleBar::GlyphRight, shrink = CXTDockTitleBar::GlyphLeft;
    } else if (area == Qt::RightDockWidgetArea) {
        grow = CXTDockTitleBar::GlyphLeft, shrink = CXTDockTitleBar::GlyphRight;
    }
    m_pTitleBar->SetExpandGlyph(m_bExpanded ? shrink : grow,
                                m_bExpanded ? QStringLiteral("Contract docked window")
                                            : QStringLiteral("Expand docked window"));
    m_pTitleBar->ExpandButton().setVisible(!isFloating());
    m_pTitleBar->PlaceButtons();
    m_pTitleBar->update();
}

void CXTDockWindow::OnFocusChanged(QWidget* /*pOld*/, QWidget* pNow) {
    m_pTitleBar->SetActive(pNow != nullptr && isAncestorOf(pNow));
}

}  // namespace quorrel
