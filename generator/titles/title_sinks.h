#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "chunked_output.h"
#include "title_label.h"
#include "title_lines.h"
#include "title_rule.h"
#include "wordloom/text.h"
#include "xlsx_sink.h"

// Where titles made one at a time go: each takes the title as composed
// (Put) and ends the file once all are in (Finish).
namespace wordloom {

// A title a line, through the output.
class ListSink {
 public:
  ListSink(char separator, ChunkedOutput& out) : separator_(separator), out_(out) {}
  void Put(int64_t done, const TitleLabel&, std::string_view title, const ComposedTitle&) {
    const std::string_view cell = CellText(title, separator_);
    out_.Append(cell.data(), cell.size(), done);
    out_.Append("\r\n", 2, done);
  }
  void Finish(int64_t total) { out_.HandOff(total); }

 private:
  char separator_;
  ChunkedOutput& out_;
};

// Csv rows through the output, in GBK or in UTF-8 with a byte-order mark;
// the byte count is the cell's GBK bytes either way, as the limit counts.
class CsvSink {
 public:
  CsvSink(char separator, bool utf8, ChunkedOutput& out) : separator_(separator), utf8_(utf8), out_(out) {
    if (utf8_) {
      const std::string header = "\xEF\xBB\xBF" + GbkToUtf8(kCsvHeader);
      out_.Append(header.data(), header.size(), 0);
    } else {
      out_.Append(kCsvHeader, sizeof kCsvHeader - 1, 0);
    }
  }
  void Put(int64_t done, const TitleLabel& label, std::string_view title, const ComposedTitle&) {
    const std::string_view cell = CellText(title, separator_);
    const std::string utf8 = utf8_ ? GbkToUtf8(cell) : std::string();
    const std::string_view text = utf8_ ? std::string_view(utf8) : cell;
    row_.resize(2 * text.size() + 48);
    const char* end = PutCsvRow(row_.data(), label.number(), text, cell.size());
    out_.Append(row_.data(), static_cast<size_t>(end - row_.data()), done);
  }
  void Finish(int64_t total) { out_.HandOff(total); }

 private:
  char separator_;
  bool utf8_;
  ChunkedOutput& out_;
  std::string row_;
};

// Titles kept in memory, as composed, with their lengths as the limit counts
// them: a preview's.
struct CollectedTitle {
  std::string text;
  int64_t length;
};
class CollectSink {
 public:
  explicit CollectSink(std::vector<CollectedTitle>& titles) : titles_(titles) {}
  void Put(int64_t, const TitleLabel&, std::string_view title, const ComposedTitle& composed) {
    titles_.push_back({std::string(title), composed.length});
  }
  void Finish(int64_t) {}

 private:
  std::vector<CollectedTitle>& titles_;
};

}  // namespace wordloom
