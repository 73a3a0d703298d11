// What a list run keeps from one entry to the next, so that the entries of one folder cost no
// more than a walk of that folder does.
#pragma once

#include <memory>
#include <string>

#include "platform/FileSystem.h"

namespace quorrel {

// The folder the last entry was found in, and the current directory as the run found it.
class CListPaths {
public:
    // Resolves `path` once, as IFileSystem::OpenParentOf() does, and gives the folder that
    // holds its last part. When the entry before named its folder by the same string, and that
    // string still leads to the folder kept from it (same folder, same mount), the kept folder
    // is given instead of a new open of it; otherwise the folder is opened and kept. Null, with
    // `error` set, when it cannot be opened. Files in flight may go on sharing a folder after
    // the next call has moved on to another.
    std::shared_ptr<IFolder> OpenParentOf(IFileSystem& fs, const std::string& path,
                                          CFileError& error);
    // `path` made absolute as FullPath() makes it, against the current directory as the first
    // call since Forget() found it (the run never changes it).
    std::string FullPath(const std::string& path);
    // Lets go of the kept folder, so that nothing stays open (a mount busy) once a run has
    // ended.
    void Forget();

private:
    std::string m_strFolder;  // the folder part of the path the kept folder was opened for
    std::shared_ptr<IFolder> m_folder;
    std::string m_strCurrent;
};

}  // namespace quorrel
