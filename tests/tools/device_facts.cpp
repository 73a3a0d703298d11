// Prints the device facts of the volume each path lies on, as a run reads them: the chain of
// devices down to the drives and what the drives tell. For the assurance tests' records and
// for looking at a machine by hand.
#include <cstdio>
#include <memory>
#include <string>

#include "platform/DeviceFacts.h"
#include "platform/FileSystem.h"

int main(int argc, char** argv) {
    using namespace quorrel;
    int nStatus = 0;
    for (int i = 1; i < argc; ++i) {
        std::string name;
        CFileError error;
        CDirEntry entry;
        std::unique_ptr<IFolder> folder = SystemFileSystem().OpenParentOf(argv[i], name, error);
        if (!folder) {  // the root: the folder itself, on its own mount
            folder = SystemFileSystem().OpenFolder(argv[i], error);
            entry.m_id = folder ? folder->GetId() : CFileId();
        }
        CVolumeDevice device;
        if (!folder || (!name.empty() && !folder->Lookup(name, entry, error))) {
            std::printf("%s: %s\n", argv[i], error.GetErrorMessage().c_str());
            nStatus = 1;
        } else if (!folder->GetDevice(entry, device)) {
            std::printf("%s: the system tells nothing of its device\n", argv[i]);
        } else {
            std::printf("%s\n%s", argv[i], FormatVolumeDevice(device).c_str());
            if (!device.m_drives.empty()) {
                std::printf("  drive-level command: %s\n", DriveEraseCommand(device).c_str());
            }
        }
    }
    return nStatus;
}
