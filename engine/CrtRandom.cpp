// The generator's bulk fill. A step is affine, s -> a*s + c (mod 2^32), so k steps are too:
// s -> A_k*s + C_k. The fill keeps kLanes states side by side and steps each of them kLanes
// draws at a time; the lanes do not depend on one another, so the compiler keeps them in
// vector registers (plain loops over fixed-size blocks: no CPU-specific code).
#include "CrtRandom.h"

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

}  // namespace

void CCrtRandom::FillLowBytes(std::uint8_t* pOut, std::size_t nCount) {
    std::size_t nDone = 0;
    if (nCount >= 2 * kBlock) {
        nDone = IsLittleEndian() ? FillBlocks<true>(m_nState, pOut, nCount)
                                 : FillBlocks<false>(m_nState, pOut, nCount);
    }
    for (; nDone < nCount; ++nDone) {
        pOut[nDone] = static_cast<std::uint8_t>(Draw() & 0xFF);
    }
}

}  // namespace quorrel
