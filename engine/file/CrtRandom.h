// The program's one pseudo-random generator: the C runtime's linear congruential generator.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quorrel {

// new state = old state x 214013 + 2531011 (mod 2^32); each draw is bits 16 to 30 of the new
// state. The state is 1 until the first reseed, so a run's sequence is reproducible.
class CCrtRandom {
public:
    static constexpr std::uint32_t kMultiplier = 214013u;
    static constexpr std::uint32_t kIncrement = 2531011u;

    // Restarts the sequence from `nSeed`.
    void Seed(std::uint32_t nSeed) { m_nState = nSeed; }
    // The next number of the sequence, 0 to 32767.
    int Draw() {
        m_nState = m_nState * kMultiplier + kIncrement;
        return static_cast<int>((m_nState >> 16) & 0x7FFF);
    }
    // Writes the low byte of each of the next `nCount` draws to `pOut`, in order, and leaves
    // the generator where `nCount` calls of Draw() would: the same bytes and the same state,
    // computed many draws at a time.
    void FillLowBytes(std::uint8_t* pOut, std::size_t nCount);
    // Draws whose bytes FillLowBytesAfter() takes from the fill before.
    static constexpr std::size_t kHistoryBytes = 65536;
    // Does what FillLowBytes() does, faster, for a fill that continues one just made:
    // `pBefore` holds the low bytes of the kHistoryBytes draws right before this one's (every
    // later byte follows from the one kHistoryBytes draws earlier, see CrtRandom.cpp).
    void FillLowBytesAfter(const std::uint8_t* pBefore, std::uint8_t* pOut, std::size_t nCount);
    // The current state, for tests that compare two sequences.
    std::uint32_t State() const { return m_nState; }

private:
    std::uint32_t m_nState = 1;
};

}  // namespace quorrel
