// The main frame's status bar with its logo, message, lock-key and progress panes.
#include "shell/MainStatusBar.h"

#include <QLabel>
#include <QProgressBar>
#include <QTimer>

#include "toolkit/IndicatorPane.h"
#include "toolkit/LockKeys.h"
#include "toolkit/LogoPane.h"

namespace quorrel {

namespace {

constexpr int kProgressPaneWidth = 150;
constexpr int kProgressMaximum = 5000;
// How often the lock keys' lights are looked at: quick enough to follow a key press.
constexpr int kLockPollMs = 250;

QString& LockLightsDir() {
    static QString dir = CLockKeyReader::DefaultLedsDir();
    return dir;
}

}  // namespace

CMainStatusBar::CMainStatusBar(QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("statusBar"));
    m_wndMessagePane = new QLabel(this);
    m_wndMessagePane->setObjectName(QStringLiteral("messagePane"));
    m_wndMessagePane->setTextFormat(Qt::PlainText);
    m_wndMessagePane->setContentsMargins(4, 0, 4, 0);
    // A long prompt must not widen the window: the pane takes what is left and cuts the rest.
    m_wndMessagePane->setMinimumWidth(1);
    m_wndMessagePane->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    addWidget(m_wndMessagePane, 1);

    m_wndLogoPane = new CXTLogoPane(QStringLiteral("Quorrel"), this);
    m_wndLogoPane->setObjectName(QStringLiteral("logoPane"));
    insertWidget(0, m_wndLogoPane, 0);

    AddLockIndicators();
    SetMessage(QString());
}

CMainStatusBar::~CMainStatusBar() = default;

void CMainStatusBar::SetLockLightsDir(const QString& dir) {
    LockLightsDir() = dir;
}

void CMainStatusBar::AddLockIndicators() {
    m_pLockKeys = std::make_unique<CLockKeyReader>(LockLightsDir());
    const struct {
        ELockKey key;
        const char* pszText;
        const char* pszObjectName;
    } panes[] = {{ELockKey::Caps, "CAP", "capIndicator"},
                 {ELockKey::Num, "NUM", "numIndicator"},
                 {ELockKey::Scroll, "SCRL", "scrlIndicator"}};
    bool bAny = false;
    for (const auto& pane : panes) {
        // A key whose state cannot be read gets no pane: an indicator that never lights
        // would tell the user the key is off.
        if (!m_pLockKeys->CanRead(pane.key)) {
            continue;
        }
        auto* pIndicator = new CXTIndicatorPane(QLatin1String(pane.pszText), this);
        pIndicator->setObjectName(QLatin1String(pane.pszObjectName));
        addPermanentWidget(pIndicator);
        m_wndIndicators[static_cast<int>(pane.key)] = pIndicator;
        bAny = true;
    }
    if (bAny) {
        m_pLockTimer = new QTimer(this);
        m_pLockTimer->setObjectName(QStringLiteral("lockKeyTimer"));
        connect(m_pLockTimer, &QTimer::timeout, this, &CMainStatusBar::RefreshLockIndicators);
        m_pLockTimer->start(kLockPollMs);
        RefreshLockIndicators();
    }
}

void CMainStatusBar::RefreshLockIndicators() {
    for (ELockKey key : {ELockKey::Caps, ELockKey::Num, ELockKey::Scroll}) {
        CXTIndicatorPane* pPane = m_wndIndicators[static_cast<int>(key)];
        if (pPane != nullptr) {
            pPane->SetOn(m_pLockKeys->IsOn(key).value_or(false));
        }
    }
}

void CMainStatusBar::AddProgressPane() {
    if (m_wndProgress != nullptr) {
        return;
    }
    m_wndProgress = new QProgressBar(this);
    m_wndProgress->setObjectName(QStringLiteral("progress"));
    m_wndProgress->setAccessibleName(QStringLiteral("Progress of the current pass"));
    m_wndProgress->setTextVisible(false);
    m_wndProgress->setFixedWidth(kProgressPaneWidth);
    m_wndProgress->setRange(0, kProgressMaximum);
    m_wndProgress->setValue(0);
    addPermanentWidget(m_wndProgress);
}

QString CMainStatusBar::IdleMessage() {
    return QStringLiteral("For Help, press F1");
}

QString CMainStatusBar::Message() const {
    return m_wndMessagePane->text();
}

void CMainStatusBar::SetMessage(const QString& prompt) {
    m_wndMessagePane->setText(prompt.isEmpty() ? IdleMessage() : prompt);
}

}  // namespace quorrel
