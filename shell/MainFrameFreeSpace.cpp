// The frame's WIPE Free Space.
#include <QDir>
#include <QFile>

#include "engine/freespace/FreeSpaceRun.h"
#include "engine/runs/WipeEngine.h"
#include "shell/FileDialog.h"
#include "shell/MainFrame.h"
#include "shell/MessageBox.h"
#include "shell/OutputBar.h"

namespace quorrel {

void CMainFrame::OnWipeFreeSpace() {
    const QString chosen = CFileDialog::GetExistingDirectory(
        nullptr, QStringLiteral("Select a folder on the disk to wipe"), QDir::homePath());
    if (chosen.isEmpty()) {
        return;
    }
    const QByteArray encoded = QFile::encodeName(chosen);
    const std::string folder(encoded.constData(), static_cast<std::size_t>(encoded.size()));
    CWipeEngine& engine = Engine();
    CFreeSpaceFacts facts;
    std::string line;
    if (!DescribeFreeSpace(engine.Files(), folder, facts, line)) {
        engine.Fail(line);  // a failure is a log line, never a box
        return;
    }
    // The disk will be full for a while: only a deliberate Yes starts that.
    if (CMessageBox::Show(this, QString::fromUtf8(FreeSpaceQuestion(facts).c_str()),
                          CMessageBox::YesNo, CMessageBox::Exclamation,
                          CMessageBox::DefaultRefusal) != CMessageBox::IdYes) {
        return;
    }
    RunWipeFreeSpace(engine, folder, facts);
}

}  // namespace quorrel
