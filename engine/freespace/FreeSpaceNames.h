// The names step of WIPE Free Space: old names of deleted entries lie in folders' unused entry
// space and in the file system's journal, out of reach of the fill. Internal to the engine.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/file/NameTraces.h"
#include "engine/runs/WipeEngine.h"

namespace quorrel {

class CFreeSpaceNames {
public:
    // `top` is the top folder of the file system, `chosen` the folder the run was given (the
    // same folder when `bSame`); both stay open for the step's life.
    CFreeSpaceNames(CWipeEngine& engine, IFolder& chosen, const std::string& chosenPath,
                    IFolder& top, const std::string& topPath, bool bSame);

    // Removes the fillers a run that was stopped short (killed, a power cut) left in the two
    // folders: plain files of this user's with a filler's name. Only those are touched.
    void RemoveLeftovers();

    // Refills the unused entry space of the chosen folder and of the top folder with fillers
    // (made exclusively), takes every free file record with a folder of fillers where the
    // system keeps names in freed records, writes the whole journal over with changes of the
    // run's own while they stand (with a line saying how long that took), and removes them
    // all. A journal that cannot be written over gets a "* " warning line. False when the
    // user stopped it or something the step made stays.
    bool Run();

private:
    // A folder of the run's that takes a free file record, and the fillers made in it.
    struct CFillerFolder {
        std::string strName;
        std::vector<std::string> fillers;
    };

    bool MakeFillers(IFolder& folder, const std::string& path, std::vector<std::string>& made,
                     std::int64_t nLinkBytes = 0);
    bool RemoveFillers(IFolder& folder, const std::string& path,
                       const std::vector<std::string>& made);
    void RemoveLeftoversIn(IFolder& folder, const std::string& path);
    void RemoveLeftoverFolder(IFolder& parent, const std::string& parentPath,
                              const CDirEntry& listed);
    bool TakeFreeRecords();
    std::unique_ptr<IFolder> OpenFillerFolder(const std::string& name);
    bool RemoveRecordFolders();
    bool DescribeJournal();
    bool MakeChangesFolder();
    bool RemoveChangesFolder();
    bool CycleInOwnFolder();
    bool CycleJournal(const CJournalFacts& journal);
    bool MakeChange();
    bool Stopped();
    const std::string& CyclePath() const {
        return m_pCycle == &m_top ? m_strTopPath : m_strChosenPath;
    }

    CWipeEngine& m_engine;
    IRunHost& m_host;
    IFolder& m_chosen;
    std::string m_strChosenPath;
    IFolder& m_top;
    std::string m_strTopPath;
    bool m_bSame;
    IFolder* m_pCycle;  // the folder the step makes its own folders in (the top, if it may)
    std::unique_ptr<IFolder> m_changes;  // the folder the journal's changes are made in
    std::string m_strChangesName;
    std::string m_strChangesPath;
    CJournalFacts m_journal;
    std::int64_t m_nChanges = 0;  // changes made to write the journal over, in every pass
    std::int64_t m_nStart = 0;    // when the first pass began
    std::vector<std::string> m_chosenFillers;
    std::vector<std::string> m_topFillers;
    std::vector<CFillerFolder> m_recordFolders;
    CNameDrawer m_drawer;
    std::size_t m_nNextLength = 0;
    bool m_bAborted = false;
    bool m_bHeadStuck = false;  // the journal's head did not move: said so, not cleared
};

}  // namespace quorrel
