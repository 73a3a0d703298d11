// Fillers made in a folder's unused entry space and removed again.
#include "engine/names/Fillers.h"

#include "engine/file/FileShredder.h"
#include "engine/log/LogLines.h"

namespace quorrel {

namespace {

// Fillers between two looks at the `stopped` check.
constexpr int kFillersPerLook = 16;

// Makes the filler `name` in `folder`: a short link whose target is `nLinkBytes` long where
// that is given, an empty file otherwise.
bool MakeFiller(IFolder& folder, const std::string& path, const std::string& name,
                std::int64_t nLinkBytes, CNameDrawer& drawer, CFileError& error) {
    if (nLinkBytes > 0) {
        return folder.CreateLink(name, drawer.Draw(static_cast<std::size_t>(nLinkBytes)), error);
    }
    std::unique_ptr<IFileHandle> file = folder.CreateNewFile(name, JoinPath(path, name), error);
    return file && file->Close(error);
}

}  // namespace

bool Outgrown(const CFolderSize& start, const CFolderSize& last, const CFolderSize& now) {
    return now.m_nAllocatedBytes != start.m_nAllocatedBytes || now.m_nBytes < last.m_nBytes ||
           (start.m_nAllocatedBytes > 0 && now.m_nBytes > start.m_nBytes);
}

EFillerEnd MakeFillers(IFolder& folder, const std::string& path, CFillerPlan& plan,
                       CNameDrawer& drawer, const std::function<bool()>& stopped,
                       std::vector<std::string>& made, CFileError& error) {
    CFolderSize start;
    const bool bSized = plan.bUntilOutgrown && folder.GetFolderSize(start);
    CFolderSize last = start;
    for (int nFiller = 0; nFiller < plan.nMost; ++nFiller) {
        if (nFiller % kFillersPerLook == 0 && stopped()) {
            return EFillerEnd::Stopped;
        }
        const std::size_t nLength = plan.lengths.empty()
                                        ? kMinFillerLength
                                        : plan.lengths[plan.nNext++ % plan.lengths.size()];
        const std::string name = drawer.Filler(nLength);
        if (!MakeFiller(folder, path, name, plan.nLinkBytes, drawer, error)) {
            if (error.m_eFault == EFileFault::NameTaken) {
                continue;
            }
            return EFillerEnd::Refused;  // a folder of fixed size (FAT's root) is full
        }
        made.push_back(name);
        CFolderSize now;
        if (bSized && folder.GetFolderSize(now) && Outgrown(start, last, now)) {
            // The filler that made the folder grow goes again at once: a folder kept inside
            // its record (xfs) moves back into it, filled to the last byte its entries take.
            CFileError ignored;
            if (folder.Delete(name, ignored)) {
                made.pop_back();
            }
            return EFillerEnd::Done;
        }
        last = now;
    }
    return EFillerEnd::Done;
}

bool RemoveFillers(IFolder& folder, const std::string& path, const std::vector<std::string>& made,
                   const std::function<void(const std::string&)>& fail) {
    bool bOk = true;
    for (const std::string& name : made) {
        CFileError error;
        if (!folder.Delete(name, error)) {
            fail(Quote(lines::kDeleteFailed, JoinPath(path, name), error));
            bOk = false;
        }
    }
    return bOk;
}

bool IsLeftFiller(const CDirEntry& entry) {
    const std::int64_t nUser = CurrentUserNumber();
    return IsFillerName(entry.m_strName) && IsPlainFile(entry.m_attributes) &&
           entry.m_nLinks == 1 && (nUser < 0 || entry.m_nOwner < 0 || entry.m_nOwner == nUser);
}

void RemoveLeftFillers(IFolder& folder, const std::string& path,
                       const std::function<void(const std::string&)>& say,
                       const std::function<void(const std::string&)>& fail) {
    std::vector<CDirEntry> entries;
    CFileError error;
    if (!folder.List(entries, error)) {
        return;  // the run's own steps say what fails in this folder
    }
    for (const CDirEntry& entry : entries) {
        const std::string filler = JoinPath(path, entry.m_strName);
        if (IsLeftFiller(entry)) {
            if (folder.DeleteListed(entry, entry.m_strName, error)) {
                say(lines::FillerLeftoverRemoved(filler));
            } else {
                fail(Quote(lines::kDeleteFailed, filler, error));
            }
        } else if (LooksLikeFillerName(entry.m_strName) && IsPlainFile(entry.m_attributes)) {
            say(lines::FillerLookAlike(filler));
        }
    }
}

std::set<std::string> FillerNamesIn(IFolder& folder) {
    std::set<std::string> names;
    std::vector<CDirEntry> entries;
    CFileError error;
    if (folder.List(entries, error)) {
        for (const CDirEntry& entry : entries) {
            if (LooksLikeFillerName(entry.m_strName)) {  // pieced-together names too
                names.insert(entry.m_strName);
            }
        }
    }
    return names;
}

bool NoFillerStays(IFolder& folder, const std::string& path, const std::set<std::string>& before,
                   const std::function<void(const std::string&)>& fail) {
    bool bNone = true;
    for (const std::string& name : FillerNamesIn(folder)) {
        if (before.count(name) == 0) {
            CFileError error;
            error.m_nCause = kCauseGeneric;
            error.m_strFileName = JoinPath(path, name);
            fail(Quote(lines::kDeleteFailed, JoinPath(path, name), error));
            bNone = false;
        }
    }
    return bNone;
}

}  // namespace quorrel
