#include "engine/runs/RecycleBinRun.h"

#include <set>

#include "engine/log/LogLines.h"

namespace quorrel {

namespace {

// Shreds one entry of the open bin folder `binFolder`. False when it was not shredded.
bool ShredBinEntry(CWipeEngine& engine, IRecycleBins& bins, IFolder& binFolder,
                   const std::string& folder, const CDirEntry& entry) {
    const std::string path = folder + entry.m_strName;  // a bin folder ends in its separator
    if ((entry.m_attributes & kAttrDirectory) != 0) {
        engine.Host().AddLine(lines::BinFolder(path));
        return IsRemoved(engine.WipeEntry(binFolder, entry, path, EWipeMode::RecycleBin));
    }
    if (bins.IsBookkeeping(entry.m_strName)) {
        return true;
    }
    engine.Host().AddLine(lines::BinFile(path));
    return IsRemoved(engine.WipeEntry(binFolder, entry, path, EWipeMode::RecycleBin));
}

// Shreds every entry of one bin folder. A failed entry does not keep the later ones from
// being overwritten, as they are all deleted by the emptying that follows. Stops on Cancel.
// Gives the names of the entries that were overwritten.
std::set<std::string> ShredBinEntries(CWipeEngine& engine, IRecycleBins& bins, IFolder& binFolder,
                                      const std::string& folder,
                                      const std::vector<CDirEntry>& entries) {
    std::set<std::string> shredded;
    bool bFirst = true;
    for (const CDirEntry& entry : entries) {
        if (!bFirst && engine.Host().IsAborted()) {
            break;
        }
        bFirst = false;
        if (ShredBinEntry(engine, bins, binFolder, folder, entry)) {
            shredded.insert(entry.m_strName);
        }
    }
    return shredded;
}

// Looks at the bin folder again after the emptying: the system's answer alone is no proof (a
// shell may empty another bin than this one, or report done with nothing done). Every entry
// still there fails, and so does one the run could not overwrite that is gone now: its
// contents went without being overwritten.
void CheckEmptied(CWipeEngine& engine, IRecycleBins& bins, IFolder& binFolder,
                  const std::string& folder, const std::vector<CDirEntry>& before,
                  const std::set<std::string>& shredded) {
    std::vector<CDirEntry> after;
    CFileError error;
    if (!binFolder.List(after, error)) {
        engine.Fail(lines::BinNotChecked(folder, error.GetErrorMessage()));
        return;
    }
    std::set<std::string> left;
    for (const CDirEntry& entry : after) {
        if (!bins.IsBookkeeping(entry.m_strName)) {
            left.insert(entry.m_strName);
            engine.Fail(lines::BinEntryLeft(folder + entry.m_strName));
        }
    }
    for (const CDirEntry& entry : before) {
        const std::string& name = entry.m_strName;
        if (!bins.IsBookkeeping(name) && shredded.count(name) == 0 && left.count(name) == 0) {
            engine.Fail(lines::BinEntryGoneUnshredded(folder + name));
        }
    }
}

// Shreds and empties one bin. False when its folder could not be listed. After Cancel nothing
// more is emptied: the entries stay in the bin as they are (an aborted file keeps its length),
// so that a later run reaches every one of them.
bool ShredBin(CWipeEngine& engine, IRecycleBins& bins, const CBinLocation& bin,
              const std::string& folder) {
    EBinOpen state = EBinOpen::Missing;
    std::unique_ptr<IFolder> binFolder = bins.OpenBinFolder(engine.Files(), bin, folder, state);
    if (state == EBinOpen::Changed) {  // never followed, nor emptied
        engine.Fail(lines::BinChanged(bin.m_strRoot));
        return false;
    }
    std::vector<CDirEntry> entries;
    CFileError error;
    if (!binFolder || !binFolder->List(entries, error)) {
        // A bin that was never used has no folder: that is no failure. One that exists but
        // cannot be read keeps its entries, and that is.
        const std::string line = lines::BinNoAccess(folder);
        if (state != EBinOpen::Missing) {
            engine.Fail(line);
        } else {
            engine.Host().AddLine(line);
        }
        return false;
    }
    const std::set<std::string> shredded =
        ShredBinEntries(engine, bins, *binFolder, folder, entries);
    if (engine.Host().IsAborted()) {
        return true;
    }
    if (!bins.Empty(bin)) {
        engine.Fail(lines::BinNotEmptied(folder));
    }
    CheckEmptied(engine, bins, *binFolder, folder, entries, shredded);
    return true;
}

}  // namespace

bool RunWipeRecycleBin(CWipeEngine& engine, IRecycleBins& bins) {
    IRunHost& host = engine.Host();
    const EBinAccess access = bins.Open();
    if (access != EBinAccess::Ready) {
        if (access == EBinAccess::NoEntryPoints) {
            engine.Fail(lines::kBinNoEntryPoints);
        }
        return false;
    }
    std::vector<CBinLocation> locations;
    if (!bins.Scan(locations)) {
        engine.Fail(lines::kBinNoDriveInfo);
        bins.Close();
        return false;
    }
    const int nFailuresBefore = engine.FailureCount();
    const std::int64_t nStart = engine.Now();
    engine.DeviceNotes().Forget();
    host.BeginRun();
    host.AddLine(lines::kBinStart);
    for (const CBinLocation& bin : locations) {
        std::string folder;
        if (host.IsAborted() || !bins.BinFolder(bin, folder)) {
            break;
        }
        ShredBin(engine, bins, bin, folder);
    }
    const bool bAborted = host.IsAborted();
    if (bAborted) {
        engine.NoteAborted();
        engine.Fail(lines::kBinAborted);
    }
    host.EndRun();
    bins.Close();
    engine.SayDeviceNotes();
    host.AddLine(lines::TimeLine(engine.Now() - nStart));
    return !bAborted && engine.FailureCount() == nFailuresBefore;
}

}  // namespace quorrel
