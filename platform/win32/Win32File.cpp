// The Win32 backend's open file: opened with share mode 0, written at the file pointer,
// flushed with FlushFileBuffers once per pass.
#include <algorithm>
#include <cstring>

#include "platform/win32/Win32Support.h"

namespace quorrel::win32 {

namespace {

// The most one WriteFile or ReadFile call is given.
constexpr std::size_t kMaxCallBytes = 64 * 1024 * 1024;
// How many allocated ranges one query asks for.
constexpr DWORD kRangeBatch = 64;

class CWin32File final : public IFileHandle {
public:
    CWin32File(CHandle h, std::string strFullPath)
        : m_h(std::move(h)), m_strFullPath(std::move(strFullPath)) {}

    bool GetLength(std::int64_t& nLength, CFileError& error) override {
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(m_h.Get(), &size)) {
            error = LastError();
            return false;
        }
        nLength = size.QuadPart;
        return true;
    }

    bool SeekTo(std::int64_t nOffset, CFileError& error) override {
        LARGE_INTEGER target{};
        target.QuadPart = nOffset;
        if (!::SetFilePointerEx(m_h.Get(), target, nullptr, FILE_BEGIN)) {
            error = LastError();
            return false;
        }
        return true;
    }

    bool Write(const void* pData, std::size_t nBytes, CFileError& error) override {
        const char* pNext = static_cast<const char*>(pData);
        while (nBytes > 0) {
            const DWORD nAsk = static_cast<DWORD>(std::min(nBytes, kMaxCallBytes));
            DWORD nWritten = 0;
            if (!::WriteFile(m_h.Get(), pNext, nAsk, &nWritten, nullptr)) {
                error = LastError(m_strFullPath);
                return false;
            }
            if (nWritten == 0) {
                error = Win32Error(ERROR_DISK_FULL, m_strFullPath);
                return false;
            }
            pNext += nWritten;
            nBytes -= nWritten;
        }
        return true;
    }

    // Windows has no call that starts write-back without waiting for it: the pass's one
    // FlushFileBuffers does it all.
    bool StartFlush(CFileError&) override { return true; }

    bool Flush(CFileError& error) override {
        if (!::FlushFileBuffers(m_h.Get())) {
            error = LastError(m_strFullPath);
            return false;
        }
        return true;
    }

    bool Truncate(std::int64_t nLength, CFileError& error) override {
        LARGE_INTEGER here{};
        LARGE_INTEGER target{};
        target.QuadPart = nLength;
        if (!::SetFilePointerEx(m_h.Get(), LARGE_INTEGER{}, &here, FILE_CURRENT) ||
            !::SetFilePointerEx(m_h.Get(), target, nullptr, FILE_BEGIN) ||
            !::SetEndOfFile(m_h.Get())) {
            error = LastError();
            return false;
        }
        ::SetFilePointerEx(m_h.Get(), here, nullptr, FILE_BEGIN);
        return true;
    }

    bool Close(CFileError& error) override {
        if (!m_h.Close()) {
            error = LastError();
            return false;
        }
        return true;
    }

    bool GetFacts(CFileFacts& facts, CFileError& error) override {
        CDirEntry now;
        LARGE_INTEGER size{};
        if (!DescribeHandle(m_h.Get(), std::string(), now) || !::GetFileSizeEx(m_h.Get(), &size)) {
            error = LastError();
            return false;
        }
        facts.m_id = now.m_id;
        facts.m_size = size.QuadPart;
        facts.m_nLinks = now.m_nLinks;
        return true;
    }

    // A sparse file tells its allocated ranges; any other file holds data everywhere.
    bool GetDataRanges(std::int64_t nLength, std::vector<CDataRange>& ranges,
                       CFileError&) override {
        ranges.clear();
        BY_HANDLE_FILE_INFORMATION info{};
        if (nLength <= 0) {
            return true;
        }
        if (!::GetFileInformationByHandle(m_h.Get(), &info) ||
            (info.dwFileAttributes & FILE_ATTRIBUTE_SPARSE_FILE) == 0 ||
            !QueryAllocatedRanges(nLength, ranges)) {
            ranges.assign(1, CDataRange{0, nLength});
        }
        return true;
    }

    CVolumeFacts GetVolume() override { return VolumeOfHandle(m_h.Get()); }

    // Cloned blocks cannot be told from a file's own through this interface: the volume's
    // copy-on-write warning covers them.
    bool HasSharedData() override { return false; }

    // The file is held with share mode 0, so no second, unbuffered handle of it may be opened
    // (ReOpenFile and OpenFileById are refused too), and a handle's buffering is fixed when it
    // is opened: what was flushed is read back through this very handle, from the cache.
    bool ReadsBackFromMedium() const override { return false; }
    bool ReadBack(std::int64_t nOffset, void* pData, std::size_t nBytes,
                  CFileError& error) override {
        LARGE_INTEGER here{};
        LARGE_INTEGER target{};
        target.QuadPart = nOffset;
        if (!::SetFilePointerEx(m_h.Get(), LARGE_INTEGER{}, &here, FILE_CURRENT) ||
            !::SetFilePointerEx(m_h.Get(), target, nullptr, FILE_BEGIN)) {
            error = LastError(m_strFullPath);
            return false;
        }
        char* pNext = static_cast<char*>(pData);
        bool bOk = true;
        while (bOk && nBytes > 0) {
            DWORD nGot = 0;
            const DWORD nAsk = static_cast<DWORD>(std::min(nBytes, kMaxCallBytes));
            if (!::ReadFile(m_h.Get(), pNext, nAsk, &nGot, nullptr)) {
                error = LastError(m_strFullPath);
                bOk = false;
            } else if (nGot == 0) {
                error = Win32Error(ERROR_HANDLE_EOF, m_strFullPath);
                bOk = false;
            }
            pNext += nGot;
            nBytes -= nGot;
        }
        ::SetFilePointerEx(m_h.Get(), here, nullptr, FILE_BEGIN);
        return bOk;
    }

private:
    bool QueryAllocatedRanges(std::int64_t nLength, std::vector<CDataRange>& ranges) {
        FILE_ALLOCATED_RANGE_BUFFER query{};
        query.FileOffset.QuadPart = 0;
        query.Length.QuadPart = nLength;
        std::vector<FILE_ALLOCATED_RANGE_BUFFER> found(kRangeBatch);
        for (;;) {
            DWORD nBytes = 0;
            const BOOL bAll = ::DeviceIoControl(
                m_h.Get(), FSCTL_QUERY_ALLOCATED_RANGES, &query, sizeof query, found.data(),
                static_cast<DWORD>(found.size() * sizeof found[0]), &nBytes, nullptr);
            if (!bAll && ::GetLastError() != ERROR_MORE_DATA) {
                return false;
            }
            const std::size_t nFound = nBytes / sizeof found[0];
            for (std::size_t i = 0; i < nFound; ++i) {
                ranges.push_back(
                    CDataRange{found[i].FileOffset.QuadPart, found[i].Length.QuadPart});
            }
            if (bAll || nFound == 0) {
                return true;
            }
            const FILE_ALLOCATED_RANGE_BUFFER& last = found[nFound - 1];
            query.FileOffset.QuadPart = last.FileOffset.QuadPart + last.Length.QuadPart;
            query.Length.QuadPart = nLength - query.FileOffset.QuadPart;
        }
    }

    CHandle m_h;
    std::string m_strFullPath;
};

}  // namespace

std::unique_ptr<IFileHandle> MakeFile(CHandle h, std::string fullPath) {
    return std::make_unique<CWin32File>(std::move(h), std::move(fullPath));
}

}  // namespace quorrel::win32
