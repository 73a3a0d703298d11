#include "shell/AbortDlg.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorrel {

CAbortDlg::CAbortDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("abortDialog");
    setWindowTitle("Abort");
    setModal(false);
    auto* text = new QLabel("To abort the process press Cancel.", this);
    text->setObjectName("abortText");
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("abortCancelButton");
    connect(cancel, &QPushButton::clicked, this, &CAbortDlg::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addStretch(1);
    layout->addLayout(buttons);
    // The template is 136 x 50 dialog units: about 204 x 81 pixels in the usual font. A fixed
    // box with a caption and a close box only: nothing to resize, minimise or maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(sizeHint().expandedTo(QSize(204, 81)));
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
