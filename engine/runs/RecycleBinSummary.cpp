#include "engine/runs/RecycleBinSummary.h"

#include "engine/log/LogLines.h"
#include "engine/walk/FolderCount.h"

namespace quorrel {

namespace {

// Counts one bin's folder into `bin`: its entries, and the bytes the run would overwrite in
// them, each entry walked as the run walks it. False when the folder does not exist.
bool DescribeBin(IFileSystem& fs, IRecycleBins& bins, const std::string& folderPath,
                 CBinContents& bin, CFolderCount& count) {
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
    const std::int64_t nBytesBefore = count.Bytes();
    for (const CDirEntry& entry : entries) {
        const bool bFolder = (entry.m_attributes & kAttrDirectory) != 0;
        if (!bFolder && bins.IsBookkeeping(entry.m_strName)) {
            continue;
        }
        ++bin.m_nEntries;  // every entry is counted; only the bytes may stop early
        if (!count.IsSpent()) {
            count.Add(*folder, entry, JoinPath(folderPath, entry.m_strName));
        }
    }
    bin.m_nBytes = count.Bytes() - nBytesBefore;
    bin.m_bAllCounted = !count.IsSpent();
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
    CFolderCount count(nBudget);
    for (std::size_t i = 0; bScanned && i < locations.size(); ++i) {
        std::string folderPath;
        if (!bins.BinFolder(locations[i], folderPath)) {
            break;  // as the run: without the user's identity no further bin is visited
        }
        CBinContents bin;
        if (DescribeBin(fs, bins, folderPath, bin, count)) {
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
