#include "xlsx_sink.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <string>

#include "env.h"
#include "title_lines.h"
#include "title_rule.h"
#include "xlsx_library.h"
#include "wordloom/formats.h"
#include "wordloom/text.h"

namespace wordloom {
namespace {

// Rows between two questions whether to go on: the sheet's rows write
// nothing through the output until the end.
constexpr int64_t kRowsBetweenAsks = 4096;

}  // namespace

struct XlsxSink::Book {
  const XlsxCalls& call;
  std::filesystem::path folder;
  std::string tmpdir;
  lxw_workbook* workbook = nullptr;
  lxw_worksheet* sheet = nullptr;
  lxw_format* bold = nullptr;

  explicit Book(const XlsxCalls& calls) : call(calls) {}
  ~Book() {
    if (workbook) call.workbook_close(workbook);
    std::error_code ignored;
    if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
  }
  std::filesystem::path file() const { return folder / "titles.xlsx"; }
};

XlsxSink::XlsxSink(const TitleRecipe& recipe, ChunkedOutput& out)
    : separator_(recipe.separator), out_(out) {
  const XlsxCalls* calls = XlsxLibrary();
  if (!calls) {
    out_.Fail(Status::Of(Status::kNoWorkbookLibrary));
    return;
  }
  book_ = std::make_unique<Book>(*calls);
  const XlsxCalls& call = *calls;
  if (const Status made = NewScratchFolder(book_->folder); !made.ok()) {
    out_.Fail(made);
    return;
  }
  book_->tmpdir = NarrowPath(book_->folder);
  lxw_workbook_options options = {};
  options.constant_memory = LXW_TRUE;
  options.tmpdir = book_->tmpdir.data();
  book_->workbook = call.workbook_new_opt(NarrowPath(book_->file()).c_str(), &options);
  if (book_->workbook) book_->sheet = call.workbook_add_worksheet(book_->workbook, "标题");
  if (!book_->sheet) {
    out_.Fail(Status::Of(Status::kOther, errno));
    return;
  }
  book_->bold = call.workbook_add_format(book_->workbook);
  call.format_set_bold(book_->bold);
  // A column unit is about a half-width character, what a GBK byte shows as.
  const double width = std::clamp<double>(static_cast<double>(TitleRoom(recipe)) + 2, 10, 255);
  call.worksheet_set_column(book_->sheet, 0, 0, 8, nullptr);
  call.worksheet_set_column(book_->sheet, 1, 1, width, nullptr);
  call.worksheet_set_column(book_->sheet, 2, 2, 8, nullptr);
  call.worksheet_freeze_panes(book_->sheet, 1, 0);
  const std::string header = GbkToUtf8(std::string_view(kCsvHeader, sizeof kCsvHeader - 3));
  for (lxw_col_t column = 0, from = 0; column < 3; ++column) {
    const size_t comma = std::min(header.find(',', from), header.size());
    call.worksheet_write_string(book_->sheet, 0, column, header.substr(from, comma - from).c_str(), book_->bold);
    from = static_cast<lxw_col_t>(comma + 1);
  }
}

XlsxSink::~XlsxSink() = default;

void XlsxSink::Put(int64_t done, const TitleLabel&, std::string_view title, const ComposedTitle&) {
  if (out_.stopped()) return;
  const std::string_view cell = CellText(title, separator_);
  const lxw_row_t row = static_cast<lxw_row_t>(done + 1);
  const std::string text = GbkToUtf8(cell);
  const XlsxCalls& call = book_->call;
  if (call.worksheet_write_number(book_->sheet, row, 0, static_cast<double>(done), nullptr) != LXW_NO_ERROR ||
      call.worksheet_write_string(book_->sheet, row, 1, text.c_str(), nullptr) != LXW_NO_ERROR ||
      call.worksheet_write_number(book_->sheet, row, 2, static_cast<double>(cell.size()), nullptr) != LXW_NO_ERROR) {
    out_.Fail(Status::Of(Status::kOther, errno));
    return;
  }
  if ((done + 1) % kRowsBetweenAsks == 0) out_.Ask(done + 1);
}

void XlsxSink::Finish(int64_t total) {
  const lxw_error closed = book_->call.workbook_close(book_->workbook);
  book_->workbook = nullptr;
  if (closed != LXW_NO_ERROR) {
    out_.Fail(Status::Of(closed == LXW_ERROR_MEMORY_MALLOC_FAILED ? Status::kNoMemory : Status::kNoSpace, 0));
    return;
  }
  std::ifstream in(book_->file(), std::ios::binary);
  std::string chunk(ChunkedOutput::kChunk, '\0');
  while (in && !out_.stopped()) {
    in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    out_.Append(chunk.data(), static_cast<size_t>(in.gcount()), total);
  }
  if (in.bad()) out_.Fail(Status::Of(Status::kDeviceError, 0));
  if (!out_.stopped()) out_.HandOff(total);
}

}  // namespace wordloom
