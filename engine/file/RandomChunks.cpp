// The random method's chunks, each drawn on from the one before.
#include "engine/file/RandomChunks.h"

namespace quorrel {

const std::uint8_t* CRandomChunks::Next(CCrtRandom& random, std::size_t nBytes) {
    const std::size_t nThis = 1 - m_nLast;
    std::vector<std::uint8_t>& out = m_buffers[nThis];
    if (out.size() < nBytes) {
        out.resize(nBytes);
    }
    const bool bFollows =
        m_nLastBytes >= CCrtRandom::kHistoryBytes && random.State() == m_nStateAfter;
    if (bFollows) {
        const std::uint8_t* pBefore =
            m_buffers[m_nLast].data() + (m_nLastBytes - CCrtRandom::kHistoryBytes);
        random.FillLowBytesAfter(pBefore, out.data(), nBytes);
    } else {
        random.FillLowBytes(out.data(), nBytes);
    }
    m_nLast = nThis;
    m_nLastBytes = nBytes;
    m_nStateAfter = random.State();
    return out.data();
}

}  // namespace quorrel
