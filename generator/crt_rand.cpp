#include "crt_rand.h"

namespace wordloom {
namespace {
uint32_t g_randState = 1;
}

int CrtRand() {
  g_randState = g_randState * 214013u + 2531011u;
  return static_cast<int>((g_randState >> 16) & kRandMax);
}

void CrtSeed(uint32_t seed) { g_randState = seed; }

uint32_t CrtState() { return g_randState; }

}  // namespace wordloom
