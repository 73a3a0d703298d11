#include "toolkit/TipOfTheDay.h"

#include "toolkit/RegistryManager.h"
#include "toolkit/TipArt.h"
#include "toolkit/TipsFile.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>

namespace quorrel {

namespace {

const char kSection[] = "Tip";
const char kStartUp[] = "StartUp";
const char kFilePos[] = "FilePos";
const char kTimeStamp[] = "TimeStamp";
const char kDefaultTipsFile[] = "tips.txt";

// The fixed places of the drawing, in pixels of the dialog's client area: the strip ends and
// the tip area begins at x = 65, the rule under the heading lies at y = 60.
constexpr int kStripRight = 65;
constexpr int kRuleY = 60;
const QPoint kHeadingAt(71, 30);
const QPoint kTextTopLeft(70, 72);

CXTTipOfTheDay::MessageHandler& Handler() {
    static CXTTipOfTheDay::MessageHandler handler;
    return handler;
}

// Dialog units of `font`: a quarter of the average character width across, an eighth of the
// height down, so the dialog keeps its template's proportions whatever the font.
struct SDialogUnits {
    double x;
    double y;
    int Across(int n) const { return static_cast<int>(n * x + 0.5); }
    int Down(int n) const { return static_cast<int>(n * y + 0.5); }
};

SDialogUnits DialogUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return {metrics.horizontalAdvance(alphabet) / 52.0 / 4.0, metrics.height() / 8.0};
}

QRect DialogRect(const SDialogUnits& units, int x, int y, int cx, int cy) {
    return QRect(units.Across(x), units.Down(y), units.Across(cx), units.Down(cy));
}

}  // namespace

CXTTipOfTheDay::CXTTipOfTheDay(const QString& strTipsFile, QWidget* pParent)
    : QDialog(pParent),
      m_strHeading(QStringLiteral("Did you know...")),
      m_strTipsFile(!strTipsFile.isEmpty() && QFileInfo::exists(strTipsFile)
                        ? strTipsFile
                        : QString::fromLatin1(kDefaultTipsFile)) {
    ReadProfileAndFile();
    OnInitDialog();
}

CXTTipOfTheDay::~CXTTipOfTheDay() {
    if (m_pStream != nullptr) {
        CXTRegistryManager().WriteProfileInt(QString::fromLatin1(kSection),
                                             QString::fromLatin1(kFilePos),
                                             static_cast<int>(m_pStream->Tell()));
    }
}

QString CXTTipOfTheDay::MissingFileText() {
    return QStringLiteral("Tips file does not exist in the prescribed directory");
}

QString CXTTipOfTheDay::NoTipsText() {
    return QStringLiteral(
        "The tips file holds no tips: every line in it is empty, indented "
        "or a comment.");
}

QString CXTTipOfTheDay::TroubleText() {
    return QStringLiteral("Trouble reading the tips file");
}

void CXTTipOfTheDay::SetMessageHandler(MessageHandler handler) {
    Handler() = std::move(handler);
}

void CXTTipOfTheDay::ReadProfileAndFile() {
    CXTRegistryManager profile;
    const QString section = QString::fromLatin1(kSection);
    m_bStartup = profile.GetProfileInt(section, QString::fromLatin1(kStartUp), 0) == 0;
    long nFilePos = profile.GetProfileInt(section, QString::fromLatin1(kFilePos), 0);

    auto pStream = std::make_unique<CXTTipsFile>(m_strTipsFile);
    if (!pStream->IsOpen()) {
        m_strTip = MissingFileText();
        return;
    }
    m_pStream = std::move(pStream);
    // An edited file no longer has its tips where the stored offset points: start it afresh.
    const QString stamp = m_pStream->ModificationText();
    if (stamp != profile.GetProfileString(section, QString::fromLatin1(kTimeStamp), QString())) {
        profile.WriteProfileString(section, QString::fromLatin1(kTimeStamp), stamp);
        nFilePos = 0;
    }
    if (!m_pStream->Seek(nFilePos)) {
        ShowMessage(TroubleText());
        // The stream is still at the beginning: read on from there rather than show nothing.
    }
    ReadNextTip();
}

void CXTTipOfTheDay::ReadNextTip() {
    switch (m_pStream->ReadNextTip(m_strTip)) {
        case CXTTipsFile::ReadOk:
            return;
        case CXTTipsFile::SeekFailed:
            ShowMessage(TroubleText());
            return;
        case CXTTipsFile::NoTips:
            m_strTip = NoTipsText();
            m_bHasTips = false;
            return;
    }
}

void CXTTipOfTheDay::ShowMessage(const QString& text) {
    QWidget* pParent = isVisible() ? this : parentWidget();
    if (Handler()) {
        Handler()(pParent, text);
        return;
    }
    QMessageBox::warning(pParent, QGuiApplication::applicationDisplayName(), text);
}

void CXTTipOfTheDay::OnInitDialog() {
    setObjectName(QStringLiteral("tipOfTheDayDialog"));
    setWindowTitle(QStringLiteral("Tip of the Day"));
    setWindowFlags((windowFlags() | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                    Qt::WindowCloseButtonHint) &
                   ~Qt::WindowContextHelpButtonHint);

    // The faces of the template, then faces a system lacking them is likely to have: a machine
    // without Times or Arial (Wine has neither) would otherwise get whatever font its system
    // matches first, a mathematical one at four times the line height, and show one cut line.
    m_fontHeading = QFont(QStringLiteral("Times"));
    m_fontHeading.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Times"),
                               QStringLiteral("Georgia"), QStringLiteral("Liberation Serif"),
                               QStringLiteral("DejaVu Serif")});
    m_fontHeading.setStyleHint(QFont::Serif);
    m_fontHeading.setPixelSize(22);
    m_fontHeading.setWeight(QFont::Bold);
    m_fontTip = QFont(QStringLiteral("Arial"));
    m_fontTip.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                           QStringLiteral("DejaVu Sans"), QStringLiteral("Tahoma")});
    m_fontTip.setStyleHint(QFont::SansSerif);
    m_fontTip.setPixelSize(16);
    m_fontTip.setWeight(QFont::Normal);

    // Made in the template's tab order: Close, the check box, Next Tip.
    m_pCloseButton = new QPushButton(QStringLiteral("&Close"), this);
    m_pCloseButton->setObjectName(QStringLiteral("closeButton"));
    m_pStartupCheck = new QCheckBox(QStringLiteral("&Show tips at startup"), this);
    m_pStartupCheck->setObjectName(QStringLiteral("startupCheck"));
    m_pNextButton = new QPushButton(QStringLiteral("&Next Tip"), this);
    m_pNextButton->setObjectName(QStringLiteral("nextTipButton"));

    m_pCloseButton->setDefault(true);
    m_pNextButton->setAutoDefault(false);
    m_pNextButton->setEnabled(m_pStream != nullptr && m_bHasTips);
    m_pStartupCheck->setChecked(m_bStartup);
    connect(m_pCloseButton, &QPushButton::clicked, this, &CXTTipOfTheDay::accept);
    connect(m_pNextButton, &QPushButton::clicked, this, &CXTTipOfTheDay::OnNextTip);
    LayOut();
    m_pCloseButton->setFocus(Qt::OtherFocusReason);
}

void CXTTipOfTheDay::LayOut() {
    const SDialogUnits units = DialogUnitsOf(font());
    m_pCloseButton->setGeometry(DialogRect(units, 221, 136, 50, 14));
    m_pNextButton->setGeometry(DialogRect(units, 162, 136, 50, 14));
    QRect check = DialogRect(units, 7, 140, 78, 10);
    // The template's width, or what the text needs in this font: the label must not be cut.
    check.setWidth(qMax(check.width(), m_pStartupCheck->sizeHint().width()));
    check.setHeight(qMax(check.height(), m_pStartupCheck->sizeHint().height()));
    check.moveTop(m_pNextButton->geometry().center().y() - check.height() / 2);
    m_pStartupCheck->setGeometry(check);
    m_rcFrame = DialogRect(units, 8, 7, 263, 123);
    setFixedSize(units.Across(279), units.Down(157));
}

void CXTTipOfTheDay::accept() {
    m_bStartup = m_pStartupCheck->isChecked();
    CXTRegistryManager().WriteProfileInt(QString::fromLatin1(kSection),
                                         QString::fromLatin1(kStartUp), m_bStartup ? 0 : 1);
    QDialog::accept();
}

void CXTTipOfTheDay::OnNextTip() {
    if (m_pStream == nullptr || !m_bHasTips) {
        return;
    }
    ReadNextTip();
    m_pNextButton->setEnabled(m_bHasTips);
    update(m_rcFrame);
    m_pStartupCheck->setChecked(m_bStartup);
}

void CXTTipOfTheDay::paintEvent(QPaintEvent* pEvent) {
    QDialog::paintEvent(pEvent);
    QPainter painter(this);
    QRect frame = m_rcFrame;
    frame.setBottom(frame.bottom() - 1);

    QStyleOptionFrame border;
    border.initFrom(this);
    border.rect = frame;
    border.lineWidth = 1;
    border.state |= QStyle::State_Sunken;
    style()->drawPrimitive(QStyle::PE_Frame, &border, &painter, this);

    QRect strip = frame.adjusted(1, 1, -1, -1);
    strip.setRight(kStripRight - 1);
    QRect area = frame.adjusted(1, 1, -1, -1);
    area.setLeft(kStripRight);
    painter.fillRect(strip, palette().color(QPalette::Mid));
    painter.fillRect(area, palette().color(QPalette::Base));
    painter.fillRect(QRect(kStripRight, kRuleY, area.right() - kStripRight + 1, 1),
                     palette().color(QPalette::Mid));
    DrawTipBulb(painter, strip);

    painter.setPen(palette().color(QPalette::Text));
    painter.setFont(m_fontHeading);
    painter.drawText(QRect(kHeadingAt, QPoint(area.right() - 5, kRuleY - 1)),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_strHeading);
    painter.setFont(m_fontTip);
    const QRect text(kTextTopLeft, QPoint(area.right() - 5, area.bottom() - 5));
    DrawTipText(painter, text, m_strTip);
}

}  // namespace quorrel
