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

// The current state: a hot loop can step a copy of the generator inline and
// hand the state back with CrtSeed, leaving the sequence where CrtRand would.
uint32_t CrtState();

}  // namespace wordloom
