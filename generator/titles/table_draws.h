#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "crt_random.h"
#include "title_recipe.h"

namespace wordloom {

// The plain draws for a library of up to 32768 entries, faster (1.1 to 1.3
// times on a title file, see the benchmark): a draw is one generator
// value, and the value alone decides the entry, so two tables by value say
// all there is: the entry's size (32 KiB, one byte each, small enough to
// stay in the first-level cache), and where its bytes begin in the
// library's text (its position instead, for an entry too long for a byte).
// The core's values are marked to be drawn again. engine_test holds these
// to PlainDraws' titles.
class DrawTables {
 public:
  static constexpr uint8_t kCore = 0xFF, kLong = 0xFE;  // sizes: draw again; look the entry up

  // Whether the tables can stand in for the plain draws: every value one
  // entry, and every entry's place in 32 bits.
  static bool Serve(const TitleRecipe& recipe);
  explicit DrawTables(const TitleRecipe& recipe);

  const uint8_t* sizes() const { return sizes_.get(); }
  const uint32_t* begins() const { return begins_.get(); }

 private:
  std::unique_ptr<uint8_t[]> sizes_;
  std::unique_ptr<uint32_t[]> begins_;
};

// Draws through the tables. The generator runs in two lanes, two steps
// apart, so that a value does not wait on the multiply just before it.
class TableDraws {
 public:
  TableDraws(const DrawTables& tables, const WordList& words, CrtRandom random);

  void Begin() {}
  bool Next(int64_t, std::string_view& entry) {
    const uint32_t r = Step(next_, after_);
    const uint8_t size = sizes_[r];
    if (__builtin_expect(size < DrawTables::kLong, 1)) {
      entry = {text_ + begins_[r], size};
      return true;
    }
    const LookedUp found = LookUp(*this, r);  // by value, so that the lanes stay in registers
    next_ = found.next;
    after_ = found.after;
    entry = found.entry;
    return true;
  }
  // The generator after the last value drawn.
  CrtRandom random() const { return CrtRandom::Before(next_); }
  void Restart(CrtRandom random);

 private:
  static constexpr CrtRandom::Leap kLeap = CrtRandom::LeapOf(2);

  static uint32_t Step(uint32_t& next, uint32_t& after) {
    const uint32_t state = next;
    next = after;
    after = state * kLeap.multiply + kLeap.add;
    return CrtRandom::ValueOf(state);
  }
  // What the size table cannot answer: a long entry, looked up, or the
  // core's value, drawn again until another comes.
  struct LookedUp {
    std::string_view entry;
    uint32_t next, after;
  };
  [[gnu::noinline]] static LookedUp LookUp(TableDraws d, uint32_t r);

  const uint8_t* sizes_;
  const uint32_t* begins_;
  const char* text_;
  const WordList* words_;
  uint32_t next_, after_;  // the states of the next two values
};

}  // namespace wordloom
