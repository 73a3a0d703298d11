// The window's own settings in the profile, read through the settings object as the window
// reads them at start-up: the overwrite method (a number, a text or a @ByteArray value) and
// the window placement.
#include <QSettings>

#include "engine/file/WipeMethod.h"
#include "shell/AppSettings.h"
#include "shell/WindowPlacement.h"
#include "tests/fuzz/FuzzInput.h"

using namespace quorrel;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    quorrel::fuzz::StartQt(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const quorrel::fuzz::CInputFile file(data, size);
    QSettings profile(QString::fromStdString(file.Path()), QSettings::IniFormat);
    int nMethod = 0;
    if (LoadWipeMethod(profile, nMethod)) {
        (void)WipeMethodName(nMethod);
        (void)WipePassCount(nMethod);
    }
    SWindowPlacement placement;
    (void)ReadWindowPlacement(profile, placement);
    return 0;
}
