// Writes a deterministic word library for the benchmark: `entries` lines of
// two to eight Chinese characters each (GB2312 level-1 hanzi, GBK bytes, LF
// line ends), with the core word 连衣裙 at the middle position. With "utf8"
// the same text is written as UTF-8 instead. With "jieba" the entries are
// real words instead: drawn with the seed from the words of two to eight
// Chinese characters in python3-jieba's dictionary (UTF-8 "word frequency
// tag" lines), written as GBK.
//
//   make_library ENTRIES SEED OUTPUT [gbk|utf8|jieba DICT]
#include <iconv.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// splitmix64: a fixed, portable sequence for a given seed.
struct Random {
  uint64_t state;
  uint64_t Next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  unsigned Below(unsigned n) { return static_cast<unsigned>(Next() % n); }
};

const char kCore[] = "\xC1\xAC\xD2\xC2\xC8\xB9";  // 连衣裙

bool Convert(const char* to, const char* from, const std::string& text, std::string& converted) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  converted.assign(text.size() * 3 / 2 + 16, '\0');
  char* in = const_cast<char*>(text.data());
  char* out = &converted[0];
  size_t inLeft = text.size(), outLeft = converted.size();
  const bool ok = iconv(cd, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1) && inLeft == 0;
  iconv_close(cd);
  converted.resize(converted.size() - outLeft);
  return ok;
}

// Words of two to eight characters from U+4E00 .. U+9FFF (three UTF-8 bytes
// each) that have a GBK form, in dictionary order, the core left out.
std::vector<std::string> JiebaWords(const char* path) {
  std::vector<std::string> words;
  std::ifstream in(path);
  std::string line, gbk;
  while (std::getline(in, line)) {
    const std::string word = line.substr(0, line.find(' '));
    bool hanzi = word.size() % 3 == 0 && word.size() >= 6 && word.size() <= 24;
    for (size_t i = 0; hanzi && i < word.size(); i += 3) {
      const unsigned b0 = static_cast<unsigned char>(word[i]), b1 = static_cast<unsigned char>(word[i + 1]);
      hanzi = (b0 >= 0xE4 && b0 <= 0xE9) && (b0 != 0xE4 || b1 >= 0xB8);
    }
    if (hanzi && Convert("GBK", "UTF-8", word, gbk) && gbk != kCore) words.push_back(gbk);
  }
  return words;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: make_library ENTRIES SEED OUTPUT [gbk|utf8]\n");
    return 2;
  }
  const uint64_t entries = std::strtoull(argv[1], nullptr, 10);
  Random random{std::strtoull(argv[2], nullptr, 10)};
  const bool utf8 = argc > 4 && std::strcmp(argv[4], "utf8") == 0;
  const bool jieba = argc > 5 && std::strcmp(argv[4], "jieba") == 0;
  std::vector<std::string> words;
  if (jieba) {
    words = JiebaWords(argv[5]);
    if (words.size() < entries) {
      std::fprintf(stderr, "make_library: %s has %zu usable words\n", argv[5], words.size());
      return 1;
    }
  }

  std::string text;
  text.reserve(entries * 11);
  for (uint64_t i = 0; i < entries; ++i) {
    if (i == entries / 2) {
      text += kCore;
    } else if (jieba) {
      // A partial shuffle: each word is taken once.
      const size_t pick = i + random.Next() % (words.size() - i);
      std::swap(words[i], words[pick]);
      text += words[i];
    } else {
      const unsigned chars = 2 + random.Below(7);
      for (unsigned c = 0; c < chars; ++c) {
        const unsigned lead = 0xB0 + random.Below(0xD7 - 0xB0 + 1);
        const unsigned trail = 0xA1 + random.Below((lead == 0xD7 ? 0xF9 : 0xFE) - 0xA1 + 1);
        text += static_cast<char>(lead);
        text += static_cast<char>(trail);
      }
    }
    text += '\n';
  }
  if (utf8) {
    std::string converted;
    if (!Convert("UTF-8", "GBK", text, converted)) {
      std::fprintf(stderr, "make_library: conversion to UTF-8 failed\n");
      return 1;
    }
    text.swap(converted);
  }
  FILE* f = std::fopen(argv[3], "wb");
  if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0) {
    std::fprintf(stderr, "make_library: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
