// The generator's bulk fill. A step is affine, s -> a*s + c (mod 2^32), so k steps are too:
// s -> A_k*s + C_k. The fill keeps 32 states side by side and steps each of them 32 draws at
// a time; the lanes do not depend on one another, so the compiler keeps them in vector
// registers (plain loops over fixed-size blocks: no CPU-specific code). Long fills compute the
// first 64 KiB so, and every later byte from the one 64 KiB before it (see kSpan); a fill that
// continues another takes its first 64 KiB from the end of the one before.
#include "engine/file/CrtRandom.h"

#include <algorithm>
#include <cstring>

namespace quorrel {

namespace {

// Four groups of lanes: lane j of group g holds the state of draw 4j + g of the block, so the
// four bytes of output word j come one from each group, with shifts and masks only. 8 lanes
// a group (32 draws a block) measured fastest on 128-bit and 256-bit vector units alike.
constexpr std::size_t kGroupLanes = 8;
constexpr std::size_t kBlock = 4 * kGroupLanes;

struct SAffine {
    std::uint32_t nMul;
    std::uint32_t nAdd;
};

// The map of `nSteps` draws in one: state -> nMul*state + nAdd (mod 2^32).
constexpr SAffine Steps(std::size_t nSteps) {
    SAffine map{1u, 0u};
    for (std::size_t k = 0; k < nSteps; ++k) {
        map.nMul = map.nMul * CCrtRandom::kMultiplier;
        map.nAdd = map.nAdd * CCrtRandom::kMultiplier + CCrtRandom::kIncrement;
    }
    return map;
}

// The multiplier's inverse mod 2^32 (it is odd); Newton's step doubles the correct low bits.
constexpr std::uint32_t InverseMultiplier() {
    std::uint32_t nInverse = CCrtRandom::kMultiplier;  // right in the low 3 bits
    for (int k = 0; k < 4; ++k) {
        nInverse *= 2u - CCrtRandom::kMultiplier * nInverse;
    }
    return nInverse;
}

constexpr SAffine kBlockStep = Steps(kBlock);

// Past the first kSpan bytes a byte follows from the one kSpan before. A_kSpan = 1 + 2^18*u and
// C_kSpan = 2^16*v (a = 1 mod 4, c odd), so x_{n+kSpan} = x_n + 2^16*(4*u*x_n + v): the byte
// (bits 16 to 23) gains (4*u*x_n + v) mod 256, with nothing carried up from the low 16 bits.
// That depends on x_n mod 64 only, which repeats every 64 draws: one 64-byte pattern of
// differences serves every later byte.
constexpr std::size_t kSpan = 65536;
constexpr std::size_t kPattern = 64;
constexpr SAffine kSpanStep = Steps(kSpan);
static_assert((kSpanStep.nMul & 0x3FFFFu) == 1u && (kSpanStep.nAdd & 0xFFFFu) == 0u,
              "the span must step the low bits by a whole period");
constexpr std::uint32_t kSpanU = (kSpanStep.nMul - 1u) >> 18;
constexpr std::uint32_t kSpanV = kSpanStep.nAdd >> 16;

// The state `nSteps` draws after `nState`, by squaring the one-step map.
std::uint32_t Advance(std::uint32_t nState, std::size_t nSteps) {
    SAffine power{CCrtRandom::kMultiplier, CCrtRandom::kIncrement};
    for (; nSteps != 0; nSteps >>= 1) {
        if ((nSteps & 1u) != 0) {
            nState = nState * power.nMul + power.nAdd;
        }
        power = SAffine{power.nMul * power.nMul, power.nAdd * power.nMul + power.nAdd};
    }
    return nState;
}
constexpr std::uint32_t kInverse = InverseMultiplier();
static_assert(CCrtRandom::kMultiplier * kInverse == 1u, "the inverse must undo a step");

// Whether a word's first byte in memory is its lowest (folded to a constant by the compiler).
bool IsLittleEndian() {
    const std::uint32_t nOne = 1u;
    std::uint8_t first = 0;
    std::memcpy(&first, &nOne, 1);
    return first == 1u;
}

struct SLanes {
    std::uint32_t group[4][kGroupLanes];
};

// Writes the block's kBlock bytes (bits 16 to 23 of each lane's state) in draw order.
template <bool bLittleEndian>
void WriteBlock(const SLanes& lanes, std::uint8_t* pOut) {
    std::uint32_t words[kGroupLanes];
    for (std::size_t j = 0; j < kGroupLanes; ++j) {
        const std::uint32_t b0 = (lanes.group[0][j] >> 16) & 0xFFu;
        const std::uint32_t b1 = (lanes.group[1][j] >> 16) & 0xFFu;
        const std::uint32_t b2 = (lanes.group[2][j] >> 16) & 0xFFu;
        const std::uint32_t b3 = (lanes.group[3][j] >> 16) & 0xFFu;
        words[j] = bLittleEndian ? b0 | (b1 << 8) | (b2 << 16) | (b3 << 24)
                                 : (b0 << 24) | (b1 << 16) | (b2 << 8) | b3;
    }
    std::memcpy(pOut, words, sizeof words);
}

// Fills whole blocks from `nState` on; returns the number of bytes written (a multiple of
// kBlock) and leaves `nState` at the state of the last draw written.
template <bool bLittleEndian>
std::size_t FillBlocks(std::uint32_t& nState, std::uint8_t* pOut, std::size_t nCount) {
    SLanes lanes;
    std::uint32_t nDraw = nState;
    for (std::size_t j = 0; j < kGroupLanes; ++j) {
        for (auto& group : lanes.group) {
            nDraw = nDraw * CCrtRandom::kMultiplier + CCrtRandom::kIncrement;
            group[j] = nDraw;
        }
    }
    std::size_t nDone = 0;
    for (; nDone + kBlock <= nCount; nDone += kBlock) {
        WriteBlock<bLittleEndian>(lanes, pOut + nDone);
        for (auto& group : lanes.group) {
            for (std::uint32_t& lane : group) {
                lane = lane * kBlockStep.nMul + kBlockStep.nAdd;
            }
        }
    }
    // The first lane is one draw past the last byte written: step back once.
    nState = (lanes.group[0][0] - CCrtRandom::kIncrement) * kInverse;
    return nDone;
}

// The 64 differences of a fill that starts from `nState`: byte n of the fill is the byte kSpan
// draws before it plus pattern[n % kPattern].
void SpanPattern(std::uint32_t nState, std::uint8_t (&pattern)[kPattern]) {
    for (std::uint8_t& difference : pattern) {
        nState = nState * CCrtRandom::kMultiplier + CCrtRandom::kIncrement;
        difference = static_cast<std::uint8_t>(4u * kSpanU * nState + kSpanV);
    }
}

// Whole patterns of bytes: out = in + pattern, byte by byte. In and out never overlap (they
// are kSpan apart), which the compiler is told so that it adds whole vectors, the pattern
// kept in registers.
void AddBlocks(const std::uint8_t* __restrict pIn, std::uint8_t* __restrict pOut,
               std::size_t nBlocks, const std::uint8_t (&pattern)[kPattern]) {
    // Four quarters of a pattern, each as wide as the narrowest vector unit, so that the
    // compiler holds the whole pattern in registers and adds a quarter per instruction.
    constexpr std::size_t kQuarter = kPattern / 4;
    std::uint8_t q0[kQuarter], q1[kQuarter], q2[kQuarter], q3[kQuarter];
    std::memcpy(q0, pattern, kQuarter);
    std::memcpy(q1, pattern + kQuarter, kQuarter);
    std::memcpy(q2, pattern + 2 * kQuarter, kQuarter);
    std::memcpy(q3, pattern + 3 * kQuarter, kQuarter);
    for (std::size_t b = 0; b < nBlocks; ++b) {
        const std::uint8_t* pFrom = pIn + b * kPattern;
        std::uint8_t* pTo = pOut + b * kPattern;
        for (std::size_t j = 0; j < kQuarter; ++j) {
            pTo[j] = static_cast<std::uint8_t>(pFrom[j] + q0[j]);
        }
        for (std::size_t j = 0; j < kQuarter; ++j) {
            pTo[kQuarter + j] = static_cast<std::uint8_t>(pFrom[kQuarter + j] + q1[j]);
        }
        for (std::size_t j = 0; j < kQuarter; ++j) {
            pTo[2 * kQuarter + j] = static_cast<std::uint8_t>(pFrom[2 * kQuarter + j] + q2[j]);
        }
        for (std::size_t j = 0; j < kQuarter; ++j) {
            pTo[3 * kQuarter + j] = static_cast<std::uint8_t>(pFrom[3 * kQuarter + j] + q3[j]);
        }
    }
}

// pOut[n] = pIn[n] + pattern[n % kPattern] for n below nCount (pIn is kSpan bytes before
// pOut in the sequence; the two may be parts of one buffer kSpan apart).
void AddPattern(const std::uint8_t* pIn, std::uint8_t* pOut, std::size_t nCount,
                const std::uint8_t (&pattern)[kPattern]) {
    // Never more than kSpan at once, so that what is read was written before the call.
    std::size_t nDone = 0;
    while (nCount - nDone >= kPattern) {
        const std::size_t nBlocks = std::min(nCount - nDone, kSpan) / kPattern;
        AddBlocks(pIn + nDone, pOut + nDone, nBlocks, pattern);
        nDone += nBlocks * kPattern;
    }
    for (; nDone < nCount; ++nDone) {
        pOut[nDone] = static_cast<std::uint8_t>(pIn[nDone] + pattern[nDone % kPattern]);
    }
}

static_assert(kSpan == CCrtRandom::kHistoryBytes, "a continued fill looks one span back");

}  // namespace

void CCrtRandom::FillLowBytes(std::uint8_t* pOut, std::size_t nCount) {
    if (nCount >= 2 * kSpan) {
        const std::uint32_t nStart = m_nState;
        FillLowBytes(pOut, kSpan);
        std::uint8_t pattern[kPattern];
        SpanPattern(nStart, pattern);
        AddPattern(pOut, pOut + kSpan, nCount - kSpan, pattern);
        m_nState = Advance(nStart, nCount);
        return;
    }
    std::size_t nDone = 0;
    if (nCount >= 2 * kBlock) {
        nDone = IsLittleEndian() ? FillBlocks<true>(m_nState, pOut, nCount)
                                 : FillBlocks<false>(m_nState, pOut, nCount);
    }
    for (; nDone < nCount; ++nDone) {
        pOut[nDone] = static_cast<std::uint8_t>(Draw() & 0xFF);
    }
}

void CCrtRandom::FillLowBytesAfter(const std::uint8_t* pBefore, std::uint8_t* pOut,
                                   std::size_t nCount) {
    std::uint8_t pattern[kPattern];
    SpanPattern(m_nState, pattern);
    const std::size_t nFirst = nCount < kSpan ? nCount : kSpan;
    AddPattern(pBefore, pOut, nFirst, pattern);
    if (nCount > kSpan) {  // kSpan is a whole number of patterns: the phase carries on
        AddPattern(pOut, pOut + kSpan, nCount - kSpan, pattern);
    }
    m_nState = Advance(m_nState, nCount);
}

}  // namespace quorrel
