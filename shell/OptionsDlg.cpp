#include "shell/OptionsDlg.h"

#include "engine/file/WipeMethod.h"
#include "shell/AppSettings.h"

#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorrel {

namespace {

// Dialog units: a quarter of the font's average character width across, an eighth of its
// height down, so the dialog keeps its proportions whatever the font.
struct SDialogUnits {
    double x;
    double y;
};

SDialogUnits DialogUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const double averageWidth = metrics.horizontalAdvance(alphabet) / 52.0;
    return {averageWidth / 4.0, metrics.height() / 8.0};
}

int Across(const SDialogUnits& units, int n) {
    return static_cast<int>(n * units.x + 0.5);
}

int Down(const SDialogUnits& units, int n) {
    return static_cast<int>(n * units.y + 0.5);
}

bool IsHelpKey(const QEvent* pEvent) {
    if (pEvent->type() != QEvent::ShortcutOverride && pEvent->type() != QEvent::KeyPress) {
        return false;
    }
    const QKeyEvent* pKey = static_cast<const QKeyEvent*>(pEvent);
    return pKey->key() == Qt::Key_F1 && pKey->modifiers() == Qt::NoModifier;
}

}  // namespace

void CToolTipCtrl::AddTool(QWidget* pTool, const QString& text) {
    m_tools.append(qMakePair(QPointer<QWidget>(pTool), text));
    if (m_bActive) {
        pTool->setToolTip(text);
    }
}

void CToolTipCtrl::Activate(bool bActive) {
    m_bActive = bActive;
    for (const auto& tool : m_tools) {
        if (!tool.first.isNull()) {
            tool.first->setToolTip(bActive ? tool.second : QString());
        }
    }
}

COptionsDlg::COptionsDlg(QWidget* pParent)
    : QDialog(pParent),
      m_pLabel(new QLabel(QStringLiteral("Select algorithm"), this)),
      // Created in the tab order of the dialog: OK, Cancel, then the list.
      m_pOkButton(new QPushButton(QStringLiteral("OK"), this)),
      m_pCancelButton(new QPushButton(QStringLiteral("Cancel"), this)),
      m_pMethodCombo(new QComboBox(this)) {
    OnInitDialog();
}

COptionsDlg::~COptionsDlg() = default;

void COptionsDlg::OnInitDialog() {
    setObjectName(QStringLiteral("optionsDialog"));
    setWindowTitle(QStringLiteral("Options"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    m_pLabel->setObjectName(QStringLiteral("methodLabel"));
    m_pOkButton->setObjectName(QStringLiteral("okButton"));
    m_pCancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_pMethodCombo->setObjectName(QStringLiteral("methodCombo"));

    m_pMethodCombo->setEditable(false);
    for (int nMethod = 0; nMethod < kWipeMethodCount; ++nMethod) {
        m_pMethodCombo->addItem(QString::fromUtf8(WipeMethodName(nMethod)));
    }
    m_pOkButton->setDefault(true);
    m_pOkButton->setAutoDefault(true);
    m_pCancelButton->setAutoDefault(false);
    connect(m_pOkButton, &QPushButton::clicked, this, &COptionsDlg::accept);
    connect(m_pCancelButton, &QPushButton::clicked, this, &COptionsDlg::reject);
    setTabOrder(m_pOkButton, m_pCancelButton);
    setTabOrder(m_pCancelButton, m_pMethodCombo);

    LayOut();
    DoDataExchange(false);

    m_toolTip.Activate(true);
    m_toolTip.AddTool(m_pOkButton, QStringLiteral("Ok"));
    m_toolTip.AddTool(m_pCancelButton, QStringLiteral("Cancel"));
    m_toolTip.AddTool(m_pMethodCombo, QStringLiteral("Select algorithm"));

    // The method is what the dialog is opened for: arrows change it at once, Enter keeps it.
    m_pLabel->setBuddy(m_pMethodCombo);
    m_pMethodCombo->setAccessibleName(m_pLabel->text());
    m_pMethodCombo->setFocus(Qt::OtherFocusReason);
}

void COptionsDlg::LayOut() {
    const SDialogUnits units = DialogUnitsOf(font());
    const int nMargin = Across(units, 7);
    const QSize buttonSize(Across(units, 50), Down(units, 14));
    m_pOkButton->setMinimumSize(buttonSize);
    m_pCancelButton->setMinimumSize(buttonSize);
    // The template's width, or the longest name's where the font needs more: the chosen
    // method must be readable whole when the list is closed.
    m_pMethodCombo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_pMethodCombo->setMinimumWidth(qMax(Across(units, 266), m_pMethodCombo->sizeHint().width()));

    auto* pButtons = new QHBoxLayout;
    pButtons->setSpacing(Across(units, 7));
    pButtons->addStretch(1);
    pButtons->addWidget(m_pOkButton);
    pButtons->addWidget(m_pCancelButton);

    auto* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(nMargin, Down(units, 7), nMargin, Down(units, 7));
    pLayout->setSpacing(Down(units, 3));
    pLayout->addWidget(m_pLabel);
    pLayout->addWidget(m_pMethodCombo);
    pLayout->addStretch(1);
    pLayout->addLayout(pButtons);

    // The template's size, or more where the font needs it; the dialog has a fixed frame.
    const QSize templateSize(Across(units, 280), Down(units, 95));
    setFixedSize(templateSize.expandedTo(pLayout->totalMinimumSize()));
}

void COptionsDlg::DoDataExchange(bool bSaveAndValidate) {
    if (bSaveAndValidate) {
        WipeMethod() = m_pMethodCombo->currentIndex();
        return;
    }
    const int nMethod = WipeMethod();
    m_pMethodCombo->setCurrentIndex(nMethod >= 0 && nMethod < m_pMethodCombo->count() ? nMethod
                                                                                      : -1);
}

void COptionsDlg::accept() {
    DoDataExchange(true);
    QDialog::accept();
}

bool COptionsDlg::event(QEvent* pEvent) {
    if (IsHelpKey(pEvent)) {
        pEvent->accept();
        return true;
    }
    return QDialog::event(pEvent);
}

}  // namespace quorrel
