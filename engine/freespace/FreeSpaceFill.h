// The fill of one WIPE Free Space run: the free space written with the method's passes in a
// work folder, and the run around it. Internal to the engine.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/freespace/FreeSpaceFacts.h"
#include "engine/freespace/FreeSpaceWork.h"
#include "engine/runs/WipeEngine.h"

namespace quorrel {

class CFreeSpaceFill : private ISpanControl {
public:
    // Bytes one fill file holds at most: below every file system's largest file (FAT: 4 GiB),
    // and short enough that a file's later passes start soon.
    static constexpr std::int64_t kFillFileBytes = std::int64_t{1} << 30;
    // Free blocks the big files leave for the small ones.
    static constexpr std::int64_t kReserveBlocks = 128;
    // Small files in a row that took no data before the small-file phase ends.
    static constexpr int kMaxEmptyTails = 8;
    // Small files at most (a volume with millions of free file records ends here).
    static constexpr int kMaxTailFiles = 50000;
    // The fewest bytes a small file is offered.
    static constexpr std::int64_t kMinTailBytes = 16;
    // Free blocks left after the fill that are no loss worth a line (the file system's own
    // bookkeeping takes a few while the run removes its files).
    static constexpr std::int64_t kSlackBlocks = 64;

    // `pKnown`: the facts the question was asked with, or null to describe the volume here.
    CFreeSpaceFill(CWipeEngine& engine, const std::string& folder, const CFreeSpaceFacts* pKnown);

    // The whole run between the banner and the closing lines. True when the free space was
    // filled and everything the run made was removed again.
    bool Run();
    const std::string& TopPath() const { return m_strTopPath; }

private:
    // A file of the run's, open for writing, and how much its first pass stored.
    struct CHeldFile {
        std::unique_ptr<IFileHandle> file;
        std::string path;
        std::int64_t nLength = 0;
    };

    bool Open();
    bool StillDescribed();
    void FillBigFiles();
    void FillTailFiles();
    void FinishHeldFile();
    std::int64_t RoomAboveReserve();
    bool CreateFill(const char* pszPrefix, CHeldFile& fill);
    bool FinishFile(CHeldFile& fill);
    bool WriteFirstPass(IFileHandle& file, const std::string& path, std::int64_t nLimit, bool bTail,
                        std::int64_t& nLength);
    bool WriteLaterPasses(IFileHandle& file, const std::string& path, std::int64_t nLength);
    bool TopUp(IFileHandle& file, const std::string& path, std::int64_t nLimit,
               std::int64_t& nLength);
    bool WriteSpan(IFileHandle& file, std::int64_t nStart, std::int64_t nBytes, std::uint8_t nByte,
                   std::int64_t& nStored, CFileError& error);
    bool StopBefore(std::int64_t nEnd) override {
        (void)nEnd;
        return Stopped();
    }
    void Wrote(std::int64_t nBytes) override { Step(nBytes); }
    bool FlushFile(IFileHandle& file, const std::string& path);
    void ReportUnreached();
    void TrimFreeSpace();
    bool RemoveWork();
    void Step(std::int64_t nBytes);
    bool Stopped();
    bool FullAnswer(const CFileError& error);
    std::string WorkPath(const std::string& name) const;

    CWipeEngine& m_engine;
    IRunHost& m_host;
    std::string m_strFolder;
    std::string m_strTopPath;
    const CFreeSpaceFacts* m_pKnown;  // the question's facts; null when not asked here
    std::unique_ptr<IFolder> m_chosen;
    std::unique_ptr<IFolder> m_top;
    CFreeSpaceWork m_workFolder;
    IFolder* m_work = nullptr;  // the work folder while it stands
    CHeldFile m_held;           // the big file that met the full disk
    CVolumeSpace m_start;
    CVolumeFacts m_volume;
    int m_nPasses = 1;
    int m_nNextName = 0;
    std::int64_t m_nProgress = 0;
    std::int64_t m_nRange = 0;
    std::int64_t m_nWritten = 0;
    std::int64_t m_nTailBytes = 0;
    int m_nBigFiles = 0;
    int m_nTailFiles = 0;
    bool m_bFull = false;
    bool m_bFailed = false;
    bool m_bAborted = false;
};

}  // namespace quorrel
