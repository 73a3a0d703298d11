#include "engine/RecycleBinSummary.h"

#include "engine/LogLines.h"

namespace quorrel {

namespace {

void CountEntry(IFileSystem& fs, IFolder& folder, const std::string& path, const CDirEntry& entry,
                CBinContents& bin, std::int64_t& nBudget);

// Adds the bytes of the entries of `folder` (at `path`) to `bin`, one unit of `nBudget` each.
void CountBelow(IFileSystem& fs, IFolder& folder, const std::string& path, CBinContents& bin,
                std::int64_t& nBudget) {
    std::vector<CDirEntry> entries;
    CFileError error;
    if (!folder.List(entries, error)) {
        return;
    }
    for (const CDirEntry& entry : entries) {
        CountEntry(fs, folder, path, entry, bin, nBudget);
    }
}

// Adds the bytes of one entry of `folder` (at `path`) to `bin`: a plain file's length, a
// folder's contents. Links and special files hold no data and are not followed.
void CountEntry(IFileSystem& fs, IFolder& folder, const std::string& path, const CDirEntry& entry,
                CBinContents& bin, std::int64_t& nBudget) {
    if (!bin.m_bAllCounted || nBudget-- <= 0) {
        bin.m_bAllCounted = false;
        return;
    }
    const std::string entryPath = JoinPath(path, entry.m_strName);
    CFileError error;
    if ((entry.m_attributes & kAttrDirectory) != 0) {
        std::unique_ptr<IFolder> sub = folder.OpenFolder(entry, error);
        if (sub) {
            CountBelow(fs, *sub, entryPath, bin, nBudget);
        }
    } else if (IsPlainFile(entry.m_attributes)) {
        CFileStatus status;
        if (fs.GetStatus(entryPath, status, error)) {
            bin.m_nBytes += status.m_size;
        }
    }
}

// Counts one bin's folder into `bin`; false when the folder does not exist.
bool DescribeBin(IFileSystem& fs, IRecycleBins& bins, const std::string& folderPath,
                 CBinContents& bin, std::int64_t& nBudget) {
    CFileStatus status;
    CFileError error;
    if (!fs.GetStatus(folderPath, status, error)) {
        return false;
    }
    bin.m_strFolder = folderPath;
    std::unique_ptr<IFolder> folder = fs.OpenFolder(folderPath, error);
    std::vector<CDirEntry> entries;
    if (!folder || !folder->List(entries, error)) {
        bin.m_bReadable = false;
        return true;
    }
    for (const CDirEntry& entry : entries) {
        const bool bFolder = (entry.m_attributes & kAttrDirectory) != 0;
        if (!bFolder && bins.IsBookkeeping(entry.m_strName)) {
            continue;
        }
        ++bin.m_nEntries;  // every entry is counted; only the bytes may stop early
        CountEntry(fs, *folder, folderPath, entry, bin, nBudget);
    }
    return true;
}

std::string Plural(std::int64_t nCount, const char* pszOne, const char* pszMany) {
    return std::to_string(nCount) + ' ' + (nCount == 1 ? pszOne : pszMany);
}

}  // namespace

bool DescribeRecycleBins(IFileSystem& fs, IRecycleBins& bins, std::vector<CBinContents>& found,
                         std::int64_t nBudget) {
    found.clear();
    if (bins.Open() != EBinAccess::Ready) {
        return false;
    }
    std::vector<CBinLocation> locations;
    const bool bScanned = bins.Scan(locations);
    for (std::size_t i = 0; bScanned && i < locations.size(); ++i) {
        std::string folderPath;
        if (!bins.BinFolder(locations[i], folderPath)) {
            break;  // as the run: without the user's identity no further bin is visited
        }
        CBinContents bin;
        if (DescribeBin(fs, bins, folderPath, bin, nBudget)) {
            found.push_back(bin);
        }
    }
    bins.Close();
    return bScanned;
}

std::string RecycleBinQuestion(const std::vector<CBinContents>& found) {
    std::string text = kRecycleBinQuestion;
    if (found.empty()) {
        return text + kNoBinHoldsAnything;
    }
    for (const CBinContents& bin : found) {
        text += '\n' + bin.m_strFolder + ": ";
        if (!bin.m_bReadable) {
            text += kBinUnreadable;
            continue;
        }
        text += Plural(bin.m_nEntries, "entry", "entries") + ", " +
                (bin.m_bAllCounted ? "" : "at least ") + FormatBytes(bin.m_nBytes);
    }
    return text;
}

}  // namespace quorrel
