#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "title_label.h"
#include "title_outs.h"
#include "title_recipe.h"
#include "title_rule.h"

// How each text file lays out a title's line, in memory known to hold it:
// where the title is composed, and what the line becomes around it.
namespace wordloom {

// GBK bytes of the csv's header row: 序号,标题,字节数.
inline const char kCsvHeader[] = "\xD0\xF2\xBA\xC5,\xB1\xEA\xCC\xE2,\xD7\xD6\xBD\xDA\xCA\xFD\r\n";

// A title as a cell or a list holds it: without the separator after its
// last piece, which a title has exactly when there is a separator.
inline std::string_view CellText(std::string_view title, char separator) {
  return separator != '\0' && !title.empty() ? title.substr(0, title.size() - 1) : title;
}

// The bytes a composed title takes at most: its longest, and the CR of each
// LF in the core.
inline uint64_t TitleRoom(const TitleRecipe& recipe) {
  return (recipe.coreTextSize - static_cast<size_t>(recipe.coreLength)) + static_cast<uint64_t>(LongestTitle(recipe));
}

// A csv row: the number, the text quoted (RFC 4180) when it holds a comma,
// a quote or a line end, its quotes doubled, the byte count, CR LF. `p` has
// room for 2 * text.size() + 48 bytes. Returns the row's end.
char* PutCsvRow(char* p, std::string_view number, std::string_view text, size_t bytes);

// The title file: "标题<i>:" and the title as composed.
class TxtLines {
 public:
  explicit TxtLines(const TitleRecipe& recipe) : room_(TitleRoom(recipe)) {}
  static std::string_view Header() { return {kTitleFileHeader, sizeof kTitleFileHeader - 1}; }
  uint64_t Bound() const { return TitleLabel::kCopy + room_ + 2 + kFixedCopy; }
  char* TitleAt(char* line, const TitleLabel& label) const {
    std::memcpy(line, label.data(), TitleLabel::kCopy);
    return line + label.size();
  }
  char* End(char*, char*, char* end, const TitleLabel&) const {
    end[0] = '\r';
    end[1] = '\n';
    return end + 2;
  }

 private:
  uint64_t room_;
};

// A title a line and nothing else.
class ListLines {
 public:
  explicit ListLines(const TitleRecipe& recipe) : room_(TitleRoom(recipe)), separator_(recipe.separator) {}
  static std::string_view Header() { return {}; }
  uint64_t Bound() const { return room_ + 2 + kFixedCopy; }
  char* TitleAt(char* line, const TitleLabel&) const { return line; }
  char* End(char*, char* title, char* end, const TitleLabel&) const {
    end = title + CellText({title, static_cast<size_t>(end - title)}, separator_).size();
    end[0] = '\r';
    end[1] = '\n';
    return end + 2;
  }

 private:
  uint64_t room_;
  char separator_;
};

// A csv row in GBK. The title is composed at the far end of the line's
// room and the row written from its start: it never overtakes the title.
class CsvLines {
 public:
  explicit CsvLines(const TitleRecipe& recipe) : room_(TitleRoom(recipe)), separator_(recipe.separator) {}
  static std::string_view Header() { return {kCsvHeader, sizeof kCsvHeader - 1}; }
  uint64_t Bound() const { return 3 * room_ + 64 + kFixedCopy; }
  char* TitleAt(char* line, const TitleLabel&) const { return line + Bound() - room_ - kFixedCopy; }
  char* End(char* line, char* title, char* end, const TitleLabel& label) const {
    const std::string_view cell = CellText({title, static_cast<size_t>(end - title)}, separator_);
    return PutCsvRow(line, label.number(), cell, cell.size());
  }

 private:
  uint64_t room_;
  char separator_;
};

}  // namespace wordloom
