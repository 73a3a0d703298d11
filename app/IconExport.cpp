// Build step: writes the application icon as the PNG files of the desktop's icon theme
// (hicolor/<size>x<size>/apps/quorrel.png under the folder given), so that the desktop entry's
// Icon=quorrel finds the same picture the window shows. The icon is drawn in code; this is its
// only way into a file.
#include "shell/Artwork.h"
#include "toolkit/QtCompat.h"

#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <cstdio>

namespace {

using quorrel::IconPixmap;

const int kSizes[] = {16, 24, 32, 48, 64, 96};

// Writes the icon at `nSize` pixels into `root`; false when the file could not be written.
bool ExportSize(const QIcon& icon, const QString& root, int nSize) {
    const QString folder = QStringLiteral("%1/hicolor/%2x%2/apps").arg(root).arg(nSize);
    if (!QDir().mkpath(folder)) {
        return false;
    }
    // The large sizes are the icon's own double-density drawings, not enlargements.
    const int nRatio = nSize > 48 ? 2 : 1;
    const int nLogical = nSize / nRatio;
    QImage image = IconPixmap(icon, QSize(nLogical, nLogical), nRatio, QIcon::Normal).toImage();
    if (image.size() != QSize(nSize, nSize)) {
        image = image.scaled(nSize, nSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    image.setDevicePixelRatio(1.0);
    return image.save(folder + QStringLiteral("/quorrel.png"), "PNG");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: quorrel-icon-export FOLDER\n");
        return 2;
    }
    // Drawing needs a GUI application but no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int appArgc = 1;
    QGuiApplication application(appArgc, argv);
    const QString root = QString::fromLocal8Bit(argv[1]);
    const QIcon icon = quorrel::AppIcon();
    for (const int nSize : kSizes) {
        if (!ExportSize(icon, root, nSize)) {
            std::fprintf(stderr, "quorrel-icon-export: cannot write the %dx%d icon under %s\n",
                         nSize, nSize, argv[1]);
            return 1;
        }
    }
    return 0;
}
