// wordloom-cli: the generate command for scripts and batch work.
#include <CLI/CLI.hpp>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "terminal_text.h"
#include "wordloom/messages.h"
#include "wordloom/session.h"
#include "wordloom_version.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>
#endif

namespace {

constexpr int kExitWritten = 0;  // --check: no finding
constexpr int kExitRefused = 1;  // --check: findings
constexpr int kExitUsage = 2;
constexpr int kExitFile = 3;
constexpr int kExitListUnreadable = 4;
constexpr int kExitListNotText = 5;
constexpr int kExitListEmpty = 6;
constexpr int kExitFormulaSyntax = 7;
constexpr int kExitFormulaCount = 8;
constexpr int kExitFormulaCoreTwice = 9;
constexpr int kExitFormulaNoGroups = 10;
constexpr int kExitFormulaGroupMissing = 11;

std::filesystem::path PathFromArgument(const std::string& utf8) {
#ifdef _WIN32
  return std::filesystem::u8path(utf8);
#else
  return std::filesystem::path(utf8);
#endif
}

class CliFrontEnd : public wordloom::FrontEnd {
 public:
  CliFrontEnd(const wordloom::TerminalText& terminal, std::string output) : terminal_(terminal), output_(std::move(output)) {}
  void ShowMessage(const std::string& utf8) override { std::cerr << terminal_.FromUtf8(utf8) << '\n'; }
  std::optional<std::filesystem::path> ChooseSavePath(wordloom::OutputFormat&) override { return PathFromArgument(output_); }

 private:
  const wordloom::TerminalText& terminal_;
  std::string output_;
};

#ifdef _WIN32
// The ANSI argv loses every character outside the system's code page; the
// wide command line has them all, so it is parsed as UTF-8 instead.
std::vector<std::string> Arguments(int, char**) {
  std::vector<std::string> args;
  int argc = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!wide) return args;
  for (int i = 0; i < argc; ++i) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string arg(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, &arg[0], n, nullptr, nullptr);
    args.push_back(std::move(arg));
  }
  LocalFree(wide);
  return args;
}
#else
std::vector<std::string> Arguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }
#endif

// "--core=" is an empty core word, as "--core ''" is; the parser would
// otherwise take the next argument as its value.
std::vector<std::string> SplitEmptyValues(std::vector<std::string> args) {
  std::vector<std::string> out;
  for (std::string& a : args) {
    if (a.size() > 3 && a.compare(0, 2, "--") == 0 && a.back() == '=' && a.find('=') == a.size() - 1) {
      a.pop_back();
      out.push_back(std::move(a));
      out.emplace_back();
    } else {
      out.push_back(std::move(a));
    }
  }
  return out;
}

int ExitStatus(wordloom::Outcome outcome, bool check) {
  using wordloom::Outcome;
  switch (outcome) {
    case Outcome::kWritten: return kExitWritten;
    case Outcome::kInputRefused: return kExitRefused;
    case Outcome::kEncodingError: return check ? kExitFile : kExitRefused;
    case Outcome::kListUnreadable: return kExitListUnreadable;
    case Outcome::kListNotText: return kExitListNotText;
    case Outcome::kListEmpty: return kExitListEmpty;
    case Outcome::kFormulaSyntax: return kExitFormulaSyntax;
    case Outcome::kFormulaCount: return kExitFormulaCount;
    case Outcome::kFormulaCoreTwice: return kExitFormulaCoreTwice;
    case Outcome::kFormulaNoGroups: return kExitFormulaNoGroups;
    case Outcome::kFormulaGroupMissing: return kExitFormulaGroupMissing;
    default: return kExitFile;
  }
}

const char kRulesHelp[] =
    "Rules (each off unless given; with none, titles are what they always were):\n"
    "  --no-repeat     no entry text twice in a title, and no entry equal to the core word;\n"
    "                  an entry already in the title is drawn again\n"
    "  --unique        no two titles of a run alike: a title made before is made again, up to\n"
    "                  1000 times; then nothing is written and the message says how many\n"
    "                  different titles were made\n"
    "  --fill          a title ends only when no entry that may still go in fits; each entry\n"
    "                  is drawn among those that fit\n"
    "  --avoid-banned  no banned word in a title, also across two entries; entries holding\n"
    "                  one are never drawn, and a core word holding one is refused\n"
    "Entries that may not go in are drawn again up to 64 times, then drawn among those left.\n"
    "Formula (--formula): titles in the order of the slots, from a grouped library, where a line\n"
    "  [name] starts a group. Slots are parted by +: @ is the core word (first when not named),\n"
    "  a group's name takes one entry, name:N N of them, name:N-M N to M, name:* as many as fit\n"
    "  and name:N-* as many as fit but at least N. Example: 品牌+@+属性:2+卖点:1-2+流量词:*\n"
    "  No entry text twice in a title and each drawn among those that fit (so --no-repeat and\n"
    "  --fill are implied); --unique, --avoid-banned and --report work as without a formula.\n";

const char kExitHelp[] =
    "Exit status: 0 title file written (--check: no finding); 1 input refused (empty core word,\n"
    "length or count, nothing to draw, library text that cannot be brought to GBK, a core word\n"
    "holding a banned word, --unique could not make that many titles, a run a workbook cannot\n"
    "hold; --check: findings);\n"
    "2 usage error; 3 file error (library unreadable, --check: also library text that cannot be\n"
    "brought to GBK; title file not written; memory ran out; an existing file is left as it\n"
    "was); 4 the banned-word list cannot be read; 5 it is not text; 6 it holds no word;\n"
    "7 the formula does not read; 8 a count of 0 or a range upside down; 9 the core word (@)\n"
    "named twice; 10 the library has no group heading; 11 a group of the formula is not in it\n"
    "(--check reports 10 and 11 as findings).";

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
#ifdef _WIN32
  // Title bytes for "-o -" go out unchanged, without CR added before LF.
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  std::vector<std::string> args = SplitEmptyValues(Arguments(argc, argv));
  std::vector<char*> argvUtf8;
  for (std::string& a : args) argvUtf8.push_back(&a[0]);
  argvUtf8.push_back(nullptr);
  const wordloom::TerminalText terminal;

  CLI::App app{"Wordloom: writes a file of random product titles from a word library (GBK text)."};
  app.footer(std::string(kRulesHelp) + kExitHelp);
  app.set_version_flag("--version", "wordloom-cli " WORDLOOM_VERSION);
  std::string library, core, length, count, output, separator = "none", encoding = "auto", bannedList, formula;
  std::string format = "txt", csvEncoding = "gbk";
  uint32_t seed = 1;
  bool check = false, report = false;
  wordloom::TitleRules rules;
  app.add_option("-l,--library", library, "word library: one entry per line, GBK, UTF-8 or UTF-16")->required();
  CLI::Option* coreOption = app.add_option("-c,--core", core, "core word every title begins with");
  CLI::Option* lengthOption = app.add_option("-n,--length", length, "length limit of one title in bytes (text, read like atoi)");
  CLI::Option* countOption = app.add_option("-N,--count", count, "number of titles (text, read like atoi)");
  app.add_option("-s,--separator", separator, "comma, space or none (default none)")
      ->check(CLI::IsMember({"comma", "space", "none"}));
  CLI::Option* outputOption = app.add_option("-o,--output", output, "title file to write, - for standard output");
  app.add_option("--encoding", encoding,
                 "the library's encoding: auto (default: a byte-order mark, else UTF-8 or GBK by the text), "
                 "gbk, utf-8 or utf-16")
      ->check(CLI::IsMember({"auto", "gbk", "utf-8", "utf-16"}));
  app.add_option("--seed", seed, "start the random sequence at another state (default 1)");
  CLI::Option* checkOption =
      app.add_flag("--check", check,
                   "check the library instead of writing titles: encoding, duplicates, empty lines, spaces, "
                   "separators, entries too long for --core and --length, banned words, characters marketplaces "
                   "refuse; the report goes to standard output");
  CLI::Option* reportOption =
      app.add_flag("--report", report,
                   "after writing, report on the titles to standard error: bytes used, repeated entries, "
                   "duplicate titles, banned words");
  app.add_option("--banned-list", bannedList,
                 "banned words, one a line (# starts a note), instead of the built-in list; "
                 "read like a library");
  CLI::Option* formatOption =
      app.add_option("--format", format,
                     "the file to write: txt (default, the title file), list (a title a line), csv "
                     "(序号,标题,字节数; GBK unless --csv-encoding utf-8) or xlsx (an Excel workbook)")
          ->check(CLI::IsMember({"txt", "list", "csv", "xlsx"}));
  CLI::Option* csvOption = app.add_option("--csv-encoding", csvEncoding, "the csv's encoding: gbk (default) or utf-8 (with a BOM)")
                               ->check(CLI::IsMember({"gbk", "utf-8"}));
  app.add_option("--formula", formula,
                 "titles in the order of a formula's slots, from a grouped library (see below), "
                 "e.g. 品牌+@+属性:2+卖点:1-2+流量词:*");
  app.add_flag("--no-repeat", rules.noRepeat, "rule: no entry text twice in a title (see below)");
  app.add_flag("--unique", rules.unique, "rule: no two titles of a run alike (see below)");
  app.add_flag("--fill", rules.fill, "rule: fill each title up to the limit (see below)");
  app.add_flag("--avoid-banned", rules.avoidBanned, "rule: no banned word in a title (see below)");
  checkOption->excludes(countOption)->excludes(outputOption)->excludes(reportOption)->excludes(formatOption)->excludes(csvOption);
  try {
    app.parse(static_cast<int>(args.size()), argvUtf8.data());
    // A run needs all four; a check only the library.
    if (!check) {
      for (CLI::Option* option : {coreOption, lengthOption, countOption, outputOption})
        if (option->count() == 0) throw CLI::RequiredError(option->get_name());
    }
    if (check && rules.any()) throw CLI::ValidationError("--check", "the rules apply to a run, not to --check");
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e);
    return status == 0 ? 0 : kExitUsage;
  }

  const std::optional<std::string> coreGbk = terminal.ToGbk(core);
  if (!coreGbk) {
    std::cerr << terminal.FromUtf8(wordloom::msg::kCoreWordNotGbk) << '\n';
    return check ? kExitUsage : kExitRefused;
  }
  // Group names are GBK, as the library's are.
  const std::optional<std::string> formulaGbk = terminal.ToGbk(formula);
  if (!formulaGbk) {
    std::cerr << terminal.FromUtf8(wordloom::msg::kFormulaNotGbk) << '\n';
    return kExitFormulaSyntax;
  }
  using wordloom::LibraryEncoding;
  const LibraryEncoding libraryEncoding = encoding == "gbk"      ? LibraryEncoding::kGbk
                                          : encoding == "utf-8"  ? LibraryEncoding::kUtf8
                                          : encoding == "utf-16" ? LibraryEncoding::kUtf16
                                                                 : LibraryEncoding::kAuto;
  wordloom::Session session;
  session.ChooseLibrary(PathFromArgument(library), libraryEncoding);
  session.Seed(seed);
  if (!bannedList.empty()) session.UseBannedList(PathFromArgument(bannedList));
  wordloom::RunInputs inputs;
  inputs.countText = count;
  inputs.lengthText = length;
  inputs.coreWord = *coreGbk;
  inputs.separatorIndex = separator == "comma" ? 0 : separator == "space" ? 1 : 2;
  inputs.rules = rules;
  inputs.report = report;
  inputs.formula = *formulaGbk;
  inputs.format.kind = format == "list"   ? wordloom::OutputFormat::kList
                       : format == "csv"  ? wordloom::OutputFormat::kCsv
                       : format == "xlsx" ? wordloom::OutputFormat::kXlsx
                                          : wordloom::OutputFormat::kTxt;
  inputs.format.csvUtf8 = csvEncoding == "utf-8";
  CliFrontEnd frontEnd(terminal, output);
  if (check) {
    wordloom::LibraryReport libraryReport;
    const wordloom::Outcome outcome = session.Check(inputs, frontEnd, libraryReport);
    if (outcome != wordloom::Outcome::kChecked) return ExitStatus(outcome, true);
    std::cout << terminal.FromUtf8(wordloom::msg::LibraryReportText(libraryReport)) << std::flush;
    return libraryReport.total() == 0 ? kExitWritten : kExitRefused;
  }
  const wordloom::Outcome outcome = session.Run(inputs, frontEnd);
  if (outcome == wordloom::Outcome::kWritten && session.lastReport())
    std::cerr << terminal.FromUtf8(wordloom::msg::BatchReportText(*session.lastReport())) << std::flush;
  return ExitStatus(outcome, false);
}
