#include <QCoreApplication>

#include "tests/fuzz/FuzzInput.h"

namespace quorrel::fuzz {

void StartQt(int* /*argc*/, char*** argv) {
    // Qt gets an argument list of its own, so that it never edits the fuzzer's, and the
    // application lives for the whole run: the readers' settings objects work under it.
    static int nArgs = 1;
    static char* args[] = {(*argv)[0], nullptr};
    static QCoreApplication* pApp = new QCoreApplication(nArgs, args);
    (void)pApp;
}

}  // namespace quorrel::fuzz
