#include "shell/AboutDlg.h"

#include "shell/AboutArt.h"
#include "shell/Artwork.h"
#include "shell/MessageBox.h"
#include "toolkit/HyperLink.h"

#include <qdrawutil.h>
#include <QEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace quorrel {

namespace {

// Dialog units of `font`, as the templates were measured in: a quarter of the average
// character width across, an eighth of the height down.
struct SDialogUnits {
    double x;
    double y;
    int Across(int n) const { return static_cast<int>(n * x + 0.5); }
    int Down(int n) const { return static_cast<int>(n * y + 0.5); }
    QRect Rect(int nX, int nY, int cx, int cy) const {
        return QRect(Across(nX), Down(nY), Across(cx), Down(cy));
    }
};

SDialogUnits DialogUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return {metrics.horizontalAdvance(alphabet) / 52.0 / 4.0, metrics.height() / 8.0};
}

bool IsHelpKey(const QEvent* pEvent) {
    if (pEvent->type() != QEvent::ShortcutOverride && pEvent->type() != QEvent::KeyPress) {
        return false;
    }
    const auto* pKey = static_cast<const QKeyEvent*>(pEvent);
    return pKey->key() == Qt::Key_F1 && pKey->modifiers() == Qt::NoModifier;
}

QLabel* MakeLabel(const QString& text, const char* pszObjectName, QWidget* pParent) {
    auto* pLabel = new QLabel(text, pParent);
    pLabel->setObjectName(QString::fromLatin1(pszObjectName));
    pLabel->setTextFormat(Qt::PlainText);
    return pLabel;
}

}  // namespace

CAboutDlg::CAboutDlg(QWidget* pParent)
    : QDialog(pParent, Qt::Dialog | Qt::FramelessWindowHint),
      m_pIcon(MakeLabel(QString(), "aboutIcon", this)),
      m_pVersion(MakeLabel(QStringLiteral("Quorrel Version 2.1"), "versionLabel", this)),
      m_pRights(MakeLabel(QStringLiteral("Copyright \u00a9 2002 the Quorrel Project"),
                          "rightsLabel", this)),
      m_pOkButton(new QPushButton(QStringLiteral("OK"), this)),
      m_pPicture(MakeLabel(QString(), "shredderPicture", this)),
      m_pPasses(MakeLabel(QString(), "passesPicture", this)),
      m_pContactGroup(new QGroupBox(QStringLiteral("Contact info:"), this)),
      m_pEmailLink(new CXTHyperLink(QStringLiteral("email: ") + EmailAddress(), this)),
      m_pWebLink(new CXTHyperLink(QStringLiteral("internet : ") + WebAddress(), this)) {
    OnInitDialog();
}

CAboutDlg::~CAboutDlg() = default;

QString CAboutDlg::EmailAddress() {
    return QStringLiteral("quorrel@example.org");
}

QString CAboutDlg::WebAddress() {
    return QStringLiteral("https://quorrel.example.org/");
}

void CAboutDlg::OnInitDialog() {
    setObjectName(QStringLiteral("aboutDialog"));
    // No title bar to carry it, but the desktop's task switcher and screen readers use it.
    setWindowTitle(QStringLiteral("About Quorrel"));
    m_pOkButton->setObjectName(QStringLiteral("okButton"));
    m_pContactGroup->setObjectName(QStringLiteral("contactGroup"));
    m_pEmailLink->setObjectName(QStringLiteral("emailLink"));
    m_pWebLink->setObjectName(QStringLiteral("webLink"));
    m_pWebLink->setWordWrap(true);
    m_pOkButton->setDefault(true);
    connect(m_pOkButton, &QPushButton::clicked, this, &CAboutDlg::accept);
    connect(m_pEmailLink, &CXTHyperLink::openFailed, this, &CAboutDlg::OnLinkFailed);
    connect(m_pWebLink, &CXTHyperLink::openFailed, this, &CAboutDlg::OnLinkFailed);

    LayOut();
    DoDataExchange();
    m_toolTip.Activate(true);
    m_toolTip.AddTool(m_pOkButton, QStringLiteral("Ok"));
    m_pOkButton->setFocus(Qt::OtherFocusReason);
}

void CAboutDlg::DoDataExchange() {
    m_pEmailLink->SetURL(QStringLiteral("mailto:") + EmailAddress());
    m_pWebLink->SetURL(WebAddress());
}

void CAboutDlg::LayOut() {
    const SDialogUnits units = DialogUnitsOf(font());
    m_pIcon->setGeometry(units.Rect(13, 7, 21, 20));
    m_pIcon->setAlignment(Qt::AlignCenter);
    m_pIcon->setPixmap(AppIcon().pixmap(32, 32));
    m_pOkButton->setGeometry(units.Rect(178, 7, 50, 14));
    // The texts take the template's width, or what they need up to the OK button: a longer
    // font must not cut the rights notice short.
    const int nTextRight = m_pOkButton->x() - units.Across(4);
    for (QLabel* pLabel : {m_pVersion, m_pRights}) {
        QRect rect = pLabel == m_pVersion ? units.Rect(40, 10, 119, 8) : units.Rect(40, 25, 119, 8);
        rect.setWidth(qMin(qMax(rect.width(), pLabel->sizeHint().width()), nTextRight - rect.x()));
        rect.setHeight(qMax(rect.height(), pLabel->sizeHint().height()));
        pLabel->setGeometry(rect);
    }
    const qreal ratio = devicePixelRatioF();
    const QRect picture = units.Rect(7, 51, 91, 80);
    m_pPicture->setGeometry(picture);
    m_pPicture->setAlignment(Qt::AlignCenter);
    const int nSide = qMin(picture.width(), picture.height());
    m_pPicture->setPixmap(AboutShredderPicture(QSize(nSide, nSide), ratio));
    const QRect passes = units.Rect(177, 51, 51, 32);
    m_pPasses->setGeometry(passes);
    m_pPasses->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_pPasses->setLineWidth(1);
    m_pPasses->setAlignment(Qt::AlignCenter);
    m_pPasses->setPixmap(AboutPassesPicture(passes.size() - QSize(2, 2), ratio));
    m_pContactGroup->setGeometry(units.Rect(104, 84, 124, 47));
    QRect email = units.Rect(113, 96, 105, 8);
    email.setHeight(qMax(email.height(), m_pEmailLink->sizeHint().height()));
    m_pEmailLink->setGeometry(email);
    // The address may take a second line in a wider font; the line gets the height it needs
    // rather than being cut off at the template's.
    QRect web = units.Rect(113, 111, 107, 14);
    web.setHeight(qMax(web.height(), m_pWebLink->heightForWidth(web.width())));
    m_pWebLink->setGeometry(web);
    m_pEmailLink->raise();
    m_pWebLink->raise();
    setFixedSize(units.Across(235), units.Down(138));
}

void CAboutDlg::OnLinkFailed(const QString& url) {
    CMessageBox::Show(
        this, QStringLiteral("No program of this desktop would open ") + url + QStringLiteral("."),
        CMessageBox::Ok);
}

bool CAboutDlg::event(QEvent* pEvent) {
    if (IsHelpKey(pEvent)) {
        pEvent->accept();
        return true;
    }
    return QDialog::event(pEvent);
}

void CAboutDlg::paintEvent(QPaintEvent* pEvent) {
    QDialog::paintEvent(pEvent);
    QPainter painter(this);
    qDrawWinPanel(&painter, rect(), palette(), false);
}

}  // namespace quorrel
