#include <gtest/gtest.h>

#include <climits>

#include "crt_atoi.h"
#include "crt_rand.h"

namespace wordloom {
namespace {

TEST(CrtRand, FollowsTheRuntimeSequenceFromSeedOne) {
  CrtSeed(1);
  // The first values every fresh process sees.
  const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
  for (int value : expected) EXPECT_EQ(CrtRand(), value);
  CrtSeed(1);
  EXPECT_EQ(CrtRand(), 41);
}

TEST(CrtAtoi, ReadsLikeTheCRuntime) {
  EXPECT_EQ(CrtAtoi("60"), 60);
  EXPECT_EQ(CrtAtoi("  \t\n-12abc"), -12);
  EXPECT_EQ(CrtAtoi("+7"), 7);
  EXPECT_EQ(CrtAtoi("007"), 7);
  EXPECT_EQ(CrtAtoi(""), 0);
  EXPECT_EQ(CrtAtoi("abc"), 0);
  EXPECT_EQ(CrtAtoi("- 5"), 0);
  EXPECT_EQ(CrtAtoi("12 34"), 12);
  EXPECT_EQ(CrtAtoi("\xEF\xBC\x91"), 0);  // a full-width digit is not a digit
}

TEST(CrtAtoi, SaturatesOutsideThirtyTwoBits) {
  EXPECT_EQ(CrtAtoi("2147483647"), INT_MAX);
  EXPECT_EQ(CrtAtoi("2147483648"), INT_MAX);
  EXPECT_EQ(CrtAtoi("99999999999999999999999"), INT_MAX);
  EXPECT_EQ(CrtAtoi("-2147483648"), INT_MIN);
  EXPECT_EQ(CrtAtoi("-2147483649"), INT_MIN);
  EXPECT_EQ(CrtAtoi("-99999999999999999999999x"), INT_MIN);
}

}  // namespace
}  // namespace wordloom
