#include "shell/AbortDlg.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/log/LogLines.h"
#include "engine/runs/RunProgress.h"
#include "list/PathText.h"

namespace quorrel {

namespace {

// Wide enough for a path of some length and the longest counts; the height follows the rows.
constexpr int kDialogWidth = 440;

QLabel* AddFact(QFormLayout& form, const char* pszLabel, const char* pszObjectName,
                QWidget* parent) {
    auto* pValue = new QLabel(parent);
    pValue->setObjectName(QLatin1String(pszObjectName));
    pValue->setTextFormat(Qt::PlainText);
    auto* pLabel = new QLabel(QString::fromUtf8(pszLabel), parent);
    pLabel->setBuddy(pValue);
    form.addRow(pLabel, pValue);
    pValue->setAccessibleName(pLabel->text());
    return pValue;
}

QString Bytes(std::int64_t nBytes) {
    return QString::fromStdString(FormatBytes(nBytes));
}

}  // namespace

CAbortDlg::CAbortDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("abortDialog");
    setWindowTitle("Abort");
    setModal(false);
    auto* text = new QLabel("To abort the process press Cancel.", this);
    text->setObjectName("abortText");
    auto* form = new QFormLayout;
    m_pFile = AddFact(*form, "File:", "abortFile", this);
    m_pPass = AddFact(*form, "Pass:", "abortPass", this);
    m_pFiles = AddFact(*form, "Files done:", "abortFiles", this);
    m_pBytes = AddFact(*form, "Written:", "abortBytes", this);
    m_pTimeLeft = AddFact(*form, "Time left:", "abortTimeLeft", this);
    m_pTotal = new QProgressBar(this);
    m_pTotal->setObjectName("abortTotalProgress");
    m_pTotal->setAccessibleName("Whole run");
    m_pTotal->setRange(0, 1000);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("abortCancelButton");
    connect(cancel, &QPushButton::clicked, this, &CAbortDlg::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(form);
    layout->addWidget(m_pTotal);
    layout->addStretch(1);
    layout->addLayout(buttons);
    // A fixed box with a caption and a close box only: nothing to resize, minimise or maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    ShowProgress(CProgressFacts{});
    setFixedSize(QSize(kDialogWidth, sizeHint().height()));
}

void CAbortDlg::ShowProgress(const CProgressFacts& facts) {
    if (facts.m_strPath.empty()) {
        m_pFile->setText(QStringLiteral("Starting..."));
        for (QLabel* pLabel : {m_pPass, m_pFiles, m_pBytes, m_pTimeLeft}) {
            pLabel->setText(QString());
        }
        m_pTotal->setValue(0);
        return;
    }
    const QString path = DisplayPath(QByteArray::fromStdString(facts.m_strPath));
    const int nRoom = kDialogWidth - 120;
    m_pFile->setText(m_pFile->fontMetrics().elidedText(path, Qt::ElideMiddle, nRoom));
    m_pFile->setToolTip(path);
    m_pPass->setText(QStringLiteral("%1 of %2").arg(facts.m_nPass).arg(facts.m_nPasses));
    const bool bCounted = facts.m_nFilesTotal >= 0;
    m_pFiles->setText(
        bCounted ? QStringLiteral("%1 of %2").arg(facts.m_nFilesDone).arg(facts.m_nFilesTotal)
                 : QString::number(facts.m_nFilesDone));
    m_pBytes->setText(bCounted ? Bytes(facts.m_nBytesDone) + QStringLiteral(" of ") +
                                     Bytes(facts.m_nBytesTotal)
                               : Bytes(facts.m_nBytesDone));
    if (!bCounted) {
        m_pTimeLeft->setText(QStringLiteral("not known"));
    } else if (facts.m_nSecondsLeft < 0) {
        m_pTimeLeft->setText(QStringLiteral("estimating..."));
    } else {
        m_pTimeLeft->setText(QString::fromStdString(FormatDuration(facts.m_nSecondsLeft)));
    }
    m_pTotal->setVisible(bCounted);
    if (bCounted && facts.m_nBytesTotal > 0) {
        m_pTotal->setValue(static_cast<int>(facts.m_nBytesDone * 1000 / facts.m_nBytesTotal));
    } else if (bCounted && facts.m_nFilesTotal > 0) {
        m_pTotal->setValue(static_cast<int>(facts.m_nFilesDone * 1000 / facts.m_nFilesTotal));
    }
}

void CAbortDlg::PumpEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool CAbortDlg::IsAborted() {
    PumpEvents();
    return m_bAborted;
}

void CAbortDlg::reject() {
    m_bAborted = true;
}

void CAbortDlg::closeEvent(QCloseEvent* event) {
    m_bAborted = true;
    event->ignore();
}

}  // namespace quorrel
