// Trash folders for the recycle-bin tests, built in temporary folders: a home trash and
// "mounts" that are plain folders handed to the locator as mount points.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/posix/FreedesktopTrash.h"

namespace quorrel::test {

// Puts `name` with `content` into `trash` the way a file manager does: the entry under files/,
// its .trashinfo under info/.
void PutInTrash(const std::string& trash, const std::string& name, const std::string& content);

// A mount table entry of a local, writable disk mounted at `mountPoint`.
CMountEntry LocalMount(const std::string& mountPoint);

// How an emptying behaves: as the system does, or failing or lying as a system may.
enum class EEmptying {
    Real,       // the real emptying, its answer passed on
    Fails,      // nothing is removed, and the answer says so
    Lies,       // nothing is removed, and the answer says done
    FailsLate,  // everything is removed, and the answer says it failed
};

// Stands in for a set of bins and records, at each emptying, what each file under the bin
// folder held at that moment (path -> content), and the order of the emptyings.
class CWatchedBins final : public IRecycleBins {
public:
    explicit CWatchedBins(IRecycleBins& bins) : m_bins(bins) {}

    EBinAccess Open() override { return m_bins.Open(); }
    void Close() override { m_bins.Close(); }
    bool Scan(std::vector<CBinLocation>& bins) override { return m_bins.Scan(bins); }
    bool BinFolder(const CBinLocation& bin, std::string& folder) override;
    std::unique_ptr<IFolder> OpenBinFolder(IFileSystem& fs, const CBinLocation& bin,
                                           const std::string& folder, EBinOpen& state) override {
        return m_bins.OpenBinFolder(fs, bin, folder, state);
    }
    bool IsBookkeeping(const std::string& name) const override {
        return m_bins.IsBookkeeping(name);
    }
    bool Empty(const CBinLocation& bin) override;

    EEmptying m_emptying = EEmptying::Real;
    std::map<std::string, std::string> m_contentAtEmptying;
    std::vector<std::string> m_emptied;  // the roots, in order

private:
    IRecycleBins& m_bins;
    std::map<std::string, std::string> m_folders;  // root -> bin folder
};

// True when `content` is `nLength` bytes of zeros.
bool IsZeros(const std::string& content, std::size_t nLength);

}  // namespace quorrel::test
