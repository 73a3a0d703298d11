// The pass bytes, the chunked writing loop and the read-back comparison.
#include "engine/PassWriter.h"

#include <algorithm>
#include <ctime>

#include "engine/WipeMethod.h"

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
    std::vector<std::uint8_t> actual;
    for (const CDataRange& range : ranges) {
        for (std::int64_t nDone = 0; nDone < range.m_nLength;) {
            const std::size_t nBytes = ChunkOf(range.m_nLength - nDone);
            const std::uint8_t* pExpected =
                PassBytes(m_nWipeMethod, random, randomChunks, expected, nBytes, nByte);
            actual.resize(nBytes);
            if (!file.ReadBack(range.m_nStart + nDone, actual.data(), nBytes, error)) {
                return false;
            }
            const auto diff = std::mismatch(actual.begin(), actual.end(), pExpected);
            if (diff.first != actual.end()) {
                nMismatch = range.m_nStart + nDone + (diff.first - actual.begin());
                return false;
            }
            nDone += static_cast<std::int64_t>(nBytes);
            step(static_cast<std::int64_t>(nBytes));
        }
    }
    return true;
}

std::uint32_t CPassWriter::DrawSeed() {
    const auto nHigh = static_cast<std::uint32_t>(m_random.Draw());
    const auto nLow = static_cast<std::uint32_t>(m_random.Draw());
    return (nHigh << 15) | nLow;
}

}  // namespace quorrel
