// The overwrite methods: their names, pass counts and pass patterns.
#pragma once

#include <cstdint>

namespace quorrel {

// The methods the Options list offers, in the order of their values.
constexpr int kWipeMethodCount = 4;
// The method that writes a fresh random byte for every byte of every pass.
constexpr int kWipeMethodRandom = 3;

// The display name of `nMethod`; "Unknown" for a value outside 0..3.
const char* WipeMethodName(int nMethod);

// How many passes `nMethod` writes: 1, 3, 7, 30, and 10 for any other value.
int WipePassCount(int nMethod);

// The byte pass `nPass` (from 0) writes under `nMethod`: 0x00 for 0; 0x00 on even and 0xFF on
// odd passes for 1 and 2; 0x55 otherwise (the random method replaces it byte by byte).
std::uint8_t WipePassByte(int nMethod, int nPass);

}  // namespace quorrel
