// The bytes of the overwrite passes and the loop that writes them: files and the free-space
// fill are written with the same generator, method and chunks.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/file/CrtRandom.h"
#include "engine/file/RandomChunks.h"
#include "platform/FileSystem.h"

namespace quorrel {

// What a span's writing loop asks of its caller between chunks.
class ISpanControl {
public:
    virtual ~ISpanControl() = default;
    // Asked before each chunk that would end the span's writing at `nEnd` (an offset in the
    // file): true stops the span there, as written so far (the user aborted, or the file was
    // cut short and writing on would only lengthen it again).
    virtual bool StopBefore(std::int64_t nEnd) = 0;
    // `nBytes` more were written.
    virtual void Wrote(std::int64_t nBytes) = 0;
};

// The current method and the generator its random bytes are drawn from, whose sequence runs on
// from one file to the next.
class CPassWriter {
public:
    // Bytes written per write call. Passes are written in chunks of this size with the same
    // byte sequence a byte-by-byte write would give.
    static constexpr std::size_t kChunkBytes = 256 * 1024;
    // Bytes written between two starts of write-back inside a span, so that no single flush
    // keeps the window from repainting for long (a few slices are in write-back at a time).
    static constexpr std::int64_t kFlushSliceBytes = 4 * 1024 * 1024;

    CPassWriter();

    // The overwrite method every later file is shredded with (any value; see WipeMethod.h).
    void SetWipeMethod(int nMethod) { m_nWipeMethod = nMethod; }
    int GetWipeMethod() const { return m_nWipeMethod; }
    // The clock (whole seconds since 1970) used to reseed the random method.
    void SetClock(std::function<std::int64_t()> clock) { m_clock = std::move(clock); }
    std::int64_t Now() const { return m_clock(); }
    CCrtRandom& Random() { return m_random; }

    // The passes of the current method, and the byte pass `nPass` writes (unused for random).
    int PassCount() const;
    std::uint8_t PassByte(int nPass) const;
    // A file's passes begin: the random method is reseeded from the clock.
    void BeginFile();

    // Writes `nBytes` of the pass byte at the file's current position in chunks, asking
    // `control` before and telling it after each, and starts write-back every slice. True when
    // every byte was written or the control stopped the span (`nStored` says how many were);
    // false with `error` when a write or a start of write-back failed.
    bool WriteSpan(IFileHandle& file, std::int64_t nStart, std::int64_t nBytes, std::uint8_t nByte,
                   ISpanControl& control, std::int64_t& nStored, CFileError& error);

    // Reads `ranges` of the file back from the medium and compares them with a pass of
    // `nByte` drawn from `start` (the generator as that pass began), each piece read while the
    // one before is compared (CReadAhead). True when they match;
    // false with `nMismatch` (the first offset that differs) or, when a read failed, `error`
    // set (its cause is then not kCauseNone). `step` is told of every chunk compared.
    bool ReadBackMatches(IFileHandle& file, const std::vector<CDataRange>& ranges,
                         const CCrtRandom& start, std::uint8_t nByte,
                         const std::function<void(std::int64_t)>& step, std::int64_t& nMismatch,
                         CFileError& error);

    // A seed for the generator of a file shredded beside others, from this generator's next
    // two draws: no two files in flight draw the same names.
    std::uint32_t DrawSeed();

private:
    const std::uint8_t* FillChunk(std::size_t nBytes, std::uint8_t nByte);

    int m_nWipeMethod = 0;
    CCrtRandom m_random;
    CRandomChunks m_randomChunks;  // the random method's bytes, drawn through m_random
    std::vector<std::uint8_t> m_chunk;
    std::function<std::int64_t()> m_clock;
};

}  // namespace quorrel
