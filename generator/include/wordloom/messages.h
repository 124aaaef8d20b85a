#pragma once
// Part of the session layer's surface: the layers below it may not include it.
#ifdef WORDLOOM_BELOW_SESSION
#error "wordloom/messages.h belongs to the session layer, above the one including it"
#endif
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "wordloom/formula.h"
#include "wordloom/listing.h"
#include "wordloom/session.h"

// Everything a generate command tells the user, as UTF-8. Front ends convert
// to whatever their surface needs (terminal encoding, wxString).
namespace wordloom::msg {

inline const char kCoreWordRequired[] = "标题中心词为必填项，请填写！！！";
inline const char kLengthRequired[] = "单条标题长度为必填项，请填写！！！";
inline const char kCountRequired[] = "生成标题数量必填项，请填写！！！";
inline const char kNoLibraryChosen[] = "请先点击“打开词库”选择词库文件！！！";
inline const char kCoreWordNotGbk[] = "标题中心词含有无法用 GBK 编码表示的字符，请修改后重试！！！";
inline const char kFormulaNotGbk[] = "标题公式含有无法用 GBK 编码表示的字符，请修改后重试！！！";
inline const char kOutOfMemory[] = "内存不足，无法完成本次生成。原有文件未被改动。";

std::string LibraryUnreadable(const std::string& path, const std::string& reason);
std::string LibraryNotGbk(const std::string& path, size_t line);
std::string LibraryNotUtf(const std::string& path, size_t line, const char* encoding);
std::string NothingToDraw(const std::string& path);
std::string TitleFileUnwritable(const std::string& path, const std::string& reason);

std::string BannedListUnreadable(const std::string& path, const std::string& reason);
std::string BannedListNotText(const std::string& path, size_t line);
std::string BannedListEmpty(const std::string& path);
std::string CoreWordBanned(const std::string& termGbk);
std::string UniqueTitlesExhausted(int64_t made, int64_t asked, int tries);

// A formula that cannot be used; `part` is 1-based, texts are GBK.
std::string FormulaSyntax(size_t part, const std::string& text);
std::string FormulaCount(size_t part, const std::string& text);
std::string FormulaCoreTwice(size_t part);
std::string FormulaNoGroups(const std::string& path);
std::string FormulaGroupMissing(const std::string& path, size_t part, const std::string& group);
std::string FormulaTooLong(size_t part, const std::string& text, int32_t maxLength);
std::string FormulaBlockedByBannedWords(int tries);

// What an Excel sheet cannot hold.
std::string XlsxTooManyTitles(int64_t fit);
std::string XlsxTitleTooLong(int64_t characters, int32_t maxLength);

// The reports, as the user reads them: a line each, the examples indented.
std::string LibraryReportText(const LibraryReport& report);
std::string BatchReportText(const BatchReport& report);
// The preview window's text: each title with its bytes against the limit,
// then the report on these titles.
std::string PreviewText(const TitlePreview& preview);
// The rules that are on, in a few words; empty when none is.
std::string RulesText(const TitleRules& rules);
// A formula as the user reads it (UTF-8): its slots with their counts,
// the core word as 中心词.
std::string FormulaWords(const std::vector<FormulaSlot>& slots);

}  // namespace wordloom::msg
