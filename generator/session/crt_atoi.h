#pragma once
#include <cstdint>
#include <string_view>

namespace wordloom {

// atoi as users know it from the C runtime: leading white space, an optional
// sign, then decimal digits up to the first other character; no digits gives
// 0. Values beyond the 32-bit range stop at the nearest limit instead of
// wrapping into a number the user never typed.
int32_t CrtAtoi(std::string_view text);

}  // namespace wordloom
