// What the shredding of one file carries from step to step. Internal to the engine.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/file/CrtRandom.h"
#include "platform/FileSystem.h"

namespace quorrel {

struct CFileRun {
    CFileRun(IFolder& owner, const CDirEntry& listed, const std::string& shown)
        : folder(owner), entry(listed), path(shown) {}

    IFolder& folder;
    const CDirEntry& entry;
    const std::string& path;
    std::unique_ptr<IFileHandle> file;
    std::int64_t nLength = 0;        // the length every pass covers
    std::vector<CDataRange> ranges;  // the parts of it that hold data
    CFileFacts facts;                // the file as it was opened
    bool bChanged = false;           // its length or names changed during the passes
    CCrtRandom lastPassRandom;       // the generator as the last pass began, to verify it
    std::uint8_t nLastPassByte = 0;
    std::vector<CDataRange> lastPassRanges;  // the ranges the last pass set out to write
    std::int64_t nWrittenEnd = 0;            // where the last pass stopped writing

    // The bytes the passes write: the sum of the data ranges.
    std::int64_t DataBytes() const {
        std::int64_t nBytes = 0;
        for (const CDataRange& range : ranges) {
            nBytes += range.m_nLength;
        }
        return nBytes;
    }
};

// A file whose data other names share: no mode writes or changes it.
inline bool HasOtherNames(const CDirEntry& entry) {
    return IsPlainFile(entry.m_attributes) && entry.m_nLinks > 1;
}

}  // namespace quorrel
