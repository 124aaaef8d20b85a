#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string_view>

#include "chunked_output.h"
#include "title_label.h"
#include "title_recipe.h"
#include "title_rule.h"

namespace wordloom {

// A workbook of the csv's columns on one sheet: the header row bold and
// frozen, the title column as wide as a title can be, numbers stored as
// numbers. libxlsxwriter writes it in constant memory into a scratch folder
// of its own; once it is complete, its bytes go through the output, and so
// through the replace-file policy like every title file. The run asks no
// more of a sheet than it holds (kXlsxRows, kXlsxCellCharacters).
class XlsxSink {
 public:
  XlsxSink(const TitleRecipe& recipe, ChunkedOutput& out);
  ~XlsxSink();
  XlsxSink(const XlsxSink&) = delete;
  XlsxSink& operator=(const XlsxSink&) = delete;

  void Put(int64_t done, const TitleLabel& label, std::string_view title, const ComposedTitle&);
  void Finish(int64_t total);

 private:
  struct Book;  // libxlsxwriter's, behind this file
  std::unique_ptr<Book> book_;
  char separator_;
  ChunkedOutput& out_;
};

}  // namespace wordloom
