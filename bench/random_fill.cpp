// The random method's generator alone: bytes per second of the bulk fill (what a pass of
// method 3 uses) against one Draw() per byte (what it used before), on one core, in 256 KiB
// chunks as a pass writes them, and the chunks a pass draws one after another, each drawn on
// from the one before. Both must give the same bytes; the benchmark checks that.
// Rates are of CPU time (std::clock), so that other work on a shared machine does not count.
//
//     build/bench/bench_random_fill [MiB]        (default 1024 MiB for the bulk fill)
//
// Target: 2 GB/s or more for the bulk fill. It prints figures and exits 0 (1 if the bytes differ).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "engine/file/CrtRandom.h"
#include "engine/file/RandomChunks.h"

namespace {

constexpr std::size_t kChunk = 256 * 1024;

double CpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// Fills `nChunks` chunks with `fill` and returns the seconds taken; `nSum` keeps the work
// from being optimised away.
template <typename Fill>
double Time(std::size_t nChunks, std::vector<std::uint8_t>& chunk, std::uint64_t& nSum, Fill fill) {
    const double fStart = CpuSeconds();
    for (std::size_t k = 0; k < nChunks; ++k) {
        fill(chunk.data(), chunk.size());
        nSum += chunk[k % chunk.size()];
    }
    return CpuSeconds() - fStart;
}

}  // namespace

int main(int argc, char** argv) {
    const long long nMib = argc > 1 ? std::atoll(argv[1]) : 1024;
    if (nMib <= 0) {
        std::fprintf(stderr, "usage: bench_random_fill [MiB]\n");
        return 2;
    }
    // The draw-by-draw loop is slow: an eighth of the size gives a steady figure.
    const std::size_t nLaneChunks = static_cast<std::size_t>(nMib) * 4;
    const std::size_t nSerialChunks = nLaneChunks / 8 > 0 ? nLaneChunks / 8 : 1;

    // Same bytes first, over a few chunks and an odd tail.
    quorrel::CCrtRandom lanes, serial;
    lanes.Seed(12345u);
    serial.Seed(12345u);
    std::vector<std::uint8_t> a(kChunk * 3 + 77), b(a.size());
    lanes.FillLowBytes(a.data(), a.size());
    for (std::uint8_t& byte : b) {
        byte = static_cast<std::uint8_t>(serial.Draw() & 0xFF);
    }
    if (a != b || lanes.State() != serial.State()) {
        std::printf("random_fill: the bulk fill gives other bytes than Draw(): FAILED\n");
        return 1;
    }

    std::vector<std::uint8_t> chunk(kChunk);
    std::uint64_t nSum = 0;
    quorrel::CCrtRandom random;
    const double fSerial = Time(nSerialChunks, chunk, nSum, [&](std::uint8_t* p, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            p[i] = static_cast<std::uint8_t>(random.Draw() & 0xFF);
        }
    });
    const double fLanes = Time(nLaneChunks, chunk, nSum,
                               [&](std::uint8_t* p, std::size_t n) { random.FillLowBytes(p, n); });
    // Pieces of 64 KiB never reach the far-back path: the lanes alone.
    const double fLanesOnly = Time(nLaneChunks, chunk, nSum, [&](std::uint8_t* p, std::size_t n) {
        for (std::size_t k = 0; k < n; k += 65536) {
            random.FillLowBytes(p + k, 65536);
        }
    });
    // Chunks drawn on from the one before, as a pass draws them one after another.
    quorrel::CRandomChunks chunks;
    const double fChained = Time(nLaneChunks, chunk, nSum, [&](std::uint8_t* p, std::size_t n) {
        nSum += chunks.Next(random, n)[p[0] % n];
    });
    const double fSerialRate = static_cast<double>(nSerialChunks * kChunk) / fSerial;
    const double fLaneRate = static_cast<double>(nLaneChunks * kChunk) / fLanes;
    std::printf("random_fill: one Draw() per byte: %zu MiB in %.3f s of CPU = %.2f GB/s\n",
                nSerialChunks / 4, fSerial, fSerialRate / 1e9);
    std::printf("random_fill: bulk fill:           %zu MiB in %.3f s of CPU = %.2f GB/s\n",
                nLaneChunks / 4, fLanes, fLaneRate / 1e9);
    std::printf("random_fill: lanes alone (64 KiB fills): %.2f GB/s\n",
                static_cast<double>(nLaneChunks * kChunk) / fLanesOnly / 1e9);
    std::printf("random_fill: chunks drawn on from the one before (a pass): %.2f GB/s\n",
                static_cast<double>(nLaneChunks * kChunk) / fChained / 1e9);
    std::printf("random_fill: bulk fill / one draw per byte: %.1fx faster (checksum %llu)\n",
                fLaneRate / fSerialRate, static_cast<unsigned long long>(nSum));
    std::printf("random_fill: target 2 GB/s or more: %s\n", fLaneRate >= 2e9 ? "met" : "missed");
    return 0;
}
