// WIPE Free Space: the question before a run, and the run with its banner and closing lines.
#include "engine/freespace/FreeSpaceRun.h"

#include "engine/file/WipeMethod.h"
#include "engine/freespace/FreeSpaceFill.h"
#include "engine/log/LogLines.h"

namespace quorrel {

bool DescribeFreeSpace(IFileSystem& fileSystem, const std::string& folder, CFreeSpaceFacts& facts,
                       std::string& line) {
    CFileError error;
    std::unique_ptr<IFolder> chosen = fileSystem.OpenFolder(folder, error);
    if (!chosen) {
        line = Quote(lines::kOpenFolderFailed, folder, error);
        return false;
    }
    const CVolumeFacts volume = chosen->GetVolume();
    CVolumeSpace space;
    if (volume.m_bPseudo) {
        line = lines::PseudoFileSystem(folder, volume.m_strType);
        return false;
    }
    if (!chosen->GetSpace(space, error)) {
        line = Quote(lines::kSpaceUnreadable, folder, error);
        return false;
    }
    if (space.m_bReadOnly) {
        line = lines::ReadOnly(folder);
        return false;
    }
    std::unique_ptr<IFolder> top = chosen->OpenVolumeTop(facts.strTop, error);
    if (facts.strTop.empty()) {
        facts.strTop = folder;
    }
    facts.strType = volume.m_strType;
    facts.nFreeBytes = Reachable(space);
    facts.folderId = chosen->GetId();
    return true;
}

std::string FreeSpaceQuestion(const CFreeSpaceFacts& facts) {
    return lines::FreeSpaceQuestion(facts.strTop, facts.strType, FormatBytes(facts.nFreeBytes));
}

namespace {

bool RunFill(CWipeEngine& engine, const std::string& folder, const CFreeSpaceFacts* pKnown) {
    IRunHost& host = engine.Host();
    host.AddLine(lines::FreeSpaceBanner(folder, WipeMethodName(engine.GetWipeMethod())));
    const std::int64_t nStart = engine.Now();
    host.BeginRun();
    // Without a question's facts the file system is looked at here, and refused as the
    // question would refuse it.
    CFreeSpaceFacts described;
    std::string line;
    bool bDone = false;
    std::string top;
    if (pKnown == nullptr && !DescribeFreeSpace(engine.Files(), folder, described, line)) {
        engine.Fail(line);
    } else {
        CFreeSpaceFill fill(engine, folder, pKnown);
        bDone = fill.Run();
        top = fill.TopPath();
    }
    host.EndRun();
    if (bDone) {
        host.AddLine(lines::FreeSpaceEnd(top));
    } else {
        engine.Fail(lines::FreeSpaceFailed(folder));
    }
    host.AddLine(lines::TimeLine(engine.Now() - nStart));
    return bDone;
}

}  // namespace

bool RunWipeFreeSpace(CWipeEngine& engine, const std::string& folder) {
    return RunFill(engine, folder, nullptr);
}

bool RunWipeFreeSpace(CWipeEngine& engine, const std::string& folder,
                      const CFreeSpaceFacts& facts) {
    return RunFill(engine, folder, &facts);
}

}  // namespace quorrel
