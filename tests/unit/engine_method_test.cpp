// The method table, the generator and the stored-setting decoding.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/file/CrtRandom.h"
#include "engine/file/RandomChunks.h"
#include "engine/file/WipeMethod.h"
#include "platform/Settings.h"

namespace quorrel::test {

TEST(WipeMethodTable, NamesAreTheOnesTheBannersAndOptionsShow) {
    EXPECT_STREQ(WipeMethodName(0), "Simple (1 pass: writes 0x00)");
    EXPECT_STREQ(WipeMethodName(1), "US DoD 5220.22-M (3 passes: writes 0x00 and 0xFF)");
    EXPECT_STREQ(WipeMethodName(2),
                 "US DoD 5220.22-M (7 passes: writes 0x00 and 0xFF - US govermant aprooved)");
    EXPECT_STREQ(WipeMethodName(3), "Strongest (30 passes: writes random data)");
    EXPECT_STREQ(WipeMethodName(4), "Unknown");
    EXPECT_STREQ(WipeMethodName(-1), "Unknown");
}

TEST(WipeMethodTable, PassSchedules) {
    EXPECT_EQ(WipePassCount(0), 1);
    EXPECT_EQ(WipePassCount(1), 3);
    EXPECT_EQ(WipePassCount(2), 7);
    EXPECT_EQ(WipePassCount(3), 30);
    EXPECT_EQ(WipePassCount(7), 10);
    EXPECT_EQ(WipePassCount(-1), 10);
    for (int nPass = 0; nPass < 7; ++nPass) {
        EXPECT_EQ(WipePassByte(2, nPass), nPass % 2 == 0 ? 0x00 : 0xFF) << nPass;
        EXPECT_EQ(WipePassByte(7, nPass), 0x55);
        EXPECT_EQ(WipePassByte(0, nPass), 0x00);
    }
}

TEST(CrtRandom, FollowsTheCRuntimeSequenceFromStateOne) {
    CCrtRandom random;
    const int expected[] = {41, 18467, 6334, 26500, 19169};
    for (const int value : expected) {
        EXPECT_EQ(random.Draw(), value);
    }
    random.Seed(1);
    EXPECT_EQ(random.Draw(), 41);
}

TEST(CrtRandom, DrawsStayWithinFifteenBits) {
    CCrtRandom random;
    random.Seed(0xFFFFFFFFu);
    for (int i = 0; i < 100000; ++i) {
        const int value = random.Draw();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 32767);
    }
}

// The bulk fill against one Draw() per byte: pieces of odd lengths one after another, so that
// every piece starts at another place of the lane blocks and the state carries across; long
// pieces take the path that derives bytes from those 64 KiB before.
TEST(CrtRandom, BulkFillGivesTheBytesAndStateOfOneDrawPerByte) {
    struct SCase {
        std::uint32_t nSeed;
        std::vector<std::size_t> pieces;
    };
    const SCase cases[] = {
        {1u, {0, 1, 31, 32, 63, 64, 65, 127}},  {0u, {4096, 1, 4095, 33}},
        {0xFFFFFFFFu, {262144 + 7, 3, 262144}}, {0x80000000u, {97, 1000, 65, 2}},
        {1234567u, {64, 64, 1, 64, 63}},        {7u, {131071, 131072, 131073, 65536 * 5 + 61}},
    };
    for (const SCase& c : cases) {
        CCrtRandom bulk, single;
        bulk.Seed(c.nSeed);
        single.Seed(c.nSeed);
        for (const std::size_t nPiece : c.pieces) {
            std::vector<std::uint8_t> bytes(nPiece + 1, 0xA5);
            bulk.FillLowBytes(bytes.data(), nPiece);
            for (std::size_t i = 0; i < nPiece; ++i) {
                ASSERT_EQ(bytes[i], single.Draw() & 0xFF)
                    << "seed " << c.nSeed << ", piece of " << nPiece << ", byte " << i;
            }
            EXPECT_EQ(bytes[nPiece], 0xA5) << "written past the end";
            ASSERT_EQ(bulk.State(), single.State()) << "seed " << c.nSeed << ", piece " << nPiece;
        }
    }
}

// Chunks drawn on from the one before against one Draw() per byte: chunks shorter and longer
// than the 64 KiB they continue from, and draws or a reseed between chunks (0 in the list: one
// Draw() of both generators; 1: both reseeded), after which the next chunk must start afresh.
TEST(RandomChunks, GiveTheBytesAndStateOfOneDrawPerByte) {
    struct SCase {
        std::uint32_t nSeed;
        std::vector<std::size_t> chunks;
    };
    constexpr std::size_t k64 = CCrtRandom::kHistoryBytes;
    const SCase cases[] = {
        {1u, {262144, 262144, 7, k64, k64, 100003, 262144}},
        {0xFFFFFFFFu, {k64 - 1, k64, 0, 262144, 262144, 1, 262144}},
        {123u, {k64 + 65, 3 * k64 + 1, 63}},
    };
    for (const SCase& c : cases) {
        CCrtRandom drawn, single;
        drawn.Seed(c.nSeed);
        single.Seed(c.nSeed);
        CRandomChunks chunks;
        for (const std::size_t nChunk : c.chunks) {
            if (nChunk <= 1) {
                for (CCrtRandom* random : {&drawn, &single}) {
                    if (nChunk == 0) {
                        random->Draw();
                    } else {
                        random->Seed(c.nSeed + 1);
                    }
                }
                continue;
            }
            const std::uint8_t* pBytes = chunks.Next(drawn, nChunk);
            for (std::size_t i = 0; i < nChunk; ++i) {
                ASSERT_EQ(pBytes[i], single.Draw() & 0xFF)
                    << "seed " << c.nSeed << ", chunk of " << nChunk << ", byte " << i;
            }
            ASSERT_EQ(drawn.State(), single.State()) << "seed " << c.nSeed << ", chunk " << nChunk;
        }
    }
}

TEST(StoredWipeMethod, DecodesNumbersAndShortByteArrays) {
    EXPECT_EQ(DecodeStoredWipeMethod("2"), 2);
    EXPECT_EQ(DecodeStoredWipeMethod("-1"), -1);
    EXPECT_EQ(DecodeStoredWipeMethod("4294967295"), -1);  // a DWORD with all bits set
    EXPECT_EQ(DecodeStoredWipeMethod("7"), 7);
    EXPECT_EQ(DecodeStoredWipeMethod("@ByteArray(\\x2)"), 2);
    EXPECT_EQ(DecodeStoredWipeMethod("@ByteArray(\\x1\\x2)"), 0x0201);  // low bytes only
    EXPECT_EQ(DecodeStoredWipeMethod("@ByteArray(\\x3\\0\\0\\0)"), 3);
}

// A text value holds its number, the same for the terminal and the window (both read text
// through this rule); any other text is no method.
TEST(StoredWipeMethod, ATextValueIsTheNumberItHolds) {
    const struct {
        const char* text;
        bool bNumber;
        int nMethod;
    } cases[] = {
        {"3", true, 3},
        {" 2\t", true, 2},
        {"-1", true, -1},
        {"+1", true, 1},
        {"4294967298", true, 2},  // the low 32 bits, as a DWORD
        {"3x", false, 0},
        {"", false, 0},
        {" ", false, 0},
        {"0x3", false, 0},
        {"3 3", false, 0},
        {"\n3", false, 0},
        {"99999999999999999999", false, 0},
    };
    for (const auto& c : cases) {
        int nMethod = 77;
        EXPECT_EQ(WipeMethodFromText(c.text, nMethod), c.bNumber) << "[" << c.text << "]";
        EXPECT_EQ(nMethod, c.bNumber ? c.nMethod : 77) << "[" << c.text << "]";
    }
}

TEST(StoredWipeMethod, AnythingElseKeepsTheDefault) {
    EXPECT_EQ(DecodeStoredWipeMethod(""), 0);
    EXPECT_EQ(DecodeStoredWipeMethod("two"), 0);
    EXPECT_EQ(DecodeStoredWipeMethod("2x"), 0);
    EXPECT_EQ(DecodeStoredWipeMethod("@ByteArray(\\x1\\x2\\x3\\x4\\x5)"), 0);  // too long
}

}  // namespace quorrel::test
