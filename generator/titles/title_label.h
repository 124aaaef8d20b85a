#pragma once
#include <cstddef>
#include <cstring>
#include <string_view>

namespace wordloom {

// GBK bytes of the title file's fixed texts.
inline const char kTitleFileHeader[] = "\xC9\xCC\xC6\xB7\xC3\xFB\xB3\xC6\r\n";  // 商品名称
inline const char kTitleLabel[] = "\xB1\xEA\xCC\xE2";                           // 标题

// "标题<i>:" for i = 0, 1, 2 ..., counted up in place instead of formatted.
class TitleLabel {
 public:
  static constexpr size_t kCopy = 24;  // bytes a fixed-size copy of it writes

  TitleLabel() {
    std::memcpy(text_, kTitleLabel, 4);
    text_[4] = '0';
    text_[5] = ':';
  }
  const char* data() const { return text_; }
  size_t size() const { return 5 + digits_; }
  // The number alone, in decimal.
  std::string_view number() const { return {text_ + 4, digits_}; }
  void Increment() {
    size_t d = 4 + digits_;
    while (d > 4 && text_[d - 1] == '9') text_[--d] = '0';
    if (d > 4) {
      ++text_[d - 1];
      return;
    }
    text_[4] = '1';  // 9..9 became 10..0
    ++digits_;
    text_[4 + digits_ - 1] = '0';
    text_[4 + digits_] = ':';
  }

 private:
  char text_[kCopy] = {};
  size_t digits_ = 1;
};

}  // namespace wordloom
