// Shredding one list entry: what a path the user named comes to on the disk now.
//
// The path is resolved once: the folder that holds its last part is opened (or kept from the
// entry before, when that named it by the same string and the string still leads to it), and
// the entry of that literal name is looked up in it; only when there is none, a last part
// holding `*` or `?` is a pattern, and every entry it matches in that folder is shredded as if
// it had been named, in the listing's order. A path that ends in a separator names the folder
// before it.
#include <algorithm>

#include "engine/log/LogLines.h"
#include "engine/runs/WipeEngine.h"
#include "engine/walk/FolderWalk.h"

namespace quorrel {

namespace {

// The worse of two outcomes: aborted over failed over removed-not-in-place over destroyed.
EWipeOutcome Worse(EWipeOutcome a, EWipeOutcome b) {
    return static_cast<int>(a) > static_cast<int>(b) ? a : b;
}

// Where the last part of the collapsed path `shown` starts.
std::size_t LastPartStart(const std::string& shown, std::size_t nEnd) {
    std::size_t nStart = nEnd;
    while (nStart > 0 && !IsPathSeparator(shown[nStart - 1])) {
        --nStart;
    }
    return std::max(nStart, std::min(PathRootLength(shown), nEnd));
}

// What the log calls the match `name` of the pattern the collapsed path `shown` ends in.
std::string MatchShown(const std::string& shown, bool bFolderOnly, const std::string& name) {
    const std::size_t nEnd = bFolderOnly ? shown.size() - 1 : shown.size();
    return shown.substr(0, LastPartStart(shown, nEnd)) + name + shown.substr(nEnd);
}

// The outcome of a pattern whose matches were in flight: not begun only when none was begun,
// else the worst of those begun (aborted, when some were stopped before they began).
struct CMatchesOutcome {
    std::size_t nLeft = 0;
    bool bAnyBegun = false;
    bool bAnyNotBegun = false;
    EWipeOutcome worst = EWipeOutcome::Destroyed;

    // Notes one match's outcome; true when it was the last.
    bool Note(EWipeOutcome outcome) {
        if (outcome == EWipeOutcome::NotBegun) {
            bAnyNotBegun = true;
        } else {
            bAnyBegun = true;
            worst = Worse(worst, outcome);
        }
        return --nLeft == 0;
    }
    EWipeOutcome Outcome() const {
        if (!bAnyBegun) {
            return EWipeOutcome::NotBegun;
        }
        return bAnyNotBegun ? Worse(worst, EWipeOutcome::Aborted) : worst;
    }
};

}  // namespace

EWipeOutcome CWipeEngine::WipeListItem(const std::string& path) {
    // Runs of separators are shown as one; the path itself is resolved as given.
    const std::string shown = CollapseSeparators(path);
    const std::string name = LastPathPart(path);
    if (IsDotName(name)) {
        Fail(lines::DotName(shown));
        return EWipeOutcome::Failed;
    }
    if (IsDriveRelative(path)) {
        Fail(lines::DriveRelative(shown));
        return EWipeOutcome::Failed;
    }
    const bool bFolderOnly = EndsInSeparator(path);
    CFileError error;
    std::shared_ptr<IFolder> parent = m_listPaths.OpenParentOf(m_fs, path, error);
    CDirEntry entry;
    std::vector<CDirEntry> matches;
    EWipeOutcome outcome = EWipeOutcome::Failed;
    if (parent && parent->Lookup(name, entry, error)) {
        NoteStayFolder(parent, shown, entry.m_strName);
        outcome = WipeNamed(*parent, entry, path, shown, bFolderOnly);
        if (IsRemoved(outcome)) {
            NoteShreddedIn(parent->GetId(), entry.m_strName, shown);
        }
    } else if (parent && HasPattern(name) &&
               ListMatches(*parent, name, bFolderOnly, matches, error) && !matches.empty()) {
        for (const CDirEntry& match : matches) {
            NoteStayFolder(parent, shown, match.m_strName);
        }
        outcome = WipeMatches(*parent, matches, shown, bFolderOnly);
    } else if (!parent && error.m_eFault == EFileFault::Replaced) {
        Fail(lines::Replaced(shown));  // its folder is no longer the one the run began with
        return EWipeOutcome::Failed;
    } else {
        return NothingNamed(path, shown, parent.get());
    }
    if (IsRemoved(outcome)) {
        NoteShredded(shown);
    }
    return outcome;
}

// One entry the user named (or a pattern matched), looked up in `parent`: a folder is walked
// (in recycle-bin mode when it carries the system attribute), anything else wiped as a file.
EWipeOutcome CWipeEngine::WipeNamed(IFolder& parent, const CDirEntry& entry,
                                    const std::string& path, const std::string& shown,
                                    bool bFolderOnly) {
    const bool bFolder = (entry.m_attributes & kAttrDirectory) != 0;
    if (bFolderOnly && (entry.m_attributes & kAttrReparsePoint) != 0) {
        Fail(lines::FolderLink(shown));  // "link/" names a folder, and links are never followed
        return EWipeOutcome::Failed;
    }
    if (bFolderOnly && !bFolder) {
        Fail(lines::NotAnObject(shown));
        return EWipeOutcome::Failed;
    }
    if (!bFolder) {
        return WipeFileEntry(parent, entry, shown, EWipeMode::Normal);
    }
    if (m_fs.IsFileSystemRoot(path)) {  // the root reached by another name (a bind mount)
        Fail(lines::RootRefused(shown));
        return EWipeOutcome::Failed;
    }
    // A folder the system keeps for itself (a bin) is only overwritten, never removed.
    const EWipeMode mode =
        (entry.m_attributes & kAttrSystem) != 0 ? EWipeMode::RecycleBin : EWipeMode::Normal;
    const int nWarnings = m_log.WarningCount();
    return WalkOutcome(WalkFolder(parent, entry, shown, mode), nWarnings);
}

// Every match of a pattern, one after another as if each had been named, each with its own
// lines: the worst of their outcomes is the entry's.
EWipeOutcome CWipeEngine::WipeMatches(IFolder& parent, const std::vector<CDirEntry>& matches,
                                      const std::string& shown, bool bFolderOnly) {
    EWipeOutcome worst = EWipeOutcome::Destroyed;
    for (std::size_t i = 0; i < matches.size(); ++i) {
        if (i > 0 && m_host.IsAborted()) {
            m_log.NoteAborted();
            return EWipeOutcome::Aborted;
        }
        const std::string matchShown = MatchShown(shown, bFolderOnly, matches[i].m_strName);
        if (IsOtherMount(parent, matches[i])) {  // a user who typed `*` did not name a mount
            Fail(lines::MountPoint(matchShown));
            worst = Worse(worst, EWipeOutcome::Failed);
            continue;
        }
        const EWipeOutcome outcome =
            WipeNamed(parent, matches[i], matchShown, matchShown, bFolderOnly);
        if (IsRemoved(outcome)) {
            NoteShredded(matchShown);
            NoteShreddedIn(parent.GetId(), matches[i].m_strName, matchShown);
        }
        worst = Worse(worst, outcome);
        if (outcome == EWipeOutcome::Aborted) {
            break;
        }
    }
    return worst;
}

bool CWipeEngine::FindMatchedFiles(const std::string& path, std::shared_ptr<IFolder>& parent,
                                   std::vector<CDirEntry>& matches) {
    const std::string name = LastPathPart(path);
    if (IsDriveRelative(path) || EndsInSeparator(path) || !HasPattern(name)) {
        return false;
    }
    CFileError error;
    CDirEntry literal;
    parent = m_listPaths.OpenParentOf(m_fs, path, error);
    if (!parent || parent->Lookup(name, literal, error) ||
        !ListMatches(*parent, name, false, matches, error) || matches.empty()) {
        return false;
    }
    return std::all_of(matches.begin(), matches.end(), [&](const CDirEntry& match) {
        return IsPlainFile(match.m_attributes) && !IsOtherMount(*parent, match) &&
               !m_listInFlight->IsInFlight(match.m_id);
    });
}

void CWipeEngine::WipeMatchesInFlight(const std::shared_ptr<IFolder>& parent,
                                      const std::vector<CDirEntry>& matches,
                                      const std::string& shown,
                                      const std::function<void(EWipeOutcome)>& then) {
    auto outcome = std::make_shared<CMatchesOutcome>();
    outcome->nLeft = matches.size();
    for (const CDirEntry& match : matches) {
        const std::string matchShown = MatchShown(shown, false, match.m_strName);
        NoteStayFolder(parent, matchShown, match.m_strName);
        const CFileId folderId = parent->GetId();
        const std::string& name = match.m_strName;
        m_listInFlight->ShredListed(
            parent, match, matchShown,
            [this, outcome, matchShown, shown, then, folderId, name](EWipeOutcome one) {
                if (IsRemoved(one)) {
                    NoteShredded(matchShown);
                    NoteShreddedIn(folderId, name, matchShown);
                }
                if (!outcome->Note(one)) {
                    return;
                }
                if (IsRemoved(outcome->Outcome())) {
                    NoteShredded(shown);
                }
                then(outcome->Outcome());
            });
    }
}

// A path that names nothing now: gone with an entry shredded earlier in this run (said, not
// a failure), by its path or, in `pParent` (null when it could not be opened), by the folder's
// identity (another name of the same folder: a bind mount, a link); the root; or nothing.
EWipeOutcome CWipeEngine::NothingNamed(const std::string& path, const std::string& shown,
                                       const IFolder* pParent) {
    if (pParent != nullptr) {
        const CFileId id = pParent->GetId();
        const auto found = m_shreddedIn.find({id.m_nVolume, id.m_nIndex, LastPathPart(path)});
        if (found != m_shreddedIn.end()) {
            m_host.AddLine(lines::ShreddedEarlier(shown, found->second));
            return EWipeOutcome::Destroyed;
        }
    }
    std::string full = m_listPaths.FullPath(shown);
    for (;;) {
        const auto found = m_shredded.find(full);
        if (found != m_shredded.end()) {
            m_host.AddLine(lines::ShreddedEarlier(shown, found->second));
            return EWipeOutcome::Destroyed;
        }
        const std::string parent = ParentFolder(full);
        if (parent == full) {
            break;
        }
        full = parent;
    }
    Fail(m_fs.IsFileSystemRoot(path) ? lines::RootRefused(shown) : lines::NotAnObject(shown));
    return EWipeOutcome::Failed;
}

// Notes an entry this run destroyed, under its full path, for the entries named after it.
void CWipeEngine::NoteShredded(const std::string& shown) {
    m_shredded.emplace(m_listPaths.FullPath(shown), shown);
}

// The same by the identity of the folder that held it, for entries named through another
// name of that folder.
void CWipeEngine::NoteShreddedIn(const CFileId& folder, const std::string& name,
                                 const std::string& shown) {
    m_shreddedIn.emplace(std::make_tuple(folder.m_nVolume, folder.m_nIndex, name), shown);
}

}  // namespace quorrel
