// What a list run keeps from one entry to the next, so that the entries of one folder cost no
// more than a walk of that folder does.
#pragma once

#include <map>
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
    // `error` set, when it cannot be opened, and with the cause kCauseReplaced when the string
    // led to another folder earlier in the run and now leads through a link it did not lead
    // through then (the folder swapped for a link): a run is never led out of what it was
    // given. Files in flight may go on sharing a
    // folder after the next call has moved on to another.
    std::shared_ptr<IFolder> OpenParentOf(IFileSystem& fs, const std::string& path,
                                          CFileError& error);
    // `path` made absolute as FullPath() makes it, against the current directory as the first
    // call since Forget() found it (the run never changes it).
    std::string FullPath(const std::string& path);
    // Lets go of the kept folder, so that nothing stays open (a mount busy) once a run has
    // ended, and of the folders the run's strings led to.
    void Forget();

private:
    std::string m_strFolder;  // the folder part of the path the kept folder was opened for
    std::shared_ptr<IFolder> m_folder;
    std::string m_strCurrent;
    // The folder each folder string of the run led to last, and whether it led through a link
    // when the run first resolved it.
    struct CResolved {
        CFileId id;
        std::uint64_t nMount = 0;
        bool bThroughLink = false;
    };
    std::map<std::string, CResolved> m_resolved;
};

}  // namespace quorrel
