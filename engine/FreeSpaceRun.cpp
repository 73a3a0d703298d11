// WIPE Free Space: the run around the fill, the work folder and its removal, and the words
// the run and its question use.
#include "engine/FreeSpaceRun.h"

#include <cctype>
#include <cstdio>

#include "engine/FileRun.h"
#include "engine/FreeSpaceFill.h"
#include "engine/LogLines.h"
#include "engine/WipeMethod.h"

namespace quorrel {

const char* const kFreeSpaceWorkFolder = ".quorrel-free-space";

namespace {

// The permission bits of the work folder: its owner's alone.
constexpr std::uint32_t kWorkFolderMode = 0700;

std::string ReadOnlyLine(const std::string& path) {
    return "* " + path + " is on a read-only file system; nothing there can be written";
}

std::string CopyOnWriteLine(const std::string& top, const std::string& type) {
    return "* Free space of " + top + " is on " + type +
           ", which writes new data to new places: old copies of deleted files may remain on "
           "the disk";
}

}  // namespace

bool IsFillName(const std::string& name) {
    if (name.size() < 11 ||
        (name.compare(0, 5, "fill-") != 0 && name.compare(0, 5, "tail-") != 0)) {
        return false;
    }
    for (std::size_t i = 5; i < name.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(name[i])) == 0) {
            return false;
        }
    }
    return true;
}

std::string FormatBytes(std::int64_t nBytes) {
    static const char* const kUnits[] = {"KiB", "MiB", "GiB", "TiB", "PiB"};
    if (nBytes < 1024) {
        return std::to_string(nBytes) + (nBytes == 1 ? " byte" : " bytes");
    }
    double value = static_cast<double>(nBytes) / 1024.0;
    std::size_t nUnit = 0;
    while (value >= 1024.0 && nUnit + 1 < sizeof kUnits / sizeof kUnits[0]) {
        value /= 1024.0;
        ++nUnit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[nUnit]);
    return text;
}

bool DescribeFreeSpace(IFileSystem& fileSystem, const std::string& folder, CFreeSpaceFacts& facts,
                       std::string& line) {
    CFileError error;
    std::unique_ptr<IFolder> chosen = fileSystem.OpenFolder(folder, error);
    if (!chosen) {
        line = "* Error opening folder " + folder + ": " + error.GetErrorMessage();
        return false;
    }
    const CVolumeFacts volume = chosen->GetVolume();
    CVolumeSpace space;
    if (volume.m_bPseudo) {
        line = lines::PseudoFileSystem(folder, volume.m_strType);
        return false;
    }
    if (!chosen->GetSpace(space, error)) {
        line = "* Error reading the free space of " + folder + ": " + error.GetErrorMessage();
        return false;
    }
    if (space.m_bReadOnly) {
        line = ReadOnlyLine(folder);
        return false;
    }
    std::unique_ptr<IFolder> top = chosen->OpenVolumeTop(facts.strTop, error);
    if (facts.strTop.empty()) {
        facts.strTop = folder;
    }
    facts.strType = volume.m_strType;
    facts.nFreeBytes = Reachable(space);
    return true;
}

std::string FreeSpaceQuestion(const CFreeSpaceFacts& facts) {
    return "Are you sure that you want to wipe the free space of " + facts.strTop + " (" +
           facts.strType + ", " + FormatBytes(facts.nFreeBytes) +
           " free) ?\nThe disk will be full for a while: other programs may fail to write until "
           "the run ends.";
}

CFreeSpaceFill::CFreeSpaceFill(CWipeEngine& engine, const std::string& folder)
    : m_engine(engine), m_host(engine.Host()), m_strFolder(folder), m_strTopPath(folder) {}

bool CFreeSpaceFill::Run() {
    if (!Open()) {
        return false;
    }
    bool bOk = RemoveLeftover(*m_top, m_strTopPath);
    if (m_chosen->GetId() != m_top->GetId()) {
        bOk = RemoveLeftover(*m_chosen, m_strFolder) && bOk;
    }
    if (!bOk || !CreateWorkFolder()) {
        return false;
    }
    m_host.AddLine("Wipeing free space in " + m_strWorkPath);
    if (m_volume.m_bCopyOnWrite) {
        m_engine.Warn(CopyOnWriteLine(m_strTopPath, m_volume.m_strType));
    }
    m_host.SetProgressRange(m_nRange);
    m_host.SetProgressPos(0);
    FillBigFiles();
    FillTailFiles();
    FinishHeldFile();
    if (!m_bAborted && !m_bFailed) {
        ReportUnreached();
    }
    const bool bRemoved = RemoveWork();
    m_host.SetProgressPos(0);
    if (m_bAborted) {
        m_engine.Fail("* Wiping free space of " + m_strTopPath +
                      " is aborted; everything the run wrote was removed, but the free space was "
                      "not all overwritten");
        return false;
    }
    return bRemoved && !m_bFailed;
}

// Opens the chosen folder and the top of its file system, and refuses what may not be written.
bool CFreeSpaceFill::Open() {
    CFreeSpaceFacts facts;
    std::string line;
    if (!DescribeFreeSpace(m_engine.Files(), m_strFolder, facts, line)) {
        m_engine.Fail(line);
        return false;
    }
    CFileError error;
    m_chosen = m_engine.Files().OpenFolder(m_strFolder, error);
    if (m_chosen) {
        m_top = m_chosen->OpenVolumeTop(m_strTopPath, error);
    }
    if (!m_chosen || !m_top || !m_chosen->GetSpace(m_start, error)) {
        m_engine.Fail("* Error opening folder " + m_strFolder + ": " + error.GetErrorMessage());
        return false;
    }
    if (m_strTopPath.empty()) {
        m_strTopPath = m_strFolder;
    }
    m_volume = m_chosen->GetVolume();
    m_nPasses = WipePassCount(m_engine.m_nWipeMethod);
    m_nRange = Reachable(m_start) * m_nPasses;
    return true;
}

// Removes a work folder an earlier run left in `parent` (a crash or a power cut). Only a real
// folder of the run's own making is touched: owner-only, holding nothing but fill files.
bool CFreeSpaceFill::RemoveLeftover(IFolder& parent, const std::string& parentPath) {
    CDirEntry entry;
    CFileError error;
    if (!parent.Lookup(kFreeSpaceWorkFolder, entry, error)) {
        return true;  // none there
    }
    const std::string path = JoinPath(parentPath, kFreeSpaceWorkFolder);
    std::unique_ptr<IFolder> left;
    std::vector<CDirEntry> entries;
    if ((entry.m_attributes & kAttrDirectory) == 0 ||
        (entry.m_mode != 0 && (entry.m_mode & 0777) != kWorkFolderMode) ||
        !(left = parent.OpenFolder(entry, error)) || !left->List(entries, error)) {
        m_engine.Fail("* " + path + " is not a work folder this program left; it was left alone");
        return false;
    }
    for (const CDirEntry& item : entries) {
        if (!IsFillName(item.m_strName) || !IsPlainFile(item.m_attributes) || item.m_nLinks > 1) {
            m_engine.Fail("* " + path + " holds " + item.m_strName +
                          ", which this program did not make; the folder was left alone");
            return false;
        }
    }
    for (const CDirEntry& item : entries) {
        if (!left->Delete(item.m_strName, error)) {
            m_engine.Fail(
                Quote("* Error deleteing the file ", JoinPath(path, item.m_strName), error));
            return false;
        }
    }
    left.reset();  // some systems refuse to remove a folder that is held open
    if (!parent.RemoveFolder(kFreeSpaceWorkFolder, error)) {
        m_engine.Fail("* Error removing folder " + path);
        return false;
    }
    m_host.AddLine("Folder " + path + " left by an earlier run is removed");
    return true;
}

// Makes the work folder at the top of the file system, or in the chosen folder where the top
// may not be written (a user's home on the system's disk).
bool CFreeSpaceFill::CreateWorkFolder() {
    CFileError error;
    m_work = m_top->CreateNewFolder(kFreeSpaceWorkFolder, kWorkFolderMode, error);
    m_pWorkParent = m_top.get();
    m_strWorkParentPath = m_strTopPath;
    if (!m_work && error.m_nCause == kCauseAccessDenied && m_chosen->GetId() != m_top->GetId()) {
        m_work = m_chosen->CreateNewFolder(kFreeSpaceWorkFolder, kWorkFolderMode, error);
        m_pWorkParent = m_chosen.get();
        m_strWorkParentPath = m_strFolder;
    }
    m_strWorkPath = JoinPath(m_strWorkParentPath, kFreeSpaceWorkFolder);
    if (!m_work) {
        m_engine.Fail("* Error creating folder " + m_strWorkPath + ": " + error.GetErrorMessage());
        return false;
    }
    // The work folder's first block may be one a deleted file left, and the fill can never
    // reach it while the folder stands. A journaled file system writes that block in place
    // only when its journal is written out, which the folder's removal at the end cancels: so
    // it is written out now.
    m_work->SettleInPlace();
    return true;
}

// Says how much free space the fill could not reach: the administrator's reserve for anyone
// else, and what the file system keeps back for its own use.
void CFreeSpaceFill::ReportUnreached() {
    CVolumeSpace now;
    CFileError error;
    if (!m_work->GetSpace(now, error)) {
        return;
    }
    const std::int64_t nSlack = kSlackBlocks * std::max<std::int64_t>(now.m_nBlockBytes, 512);
    if (now.m_nFreeBytes <= nSlack) {
        // xfs hides its reserve pool from the free space it tells (5% of the disk, up to
        // 8192 blocks): no file reaches those blocks, so say so.
        if (m_volume.m_strType == "xfs") {
            m_engine.Warn("* xfs keeps up to 32 MiB of the free space of " + m_strTopPath +
                          " back for its own use, out of reach of any file; what was deleted "
                          "there may remain on the disk");
        }
        return;
    }
    const std::int64_t nReserve = m_start.m_nFreeBytes - m_start.m_nAvailableBytes;
    std::string why = "the file system keeps it back for its own use";
    if (!m_start.m_bMayUseReserve && nReserve > nSlack) {
        why = FormatBytes(nReserve) +
              " of it is reserved for the administrator (run as root to reach it)";
    }
    m_engine.Warn("* " + FormatBytes(now.m_nFreeBytes) + " of the free space of " + m_strTopPath +
                  " was not reached: " + why + "; what was deleted there may remain on the disk");
}

// Removes every file the run made and its work folder. False (with the lines written) when
// something stays.
bool CFreeSpaceFill::RemoveWork() {
    m_held = CHeldFile();  // closed before it is deleted
    bool bOk = true;
    for (const std::string& name : m_created) {
        CFileError error;
        if (!m_work->Delete(name, error)) {
            m_engine.Fail(Quote("* Error deleteing the file ", WorkPath(name), error));
            bOk = false;
        }
    }
    bOk = RemoveMaybeMade() && bOk;
    m_host.AddLine("Wrote " + FormatBytes(m_nWritten) + " in " + std::to_string(m_nBigFiles) +
                   " files and " + std::to_string(m_nTailFiles) + " small files");
    m_work.reset();
    CFileError error;
    if (!bOk || !m_pWorkParent->RemoveFolder(kFreeSpaceWorkFolder, error)) {
        m_engine.Fail("* Error removing folder " + m_strWorkPath);
        return false;
    }
    m_host.AddLine("Folder " + m_strWorkPath + " is removed");
    return true;
}

// A create that failed may have made its entry all the same (a FUSE driver that makes the
// name and then fails to open it). Such an entry can only be the run's own: the name was free
// when it was asked for (else the create says the name is taken) in a folder only the run's
// user may enter. It is removed when it is there as a plain file. False when one stays.
bool CFreeSpaceFill::RemoveMaybeMade() {
    bool bOk = true;
    for (const std::string& name : m_maybeMade) {
        CDirEntry entry;
        CFileError error;
        if (m_work->Lookup(name, entry, error) && IsPlainFile(entry.m_attributes) &&
            !m_work->Delete(name, error)) {
            m_engine.Fail(Quote("* Error deleteing the file ", WorkPath(name), error));
            bOk = false;
        }
    }
    return bOk;
}

bool RunWipeFreeSpace(CWipeEngine& engine, const std::string& folder) {
    IRunHost& host = engine.Host();
    host.AddLine("- Start wiping free space of " + folder +
                 " using: " + WipeMethodName(engine.GetWipeMethod()) + " algorithm.");
    const std::int64_t nStart = engine.Now();
    host.BeginRun();
    CFreeSpaceFill fill(engine, folder);
    const bool bDone = fill.Run();
    host.EndRun();
    if (bDone) {
        host.AddLine("- End wiping free space of " + fill.TopPath());
    } else {
        engine.Fail("* Error wiping free space of " + folder);
    }
    host.AddLine("- Time: " + std::to_string(engine.Now() - nStart) + " seconds.");
    return bDone;
}

}  // namespace quorrel
