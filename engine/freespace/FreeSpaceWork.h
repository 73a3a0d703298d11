// The work folder of a WIPE Free Space run, from its making to its removal. Internal to the
// engine.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/runs/WipeEngine.h"

namespace quorrel {

// The folder a run fills, and everything it made there: a leftover of an earlier run of this
// user's is removed first, the folder is made owner-only under a name no entry has, settled in
// place, and removed at the end with every file the run made in it. Entries of others in the
// way are named once and left alone.
class CFreeSpaceWork {
public:
    // Names the work folder may take beside entries of others that have the usual one.
    static constexpr int kWorkNames = 16;

    explicit CFreeSpaceWork(CWipeEngine& engine) : m_engine(engine), m_host(engine.Host()) {}

    // Makes the work folder at the top of the file system (`top`, called `topPath`), or in the
    // chosen folder where the top may not be written or holds another user's folder of that
    // name; a leftover of this user's in the chosen folder is removed as well. False (with the
    // line written) when none could be made.
    bool Make(IFolder& chosen, const std::string& chosenPath, IFolder& top,
              const std::string& topPath);
    // The work folder made (only after Make() succeeded), its path, and the path of `name` in it.
    IFolder& Folder() { return *m_work; }
    const std::string& Path() const { return m_strWorkPath; }
    std::string PathOf(const std::string& name) const { return JoinPath(m_strWorkPath, name); }
    // True when a leftover of this user's could not be removed: old data may lie in it.
    bool LeftoverStays() const { return m_bLeftoverStays; }

    // Notes a file the run made in the work folder, to be removed at the end; or a name whose
    // making failed but whose entry may have been made all the same.
    void NoteMade(const std::string& name) { m_created.push_back(name); }
    void NoteMaybeMade(const std::string& name) { m_maybeMade.push_back(name); }
    // Writes the work folder and the journal out to the blocks they belong in.
    void Settle() { m_work->SettleInPlace(); }
    // Removes every file the run made. False (with the lines written) when one stays.
    bool RemoveFiles();
    // Removes the work folder itself, unless `bFilesGone` is false; false (with the line
    // written) when it stays.
    bool RemoveFolder(bool bFilesGone);

private:
    bool RemoveLeftover(IFolder& parent, const std::string& parentPath, const std::string& name);
    void NameForeign(const std::string& line);
    bool MakeIn(IFolder& parent, const std::string& parentPath, bool bOthers, CFileError& error,
                bool& bForeign);
    bool RemoveMaybeMade();

    CWipeEngine& m_engine;
    IRunHost& m_host;
    std::string m_strWorkName;
    std::string m_strWorkPath;
    IFolder* m_pParent = nullptr;
    std::unique_ptr<IFolder> m_work;
    std::vector<std::string> m_created;    // names of the files the run made
    std::vector<std::string> m_maybeMade;  // names whose making failed after all
    bool m_bLeftoverStays = false;         // a leftover of this user's could not be removed
    std::set<std::string> m_foreignNamed;  // the lines about others' entries, each said once
};

}  // namespace quorrel
