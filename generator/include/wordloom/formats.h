#pragma once
// Part of the titles layer's surface: the layers below it may not include it.
#ifdef WORDLOOM_BELOW_TITLES
#error "wordloom/formats.h belongs to the titles layer, above the one including it"
#endif

// The files a run's titles can go into. A run's titles are the same in
// each; only the title file carries the separator after a title's last
// piece, the others end a title at its last piece.
namespace wordloom {

struct OutputFormat {
  enum Kind {
    kTxt,   // the title file: 商品名称, then 标题<i>: and a title a line, GBK
    kList,  // a title a line and nothing else, GBK
    kCsv,   // 序号,标题,字节数 and a row a title, RFC 4180
    kXlsx,  // an Excel workbook of the csv's columns
  } kind = kTxt;
  bool csvUtf8 = false;  // the csv in UTF-8 with a byte-order mark instead of GBK

  // What a file chooser's entry would propose as the extension.
  const char* extension() const { return kind == kCsv ? "csv" : kind == kXlsx ? "xlsx" : "txt"; }
};

// Rows an xlsx sheet holds, its header row among them.
constexpr long long kXlsxRows = 1048576;
// Characters an xlsx cell holds.
constexpr long long kXlsxCellCharacters = 32767;

}  // namespace wordloom
