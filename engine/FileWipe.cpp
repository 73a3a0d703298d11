// Shredding one file: overwrite passes, truncation, random name, deletion.
#include <algorithm>
#include <cstring>
#include <ctime>

#include "FileRun.h"
#include "LogLines.h"
#include "WipeEngine.h"
#include "WipeMethod.h"

namespace quorrel {

namespace {

// Letters a random name is drawn from: "a" and the 19 that follow it.
constexpr int kNameLetters = 20;

// A link or special file: an entry with no data of its own, removed as it is.
bool HasNoData(const CDirEntry& entry) {
    return (entry.m_attributes & (kAttrDevice | kAttrReparsePoint)) != 0;
}

}  // namespace

std::string Quote(const std::string& prefix, const std::string& path, const CFileError& error) {
    return prefix + path + ": " + error.GetErrorMessage();
}

CWipeEngine::CWipeEngine(IFileSystem& fileSystem, IRunHost& host)
    : m_fs(fileSystem), m_host(host), m_clock([] { return std::int64_t{std::time(nullptr)}; }) {}

void CWipeEngine::Fail(const std::string& line) {
    ++m_nFailures;
    m_host.AddLine(line);
}

void CWipeEngine::Warn(const std::string& line) {
    ++m_nWarnings;
    m_host.AddLine(line);
}

bool CWipeEngine::WipeFile(const std::string& path, bool bRecycleBin) {
    std::string name;
    CFileError error;
    std::unique_ptr<IFolder> folder = m_fs.OpenParentOf(path, name, error);
    CDirEntry entry;
    if (folder && folder->Lookup(name, entry, error)) {
        return WipeFileEntry(*folder, entry, path, bRecycleBin);
    }
    if (name == "." || name == "..") {
        Fail(lines::DotName(path));
    } else if (!bRecycleBin) {
        error.m_strFileName = kUnnamedFile;  // the status step names no file
        Fail(Quote(lines::kSetAttributeFailed, path, error));
    } else {
        error.m_strFileName = path;
        Fail(Quote(lines::kOpenFailed, path, error));
    }
    return false;
}

bool CWipeEngine::WipeEntry(IFolder& folder, const CDirEntry& entry, const std::string& path,
                            bool bRecycleBin) {
    if ((entry.m_attributes & kAttrDirectory) != 0) {
        return WalkFolder(folder, entry, path, bRecycleBin);
    }
    return WipeFileEntry(folder, entry, path, bRecycleBin);
}

bool CWipeEngine::WipeFileEntry(IFolder& folder, const CDirEntry& entry,
                                const std::string& path, bool bRecycleBin) {
    if (RefuseEntry(folder, entry, path)) {
        return false;
    }
    if (!bRecycleBin) {
        if (!PrepareNormalMode(folder, entry, path)) {
            return false;
        }
        if (HasNoData(entry)) {
            return RenameAndDelete(folder, entry.m_strName, path, false);
        }
    } else if (HasNoData(entry)) {
        m_host.AddLine(lines::NoDataInBin(path));
        return true;
    }
    CFileRun run(folder, entry, path);
    CFileError error;
    run.file = folder.OpenForWrite(entry, path, error);
    if (!run.file) {
        Fail(Quote(lines::kOpenFailed, path, error));
        return false;
    }
    if (!run.file->GetLength(run.nLength, error) || !run.file->GetFacts(run.facts, error)) {
        Fail(Quote(lines::kSeekFailed, path, error));
        return false;
    }
    if (run.facts.m_nLinks > 1) {  // a name added since the listing
        Fail(lines::HardLinked(path, run.facts.m_nLinks));
        return false;
    }
    if (!run.file->GetDataRanges(run.nLength, run.ranges, error)) {
        Fail(Quote(lines::kSeekFailed, path, error));
        return false;
    }
    WarnAboutCopies(run);
    if (!OverwriteFile(run)) {
        return false;
    }
    return FinishFile(run, bRecycleBin);
}

// Entries no mode may write: those on a kernel file system, and files whose data other names
// share. True (with the line written) when the entry is refused.
bool CWipeEngine::RefuseEntry(IFolder& folder, const CDirEntry& entry, const std::string& path) {
    if (RefusePseudo(folder, path)) {
        return true;
    }
    if (IsPlainFile(entry.m_attributes) && entry.m_nLinks > 1) {
        Fail(lines::HardLinked(path, entry.m_nLinks));
        return true;
    }
    return false;
}

bool CWipeEngine::RefusePseudo(IFolder& folder, const std::string& path) {
    const CVolumeFacts volume = folder.GetVolume();
    if (!volume.m_bPseudo) {
        return false;
    }
    Fail(lines::PseudoFileSystem(path, volume.m_strType));
    return true;
}

// Step one of normal mode: clear the read-only bit (keeping the rest of the status) and
// announce the file. Links and special files have no status of their own to change.
bool CWipeEngine::PrepareNormalMode(IFolder& folder, const CDirEntry& entry,
                                    const std::string& path) {
    CFileError error;
    if (!HasNoData(entry) &&
        !folder.SetStatus(entry, entry.m_attributes & ~kAttrReadOnly, error)) {
        if (error.m_eFault == EFileFault::Replaced) {
            Fail(lines::Replaced(path));
        } else {
            error.m_strFileName = kUnnamedFile;
            Fail(Quote(lines::kSetAttributeFailed, path, error));
        }
        return false;
    }
    m_host.AddLine(lines::WipeingFile(path));
    return true;
}

// Moves the entry to a random name in its own folder and deletes it there. A random name that
// is taken already is skipped for the next one the generator gives. Links and special files
// come here straight from step one: never opened, their targets never touched.
bool CWipeEngine::RenameAndDelete(IFolder& folder, const std::string& name,
                                  const std::string& path, bool bChanged) {
    CFileError error;
    std::string target;
    bool bRenamed = false;
    for (int nTry = 0; nTry < kRandomNameTries && !bRenamed; ++nTry) {
        target = RandomName();
        bRenamed = folder.Rename(name, target, error);
        if (!bRenamed && error.m_eFault != EFileFault::NameTaken) {
            break;
        }
    }
    if (!bRenamed || !folder.Delete(target, error)) {
        Fail(Quote(lines::kDeleteFailed, path, error));
        return false;
    }
    if (bChanged) {
        Warn(lines::Changed(path));
    } else {
        m_host.AddLine(lines::FileDeleted(path));
    }
    m_host.SetProgressPos(0);
    return true;
}

// Says so when overwriting in place cannot reach every old copy of the file's contents.
void CWipeEngine::WarnAboutCopies(CFileRun& run) {
    const CVolumeFacts volume = run.file->GetVolume();
    if (volume.m_bCopyOnWrite) {
        Warn(lines::CopyOnWrite(run.path, volume.m_strType));
    } else if (run.file->HasSharedData()) {
        Warn(lines::SharedData(run.path));
    }
}

// The abort check, then truncation (normal mode, flushed) and close, then the random name and
// the deletion, with the outcome's line. An aborted file keeps its length, so that a later
// run reaches every block it still holds.
bool CWipeEngine::FinishFile(CFileRun& run, bool bRecycleBin) {
    CFileError error;
    if (m_host.IsAborted()) {
        run.file->Close(error);
        Fail(lines::FileAborted(run.path));
        m_host.SetProgressPos(0);
        return false;
    }
    bool bOk = bRecycleBin ||
               (TruncateInSteps(*run.file, run.nLength, error) && run.file->Flush(error));
    if (!bOk) {
        error.m_strFileName = kUnnamedFile;  // part of the truncation, which names no file
    }
    bOk = bOk && run.file->Close(error);
    if (!bOk) {
        Fail(Quote(lines::kCloseFailed, run.path, error));
        return false;
    }
    if (bRecycleBin) {
        if (run.bChanged) {
            Warn(lines::Changed(run.path));
        } else {
            m_host.AddLine(lines::FileShreddedInBin(run.path));
        }
        m_host.SetProgressPos(0);
        return true;
    }
    return RenameAndDelete(run.folder, run.entry.m_strName, run.path, run.bChanged);
}

// Cuts the file to length 0 from its end, a step at a time, letting the window breathe between
// steps.
bool CWipeEngine::TruncateInSteps(IFileHandle& file, std::int64_t nLength, CFileError& error) {
    std::int64_t nLeft = nLength;
    do {
        nLeft = nLeft > kTruncateStepBytes ? nLeft - kTruncateStepBytes : 0;
        if (!file.Truncate(nLeft, error)) {
            return false;
        }
        if (nLeft > 0) {
            m_host.KeepAlive();
        }
    } while (nLeft > 0);
    return true;
}

// Eight letters, a period, three letters; each letter "a" + draw % 20.
std::string CWipeEngine::RandomName() {
    std::string name(12, '.');
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (i != 8) {
            name[i] = static_cast<char>('a' + m_random.Draw() % kNameLetters);
        }
    }
    return name;
}

}  // namespace quorrel
