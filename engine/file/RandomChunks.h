// The random method's chunks, each drawn on from the one before.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/file/CrtRandom.h"

namespace quorrel {

// Makes the low bytes of a generator's draws a chunk at a time. A chunk that follows the one
// made last in the sequence (nothing drawn in between) is drawn on from that one's bytes,
// which is several times cheaper than starting afresh (CCrtRandom::FillLowBytesAfter); the
// bytes are the same either way.
class CRandomChunks {
public:
    // The low bytes of the next `nBytes` draws of `random`, which is stepped past them. The
    // bytes stay valid until the next call but one.
    const std::uint8_t* Next(CCrtRandom& random, std::size_t nBytes);

private:
    std::vector<std::uint8_t> m_buffers[2];
    std::size_t m_nLast = 1;          // the buffer of the chunk made last
    std::size_t m_nLastBytes = 0;     // its length (0: none)
    std::uint32_t m_nStateAfter = 0;  // the generator's state after it
};

}  // namespace quorrel
