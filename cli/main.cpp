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

constexpr int kExitWritten = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;
constexpr int kExitFile = 3;

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
  std::optional<std::filesystem::path> ChooseSavePath() override { return PathFromArgument(output_); }

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

int ExitStatus(wordloom::Outcome outcome) {
  using wordloom::Outcome;
  switch (outcome) {
    case Outcome::kWritten: return kExitWritten;
    case Outcome::kInputRefused:
    case Outcome::kEncodingError: return kExitRefused;
    default: return kExitFile;
  }
}

const char kExitHelp[] =
    "Exit status: 0 title file written; 1 input refused (empty core word, length or count,\n"
    "nothing to draw, library text that cannot be brought to GBK); 2 usage error; 3 file error\n"
    "(library unreadable, title file not written, memory ran out; an existing file is left as it was).";

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  wordloom::IgnoreFileSizeSignal();
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
  app.footer(kExitHelp);
  app.set_version_flag("--version", "wordloom-cli " WORDLOOM_VERSION);
  std::string library, core, length, count, output, separator = "none", encoding = "auto";
  uint32_t seed = 1;
  app.add_option("-l,--library", library, "word library: one entry per line, GBK, UTF-8 or UTF-16")->required();
  app.add_option("-c,--core", core, "core word every title begins with")->required();
  app.add_option("-n,--length", length, "length limit of one title in bytes (text, read like atoi)")->required();
  app.add_option("-N,--count", count, "number of titles (text, read like atoi)")->required();
  app.add_option("-s,--separator", separator, "comma, space or none (default none)")
      ->check(CLI::IsMember({"comma", "space", "none"}));
  app.add_option("-o,--output", output, "title file to write, - for standard output")->required();
  app.add_option("--encoding", encoding,
                 "the library's encoding: auto (default: a byte-order mark, else UTF-8 or GBK by the text), "
                 "gbk, utf-8 or utf-16")
      ->check(CLI::IsMember({"auto", "gbk", "utf-8", "utf-16"}));
  app.add_option("--seed", seed, "start the random sequence at another state (default 1)");
  try {
    app.parse(static_cast<int>(args.size()), argvUtf8.data());
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e);
    return status == 0 ? 0 : kExitUsage;
  }

  const std::optional<std::string> coreGbk = terminal.ToGbk(core);
  if (!coreGbk) {
    std::cerr << terminal.FromUtf8(wordloom::msg::kCoreWordNotGbk) << '\n';
    return kExitRefused;
  }
  using wordloom::LibraryEncoding;
  const LibraryEncoding libraryEncoding = encoding == "gbk"      ? LibraryEncoding::kGbk
                                          : encoding == "utf-8"  ? LibraryEncoding::kUtf8
                                          : encoding == "utf-16" ? LibraryEncoding::kUtf16
                                                                 : LibraryEncoding::kAuto;
  wordloom::Session session;
  session.ChooseLibrary(PathFromArgument(library), libraryEncoding);
  session.Seed(seed);
  wordloom::RunInputs inputs;
  inputs.countText = count;
  inputs.lengthText = length;
  inputs.coreWord = *coreGbk;
  inputs.separatorIndex = separator == "comma" ? 0 : separator == "space" ? 1 : 2;
  CliFrontEnd frontEnd(terminal, output);
  return ExitStatus(session.Run(inputs, frontEnd));
}
