#pragma once
#include <cstdio>
#include <cstdlib>

// An invariant of a fuzz target: a broken one aborts, and libFuzzer keeps the input.
#define CHECK(cond) ((cond) ? void() : (std::fprintf(stderr, "invariant broken: %s\n", #cond), std::abort()))
