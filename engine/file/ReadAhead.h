// The read-back of a file, a piece at a time, each piece read while the one before is compared.
// Internal to the engine.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/FileSystem.h"

namespace quorrel {

// Reads ranges of a file back from the medium in pieces, in order. A file of more than one
// piece is read by a thread of its own, one piece ahead of the caller, like a plain sequential
// reader: it starts the next read as soon as the last one is in and the caller is done with the
// buffer it goes into, so the device is never left waiting for the comparison or for a thread
// to be woken. A thread that cannot be had only makes the reads follow the comparisons.
class CReadAhead {
public:
    // The most read at once. A large read reaches the device as several requests at once (a
    // read of a disk or a stick is cut into requests of a few MiB at most); two pieces are held
    // per file read back.
    static constexpr std::size_t kPieceBytes = 8 * 1024 * 1024;
    // The buffers' alignment: a backend that reads past the system's cache reads straight into
    // them when the piece's place and length allow.
    static constexpr std::size_t kAlignBytes = 4096;

    CReadAhead(IFileHandle& file, const std::vector<CDataRange>& ranges);
    // Lets a read still running end, and the reading thread go.
    ~CReadAhead();
    CReadAhead(const CReadAhead&) = delete;
    CReadAhead& operator=(const CReadAhead&) = delete;

    // The next piece: true with its place in the file and its bytes (valid until the next
    // call); false at the end (`error` untouched) or when the read failed (`error` set, its
    // cause not kCauseNone). The file is not touched by the caller until this is destroyed.
    bool Next(CDataRange& piece, const std::uint8_t*& pBytes, CFileError& error);

private:
    // One piece's buffer and the outcome of its read.
    struct CBuffer {
        struct CFree {
            void operator()(std::uint8_t* p) const;
        };
        std::unique_ptr<std::uint8_t, CFree> data;
        std::size_t nCapacity = 0;
        bool bRead = false;
        CFileError error;
    };

    CBuffer& BufferOf(std::size_t nPiece) { return m_buffers[nPiece % 2]; }
    void ReadInto(std::size_t nPiece);
    void StartReader();
    void Reader();

    IFileHandle& m_file;
    std::vector<CDataRange> m_pieces;
    CBuffer m_buffers[2];  // piece k is read into m_buffers[k % 2]
    std::thread m_reader;
    std::mutex m_lock;  // guards the three below while the reader runs
    std::condition_variable m_changed;
    std::size_t m_nAsked = 0;  // pieces asked for: the caller is done with all but the last
    std::size_t m_nRead = 0;   // pieces the reader has read (or failed to)
    bool m_bStop = false;
};

}  // namespace quorrel
