#include "engine/RecycleBinRun.h"

#include "engine/LogLines.h"

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
void ShredBinEntries(CWipeEngine& engine, IRecycleBins& bins, IFolder& binFolder,
                     const std::string& folder, const std::vector<CDirEntry>& entries) {
    bool bFirst = true;
    for (const CDirEntry& entry : entries) {
        if (!bFirst && engine.Host().IsAborted()) {
            return;
        }
        bFirst = false;
        ShredBinEntry(engine, bins, binFolder, folder, entry);
    }
}

// Shreds and empties one bin. False when its folder could not be listed.
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
    ShredBinEntries(engine, bins, *binFolder, folder, entries);
    bins.Empty(bin);
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
    host.AddLine(lines::TimeLine(engine.Now() - nStart));
    return !bAborted && engine.FailureCount() == nFailuresBefore;
}

}  // namespace quorrel
