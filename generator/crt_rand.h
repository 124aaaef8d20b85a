#pragma once
#include <cstdint>

// The process-wide generator. It follows the Microsoft C runtime's rand()
// step for step, so a fresh process started with the same inputs writes the
// same titles as the program always has.
namespace wordloom {

constexpr uint32_t kRandMax = 0x7FFF;

// Next value in 0 .. 32767.
int CrtRand();

// Restarts the sequence; a fresh process behaves as if seeded with 1.
void CrtSeed(uint32_t seed);

}  // namespace wordloom
