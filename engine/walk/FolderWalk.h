// Walking a folder tree depth first. Internal to the engine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/file/FileShredder.h"
#include "engine/log/RunLog.h"
#include "platform/FileSystem.h"

namespace quorrel {

// Where a walk hands the files it finds.
class IFileSink {
public:
    virtual ~IFileSink() = default;
    // Shreds the file entry `entry` of `folder`, called `path`; or starts to, when the sink
    // works on several files at once (it keeps its own copies of the entry and the path).
    // `folder` stays open until Drain() returns.
    virtual void ShredFile(IFolder& folder, const CDirEntry& entry, const std::string& path,
                           EWipeMode mode) = 0;
    // Returns once every file handed over so far is done and its lines are written.
    virtual void Drain() {}
};

// True when `entry` of `folder` belongs to another mount than the folder: another file
// system, or a bind mount of the same one. A walk never enters one, nor does a pattern's match.
bool IsOtherMount(const IFolder& folder, const CDirEntry& entry);

// One walk of a folder tree: keeps its own stack instead of recursing, so no depth of tree can
// exhaust the program's stack, and holds at most kMaxOpenFolders folders open: a deeper
// folder's parents are let go and reached again through "..", checked to be the very folder
// that was left.
class CFolderWalk {
public:
    // Folders of a walk held open at once; deeper ones are reached again from below.
    static constexpr std::size_t kMaxOpenFolders = 64;

    // What a walk is for: shredding, or looking only, which visits what a shredding walk would
    // (the same folders, files and refusals, in the same order) and changes nothing: no
    // folder's mode is opened up, renamed, refilled or removed.
    enum class EPurpose { Shred, Look };

    // A walk below `topParent` in `mode`, writing its lines to `log` and handing its files to
    // `files`.
    CFolderWalk(CRunLog& log, IFileSink& files, IFolder& topParent, EWipeMode mode,
                EPurpose purpose = EPurpose::Shred)
        : m_log(log),
          m_host(log.Host()),
          m_files(files),
          m_topParent(topParent),
          m_mode(mode),
          m_bLookOnly(purpose == EPurpose::Look) {}

    // Walks the folder `entry` of the top parent depth first; normal mode removes each folder
    // once emptied. Never follows a link and never leaves the mount the folder is on (a folder
    // given by the user is walked even when it is a mount point of its own). False when the
    // folder cannot be listed, the run was aborted or the walk lost its way back up; true when
    // the walk went through, whatever became of the entries (their lines say).
    bool Walk(const CDirEntry& entry, const std::string& path);

private:
    // One folder of the walk: its handle (let go while it is far above the current folder), its
    // listing and how far the walk has got through it.
    struct CFrame {
        std::unique_ptr<IFolder> folder;
        CFileId id;
        std::string strName;  // its name in its parent
        std::vector<CDirEntry> entries;
        std::size_t nNext = 0;
        std::size_t nPathLength = 0;  // its path is the walk path cut to this length
        bool bModeChanged = false;
        std::uint32_t nOldMode = 0;
    };

    bool OpenFrame(IFolder& parent, const CDirEntry& entry, const std::string& path, CFrame& frame);
    bool Enter(CFrame& frame);
    bool Step();
    bool Leave();
    void BoundOpenFolders();
    void RestoreModes();
    bool RefusePseudo(IFolder& folder, const std::string& path);

    CRunLog& m_log;
    IRunHost& m_host;
    IFileSink& m_files;
    IFolder& m_topParent;
    EWipeMode m_mode;
    bool m_bLookOnly;
    std::vector<CFrame> m_frames;
    std::string m_path;            // the path of the entry being shredded
    std::size_t m_nFirstHeld = 0;  // frames below this index have let their handle go
};

}  // namespace quorrel
