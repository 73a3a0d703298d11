// Shredding one file: overwrite passes, truncation, random name, deletion.
#include <algorithm>
#include <cstring>
#include <ctime>

#include "engine/file/FileRun.h"
#include "engine/file/FileShredder.h"
#include "engine/file/NameTraces.h"
#include "engine/log/LogLines.h"

namespace quorrel {

namespace {

// Letters a random name is drawn from: "a" and the 19 that follow it.
constexpr int kNameLetters = 20;

// True when `name` has the shape of the random names files get before they are deleted:
// eight letters from "a" to "t", a period, three more (any letter case: FAT may show them in
// capitals).
bool IsRandomName(const std::string& name) {
    if (name.size() != 12 || name[8] != '.') {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = static_cast<char>(name[i] | 0x20);
        if (i != 8 && (c < 'a' || c >= 'a' + kNameLetters)) {
            return false;
        }
    }
    return true;
}

// A link or special file: an entry with no data of its own, removed as it is.
bool HasNoData(const CDirEntry& entry) {
    return (entry.m_attributes & (kAttrDevice | kAttrReparsePoint)) != 0;
}

// The line of a refusal the file layer made by itself (the entry is no longer the one listed,
// or it is a link the system would act through), else `otherwise`.
std::string RefusalOr(const CFileError& error, const std::string& path, std::string otherwise) {
    if (error.m_eFault == EFileFault::Replaced) {
        return lines::Replaced(path);
    }
    return error.m_eFault == EFileFault::Link ? lines::LinkLeftAlone(path) : otherwise;
}

}  // namespace

// Refusals come before any change. A walk makes a read-only file writable in either mode; a
// file the run does not finish gets its read-only bit back, so that a failure or Cancel leaves
// it as it was found.
EWipeOutcome CFileShredder::Shred(IFolder& folder, const CDirEntry& entry, const std::string& path,
                                  EWipeMode mode, bool bWalked) {
    if (mode == EWipeMode::Normal && HasOtherNames(entry)) {
        switch (ClearKilledRunsName(folder, entry)) {
            case ELeftName::ThisRemoved:  // the file goes on under its other name
                m_host.AddLine(lines::WipeingFile(path));
                m_host.AddLine(lines::FileDeleted(path));
                return EWipeOutcome::Destroyed;
            case ELeftName::OtherRemoved: {
                CDirEntry alone = entry;
                alone.m_nLinks = 1;
                return Shred(folder, alone, path, mode, bWalked);
            }
            case ELeftName::Gone:  // the walk listed it before; nothing is left to say
                return EWipeOutcome::Destroyed;
            case ELeftName::None:
                break;
        }
    }
    if (Refuse(folder, entry, path)) {
        return EWipeOutcome::Failed;
    }
    if (IsPlainFile(entry.m_attributes) && folder.GetLayerCopy(entry) == EKeptCopy::LowerLayer) {
        return LeaveInLowerLayer(folder, entry, path, mode);
    }
    const bool bReadOnly = (entry.m_attributes & kAttrReadOnly) != 0 && !HasNoData(entry);
    if (bWalked && bReadOnly) {
        folder.SetAttributes(entry, entry.m_attributes & ~kAttrReadOnly);
    }
    const EWipeOutcome outcome = WipeAccepted(folder, entry, path, mode);
    if (bReadOnly && !IsRemoved(outcome)) {
        folder.SetAttributes(entry, entry.m_attributes);
    }
    return outcome;
}

// The file wipe of an entry no refusal applies to.
EWipeOutcome CFileShredder::WipeAccepted(IFolder& folder, const CDirEntry& entry,
                                         const std::string& path, EWipeMode mode) {
    if (mode == EWipeMode::Normal) {
        if (!PrepareNormalMode(folder, entry, path)) {
            return EWipeOutcome::Failed;
        }
        if (HasNoData(entry)) {
            return RenameAndDelete(folder, entry, path, false);
        }
    } else if (HasNoData(entry)) {
        m_host.AddLine(lines::NoDataInBin(path));
        return EWipeOutcome::Destroyed;
    }
    const int nWarnings = m_log.WarningCount();
    const EWipeOutcome outcome = OverwriteAndFinish(folder, entry, path, mode);
    return outcome == EWipeOutcome::Destroyed && m_log.WarningCount() > nWarnings
               ? EWipeOutcome::RemovedNotInPlace
               : outcome;
}

// Opens the file, overwrites it and finishes it in its mode.
EWipeOutcome CFileShredder::OverwriteAndFinish(IFolder& folder, const CDirEntry& entry,
                                               const std::string& path, EWipeMode mode) {
    CFileRun run(folder, entry, path);
    CFileError error;
    run.file = folder.OpenForWrite(entry, path, error);
    if (!run.file) {
        // An entry swapped since it was listed is named by the open's own failure line.
        m_log.Fail(error.m_eFault == EFileFault::Link ? lines::LinkLeftAlone(path)
                                                      : Quote(lines::kOpenFailed, path, error));
        return EWipeOutcome::Failed;
    }
    if (!run.file->GetLength(run.nLength, error) || !run.file->GetFacts(run.facts, error)) {
        m_log.Fail(Quote(lines::kSeekFailed, path, error));
        return EWipeOutcome::Failed;
    }
    if (GainedOtherNames(run)) {  // a name added since the listing
        return EWipeOutcome::Failed;
    }
    if (!run.file->GetDataRanges(run.nLength, run.ranges, error)) {
        m_log.Fail(Quote(lines::kSeekFailed, path, error));
        return EWipeOutcome::Failed;
    }
    WarnAboutCopies(run);
    if (!OverwriteFile(run)) {
        return EWipeOutcome::Failed;
    }
    return FinishFile(run, mode);
}

// Entries no mode may write: those on a kernel file system (judged by the entry's own: a
// kernel file can be bind-mounted anywhere), and files whose data other names share. True
// (with the line written) when the entry is refused.
bool CFileShredder::Refuse(IFolder& folder, const CDirEntry& entry, const std::string& path) {
    const CVolumeFacts volume = folder.GetEntryVolume(entry);
    if (volume.m_bPseudo) {
        m_log.Fail(lines::PseudoFileSystem(path, volume.m_strType));
        return true;
    }
    if (HasOtherNames(entry)) {
        m_log.Fail(lines::HardLinked(path, entry.m_nLinks));
        return true;
    }
    return false;
}

// A rename that falls back to a link and an unlink (ntfs-3g's) leaves an emptied file under
// both names when the run is killed between the two: the name it was shredded under and one
// of the run's random names. That random name is removed; so is the file when the random name
// is the one met, as the other will be; met after the other, it is gone. Anything else (another
// name of another shape, a file holding data, a third name) is data of others, and None.
CFileShredder::ELeftName CFileShredder::ClearKilledRunsName(IFolder& folder,
                                                            const CDirEntry& entry) {
    std::vector<CDirEntry> entries;
    CFileError error;
    if (!IsPlainFile(entry.m_attributes) || entry.m_nLinks != 2 || !folder.List(entries, error)) {
        return ELeftName::None;
    }
    const auto named = [&](const CDirEntry& other) { return other.m_strName == entry.m_strName; };
    if (IsRandomName(entry.m_strName) && std::none_of(entries.begin(), entries.end(), named)) {
        return ELeftName::Gone;  // removed with its other name, met first
    }
    const auto twin = std::find_if(entries.begin(), entries.end(), [&](const CDirEntry& other) {
        return other.m_id == entry.m_id && other.m_strName != entry.m_strName;
    });
    if (twin == entries.end()) {
        // Listed with two names, it has one now: its random name went with it met first.
        CDirEntry now;
        return folder.Lookup(entry.m_strName, now, error) && now.m_id == entry.m_id &&
                       now.m_nLinks == 1
                   ? ELeftName::OtherRemoved
                   : ELeftName::None;
    }
    if (IsRandomName(entry.m_strName) == IsRandomName(twin->m_strName)) {
        return ELeftName::None;
    }
    CFileFacts facts;
    std::unique_ptr<IFileHandle> file = folder.OpenForWrite(entry, entry.m_strName, error);
    if (!file || !file->GetFacts(facts, error) || !file->Close(error) || facts.m_size != 0 ||
        facts.m_nLinks != 2 || facts.m_id != entry.m_id) {
        return ELeftName::None;
    }
    const bool bThis = IsRandomName(entry.m_strName);
    const CDirEntry& random = bThis ? entry : *twin;
    if (!folder.DeleteListed(random, random.m_strName, error)) {
        return ELeftName::None;
    }
    return bThis ? ELeftName::ThisRemoved : ELeftName::OtherRemoved;
}

// Step one of normal mode: clear the read-only bit (keeping the rest of the status) and
// announce the file. Links and special files have no status of their own to change.
bool CFileShredder::PrepareNormalMode(IFolder& folder, const CDirEntry& entry,
                                      const std::string& path) {
    CFileError error;
    if (!HasNoData(entry) &&
        !folder.SetReadOnlyAndCheckSharing(entry, entry.m_attributes & ~kAttrReadOnly, error)) {
        error.m_strFileName = kUnnamedFile;
        m_log.Fail(RefusalOr(error, path, Quote(lines::kSetAttributeFailed, path, error)));
        return false;
    }
    m_host.AddLine(lines::WipeingFile(path));
    return true;
}

// Moves the entry to a random name in its own folder and deletes it there. A random name that
// is taken already is skipped for the next one the generator gives. Links and special files
// come here straight from step one: never opened, their targets never touched.
// Both steps act only while the name still leads to the entry that was written: one swapped
// in meanwhile is left alone and named.
EWipeOutcome CFileShredder::RenameAndDelete(IFolder& folder, const CDirEntry& entry,
                                            const std::string& path, bool bChanged) {
    const CDirEntry named = RenameInPlace(folder, entry);  // FAT: its name's slots written over
    CFileError error;
    std::string target;
    bool bRenamed = false;
    for (int nTry = 0; nTry < kRandomNameTries && !bRenamed; ++nTry) {
        target = RandomName();
        bRenamed = folder.RenameListed(named, target, error);
        if (!bRenamed && error.m_eFault != EFileFault::NameTaken) {
            break;
        }
    }
    if (!bRenamed || !folder.DeleteListed(named, target, error)) {
        m_log.Fail(RefusalOr(error, path, Quote(lines::kDeleteFailed, path, error)));
        return EWipeOutcome::Failed;
    }
    if (bChanged) {
        m_log.Warn(lines::Changed(path));
    } else {
        m_host.AddLine(lines::FileDeleted(path));
    }
    m_host.SetProgressPos(0);
    return bChanged ? EWipeOutcome::RemovedNotInPlace : EWipeOutcome::Destroyed;
}

// A file whose data lies in an overlay's lower layer only: opening it for writing would copy
// it up, and the passes would overwrite that copy while the data stays below. So it is not
// opened: its entry is removed (an overlay leaves a whiteout, which copies no data), with the
// line that says what stays. A name that is in the lower layer anyway is not renamed first,
// as renaming would copy the file up. In recycle-bin mode the emptying removes it.
EWipeOutcome CFileShredder::LeaveInLowerLayer(IFolder& folder, const CDirEntry& entry,
                                              const std::string& path, EWipeMode mode) {
    if (mode == EWipeMode::Normal) {
        m_host.AddLine(lines::WipeingFile(path));
    }
    m_log.Warn(lines::LowerLayer(path, false));
    CFileError error;
    if (mode == EWipeMode::Normal && !folder.Delete(entry.m_strName, error)) {
        m_log.Fail(Quote(lines::kDeleteFailed, path, error));
        return EWipeOutcome::Failed;
    }
    return EWipeOutcome::RemovedNotInPlace;
}

// Says so when overwriting in place cannot reach every old copy of the file's contents.
void CFileShredder::WarnAboutCopies(CFileRun& run) {
    // A file is on its folder's file system unless something is mounted on it.
    const bool bOwnMount = run.entry.m_nMount != 0 && run.entry.m_nMount != run.folder.GetMount();
    const CVolumeFacts volume = bOwnMount ? run.file->GetVolume() : run.folder.GetVolume();
    const EKeptCopy layer = bOwnMount ? EKeptCopy::None : run.folder.GetLayerCopy(run.entry);
    const EKeptCopy journal = run.file->GetKeptCopy();
    if (volume.m_bCopyOnWrite) {
        m_log.Warn(lines::CopyOnWrite(run.path, volume.m_strType));
    } else if (layer == EKeptCopy::AlsoLowerLayer || layer == EKeptCopy::LowerLayer) {
        m_log.Warn(lines::LowerLayer(run.path, true));
    } else if (layer == EKeptCopy::MaybeLowerLayer) {
        m_log.Warn(lines::MaybeLowerLayer(run.path));
    } else if (journal == EKeptCopy::Journal || journal == EKeptCopy::InlineData) {
        m_log.Warn(lines::JournalCopy(run.path, journal == EKeptCopy::InlineData));
    } else if (volume.m_bCanShareData && run.file->HasSharedData()) {
        m_log.Warn(lines::SharedData(run.path));
    }
}

// The abort check, then truncation (normal mode) and close, then the random name and the
// deletion, with the outcome's line. An aborted file keeps its length, so that a later run
// reaches every block it still holds.
// The truncation is not flushed: every pass is on the medium already, so a crash before the
// file system's next commit can only bring back the file at its length holding the last
// pass's bytes, never its old contents. A flush here made ext4 commit its journal for every
// file, as long as a pass's own flush on a slow device, and protected nothing the passes had
// not.
EWipeOutcome CFileShredder::FinishFile(CFileRun& run, EWipeMode mode) {
    CFileError error;
    if (m_host.IsAborted()) {
        run.file->Close(error);
        m_log.Fail(lines::FileAborted(run.path));
        m_log.NoteAborted();
        m_host.SetProgressPos(0);
        return EWipeOutcome::Aborted;
    }
    const bool bRecycleBin = mode == EWipeMode::RecycleBin;
    if (!bRecycleBin && GainedOtherNames(run)) {  // cutting it would empty the other name too
        return EWipeOutcome::Failed;
    }
    bool bOk = bRecycleBin || TruncateInSteps(*run.file, run.nLength, error);
    if (!bOk) {
        error.m_strFileName = kUnnamedFile;  // part of the truncation, which names no file
    }
    bOk = bOk && run.file->Close(error);
    if (!bOk) {
        m_log.Fail(Quote(lines::kCloseFailed, run.path, error));
        return EWipeOutcome::Failed;
    }
    if (bRecycleBin) {
        if (run.bChanged) {
            m_log.Warn(lines::Changed(run.path));
        } else {
            m_host.AddLine(lines::FileShreddedInBin(run.path));
        }
        m_host.SetProgressPos(0);
        return run.bChanged ? EWipeOutcome::RemovedNotInPlace : EWipeOutcome::Destroyed;
    }
    return RenameAndDelete(run.folder, run.entry, run.path, run.bChanged);
}

// Cuts the file to length 0 from its end, a step at a time, letting the window breathe between
// steps.
bool CFileShredder::TruncateInSteps(IFileHandle& file, std::int64_t nLength, CFileError& error) {
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
std::string CFileShredder::RandomName() {
    std::string name(12, '.');
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (i != 8) {
            name[i] = static_cast<char>('a' + m_writer.Random().Draw() % kNameLetters);
        }
    }
    return name;
}

}  // namespace quorrel
