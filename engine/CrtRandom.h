// The program's one pseudo-random generator: the C runtime's linear congruential generator.
#pragma once

#include <cstdint>

namespace quorrel {

// new state = old state x 214013 + 2531011 (mod 2^32); each draw is bits 16 to 30 of the new
// state. The state is 1 until the first reseed, so a run's sequence is reproducible.
class CCrtRandom {
public:
    // Restarts the sequence from `nSeed`.
    void Seed(std::uint32_t nSeed) { m_nState = nSeed; }
    // The next number of the sequence, 0 to 32767.
    int Draw() {
        m_nState = m_nState * 214013u + 2531011u;
        return static_cast<int>((m_nState >> 16) & 0x7FFF);
    }
    // The current state, for tests that compare two sequences.
    std::uint32_t State() const { return m_nState; }

private:
    std::uint32_t m_nState = 1;
};

}  // namespace quorrel
