// Helpers shared by the unit tests: temporary folders, file contents, a recording run host
// and a plain list of rows.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <memory>

#include "engine/log/RunHost.h"
#include "engine/runs/PathList.h"
#include "engine/runs/Runs.h"
#include "platform/FileSystem.h"

namespace quorrel::test {

// A fresh folder under the system's temporary folder, removed with everything in it (read-only
// entries included) when the object goes.
class CTempDir {
public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::string& Path() const { return m_strPath; }
    // `name` inside the folder, as operator/ below joins it.
    std::string operator/(const std::string& name) const;

private:
    std::string m_strPath;
};

// `relative` ("sub/file") inside `folder`, its parts joined with the system's separator, as
// the walk names what it finds.
std::string operator/(const std::string& folder, const std::string& relative);

// Creates (or replaces) `path` with `content`.
void WriteFile(const std::string& path, const std::string& content);
// The whole content of `path`; empty when it cannot be read.
std::string ReadFile(const std::string& path);
// The whole content of a file the test holds open, read through that very handle: a system
// with share modes refuses any other open while it is held.
std::string ReadOpen(IFileHandle& file);
// True when an entry of that name exists (a dangling link counts).
bool Exists(const std::string& path);
// The names in `folder` other than "." and "..", sorted.
std::vector<std::string> ListNames(const std::string& folder);
// Creates the folder `path` (its parent must exist).
void MakeFolder(const std::string& path);
// Sets the permission bits of `path`.
void SetMode(const std::string& path, unsigned mode);
// The permission bits of `path` itself (a link's own), 0xFFFFFFFF when it cannot be read.
unsigned ModeOf(const std::string& path);
// True when `lines` holds `line` whole.
inline bool HasLine(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Makes `link` a symbolic link to `target` (a folder link where `target` is a folder). False
// when the system makes none. (Each system's own, as the held file below.)
bool MakeLink(const std::string& target, const std::string& link);
// What a test that needs links says when it is skipped for that (Wine makes none).
inline constexpr char kNoLinks[] = "this system makes no symbolic links";

// A file held open by "another program" the way the system's own programs hold one: an
// exclusive lock here, an open that shares nothing on Windows. Let go when the object goes.
class CHeldFile {
public:
    explicit CHeldFile(const std::string& path);
    ~CHeldFile();
    CHeldFile(const CHeldFile&) = delete;
    CHeldFile& operator=(const CHeldFile&) = delete;
    // True when the file is held.
    bool IsHeld() const { return m_nHandle != -1; }

private:
    std::intptr_t m_nHandle = -1;
};

// A mount a test makes inside its temporary folder (POSIX only: mount(2) with these
// arguments), undone when the object goes, lazily, so that nothing stays mounted whatever the
// test left open or wherever an assertion ended it.
class CTestMount {
public:
    CTestMount(const std::string& source, const std::string& point, const char* type,
               unsigned long nFlags, const std::string& options);
    ~CTestMount();
    CTestMount(const CTestMount&) = delete;
    CTestMount& operator=(const CTestMount&) = delete;
    // False when the mount was refused (not root, or not allowed on this machine).
    bool IsMounted() const { return m_bMounted; }

private:
    std::string m_strPoint;
    bool m_bMounted = false;
};

// Records everything a run reports, and answers the abort check from a rule.
class CRecordingHost : public IRunHost {
public:
    void AddLine(const std::string& line) override;
    bool IsAborted() override;
    void SetProgressRange(std::int64_t nUpper) override;
    void SetProgressPos(std::int64_t nPos) override;
    void StepProgress(std::int64_t nBytes) override;
    void OnPassStart(const std::string& path, int nPass, int nPasses) override;
    void BeginRun() override;
    void EndRun() override;
    void KeepAlive() override;

    // Cancel is "pressed" at the `nCheck`-th abort check (1-based) and stays pressed.
    void AbortAtCheck(int nCheck) { m_nAbortAtCheck = nCheck; }
    // Cancel is pressed by a rule looked at on every check (e.g. once a line was logged).
    void AbortWhen(std::function<bool()> rule) { m_abortRule = std::move(rule); }
    // The lines logged since the last ClearLines().
    const std::vector<std::string>& Lines() const { return m_lines; }
    void ClearLines() { m_lines.clear(); }

    std::vector<std::string> m_events;  // "range N", "pos N", "begin", "end", "pass P/N", "alive"
    std::int64_t m_nPosition = 0;       // the bar's position, following every call
    int m_nChecks = 0;

private:
    std::vector<std::string> m_lines;
    int m_nAbortAtCheck = 0;
    bool m_bAborted = false;
    std::function<bool()> m_abortRule;
};

// The in-memory list the terminal front end uses serves the tests as well.
using CRowList = CPathList;

}  // namespace quorrel::test

namespace quorrel::test {

// The file layer by paths, for tests that act on single entries: every call resolves the
// path's folder and entry afresh, as the engine does once at the top of a run.
class CPathOps {
public:
    explicit CPathOps(IFileSystem& fs) : m_fs(fs) {}

    bool GetStatus(const std::string& path, CFileStatus& status, CFileError& error) {
        return m_fs.GetStatus(path, status, error);
    }
    bool Lookup(const std::string& path, CDirEntry& entry, CFileError& error);
    bool SetReadOnlyAndCheckSharing(const std::string& path, const CFileStatus& status,
                                    CFileError& error);
    bool SetAttributes(const std::string& path, std::uint32_t attributes);
    std::unique_ptr<IFileHandle> OpenForWrite(const std::string& path, CFileError& error);
    // Renames within one folder: `to` may be a bare name or a path in the same folder.
    bool Rename(const std::string& from, const std::string& to, CFileError& error);
    bool Delete(const std::string& path, CFileError& error);
    bool RemoveFolder(const std::string& path);
    bool ListFolder(const std::string& folder, std::vector<CDirEntry>& entries);
    bool FindEntry(const std::string& path, CDirEntry& entry) {
        return m_fs.FindEntry(path, entry);
    }
    bool IsFileSystemRoot(const std::string& path) { return m_fs.IsFileSystemRoot(path); }

private:
    std::unique_ptr<IFolder> Parent(const std::string& path, std::string& name, CFileError& error);

    IFileSystem& m_fs;
};

}  // namespace quorrel::test
