// The pass bytes, the chunked writing loop and the read-back comparison.
#include "engine/file/PassWriter.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "engine/file/ReadAhead.h"
#include "engine/file/WipeMethod.h"

namespace quorrel {

namespace {

// The size of the next chunk of a span with `nLeft` bytes to go.
std::size_t ChunkOf(std::int64_t nLeft) {
    return static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(CPassWriter::kChunkBytes), nLeft));
}

// The bytes of a pass: one draw per byte, in order, under the random method (read afresh for
// every chunk, as the method is read before every byte), each chunk drawn on from the one
// before; the pass byte otherwise, in `chunk`, written only when the chunk does not hold it
// already. Valid until the next call but one.
const std::uint8_t* PassBytes(int nMethod, CCrtRandom& random, CRandomChunks& randomChunks,
                              std::vector<std::uint8_t>& chunk, std::size_t nBytes,
                              std::uint8_t nByte) {
    if (nMethod == kWipeMethodRandom) {
        return randomChunks.Next(random, nBytes);
    }
    if (chunk.size() < nBytes || chunk.front() != nByte || chunk.back() != nByte) {
        chunk.assign(std::max(chunk.size(), nBytes), nByte);
    }
    return chunk.data();
}

}  // namespace

CPassWriter::CPassWriter() : m_clock([] { return std::int64_t{std::time(nullptr)}; }) {}

int CPassWriter::PassCount() const {
    return WipePassCount(m_nWipeMethod);
}

std::uint8_t CPassWriter::PassByte(int nPass) const {
    return WipePassByte(m_nWipeMethod, nPass);
}

void CPassWriter::BeginFile() {
    if (m_nWipeMethod == kWipeMethodRandom) {
        m_random.Seed(static_cast<std::uint32_t>(m_clock()));
    }
}

const std::uint8_t* CPassWriter::FillChunk(std::size_t nBytes, std::uint8_t nByte) {
    return PassBytes(m_nWipeMethod, m_random, m_randomChunks, m_chunk, nBytes, nByte);
}

bool CPassWriter::WriteSpan(IFileHandle& file, std::int64_t nStart, std::int64_t nBytes,
                            std::uint8_t nByte, ISpanControl& control, std::int64_t& nStored,
                            CFileError& error) {
    nStored = 0;
    std::int64_t nSinceFlush = 0;
    while (nStored < nBytes) {
        const std::size_t nChunk = ChunkOf(nBytes - nStored);
        if (control.StopBefore(nStart + nStored + static_cast<std::int64_t>(nChunk))) {
            return true;
        }
        if (!file.Write(FillChunk(nChunk, nByte), nChunk, error)) {
            return false;
        }
        nStored += static_cast<std::int64_t>(nChunk);
        nSinceFlush += static_cast<std::int64_t>(nChunk);
        control.Wrote(static_cast<std::int64_t>(nChunk));
        if (nSinceFlush >= kFlushSliceBytes && nStored < nBytes) {
            if (!file.StartFlush(error)) {
                return false;
            }
            nSinceFlush = 0;
        }
    }
    return true;
}

bool CPassWriter::ReadBackMatches(IFileHandle& file, const std::vector<CDataRange>& ranges,
                                  const CCrtRandom& start, std::uint8_t nByte,
                                  const std::function<void(std::int64_t)>& step,
                                  std::int64_t& nMismatch, CFileError& error) {
    CCrtRandom random = start;  // the generator as the pass found it
    CRandomChunks randomChunks;
    std::vector<std::uint8_t> expected;
    CReadAhead reads(file, ranges);
    CDataRange piece;
    const std::uint8_t* pActual = nullptr;
    // The pieces follow one another through the ranges, so the pass's bytes are drawn in the
    // order the pass drew them, a chunk at a time as it wrote them.
    while (reads.Next(piece, pActual, error)) {
        for (std::int64_t nDone = 0; nDone < piece.m_nLength;) {
            const std::size_t nBytes = ChunkOf(piece.m_nLength - nDone);
            const std::uint8_t* pExpected =
                PassBytes(m_nWipeMethod, random, randomChunks, expected, nBytes, nByte);
            const std::uint8_t* pChunk = pActual + nDone;
            if (std::memcmp(pChunk, pExpected, nBytes) != 0) {
                nMismatch = piece.m_nStart + nDone +
                            (std::mismatch(pChunk, pChunk + nBytes, pExpected).first - pChunk);
                return false;
            }
            nDone += static_cast<std::int64_t>(nBytes);
            step(static_cast<std::int64_t>(nBytes));
        }
    }
    return error.m_nCause == kCauseNone;
}

std::uint32_t CPassWriter::DrawSeed() {
    const auto nHigh = static_cast<std::uint32_t>(m_random.Draw());
    const auto nLow = static_cast<std::uint32_t>(m_random.Draw());
    return (nHigh << 15) | nLow;
}

}  // namespace quorrel
