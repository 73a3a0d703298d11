// Counting a tree with the walk a run takes.
#include "engine/walk/FolderCount.h"

#include "engine/log/RunLog.h"
#include "engine/walk/FolderWalk.h"

namespace quorrel {

// The walk's host and sink at once: it writes no line, counts each file the walk hands over,
// and stops the walk (as a Cancel would) once the budget is spent.
class CFolderCount::CCounter final : public IRunHost, public IFileSink {
public:
    explicit CCounter(CFolderCount& count) : m_count(count) {}
    void AddLine(const std::string& line) override { (void)line; }
    bool IsAborted() override { return !m_count.Spend(); }
    void ShredFile(IFolder& folder, const CDirEntry& entry, const std::string& path,
                   EWipeMode mode) override {
        (void)folder, (void)path, (void)mode;
        if (IsPlainFile(entry.m_attributes)) {
            ++m_count.m_nFiles;
            m_count.m_nBytes += entry.m_nSize;
        }
    }

private:
    CFolderCount& m_count;
};

bool CFolderCount::Spend() {
    if (m_nBudget-- <= 0) {
        m_bSpent = true;
    }
    return !m_bSpent;
}

bool CFolderCount::Add(IFolder& folder, const CDirEntry& entry, const std::string& path) {
    if ((entry.m_attributes & kAttrDirectory) == 0) {
        return IsPlainFile(entry.m_attributes) ? AddFile(entry.m_nSize) : Spend();
    }
    if (!Spend()) {
        return false;
    }
    CCounter counter(*this);
    CRunLog log(counter);
    CFolderWalk walk(log, counter, folder, EWipeMode::Normal, CFolderWalk::EPurpose::Look);
    walk.Walk(entry, path);
    return !m_bSpent;
}

bool CFolderCount::AddFile(std::int64_t nBytes) {
    if (!Spend()) {
        return false;
    }
    ++m_nFiles;
    m_nBytes += nBytes;
    return true;
}

}  // namespace quorrel
