#pragma once
#include <cstddef>

// PNG bytes of icon IDR_MAINFRAME at each size, compiled into the program.
namespace wordloom::res {

extern const unsigned char kIcon16Png[];
extern const size_t kIcon16PngSize;
extern const unsigned char kIcon32Png[];
extern const size_t kIcon32PngSize;
extern const unsigned char kIcon48Png[];
extern const size_t kIcon48PngSize;
extern const unsigned char kIcon256Png[];
extern const size_t kIcon256PngSize;

}  // namespace wordloom::res
