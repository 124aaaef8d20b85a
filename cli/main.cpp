// wordloom-cli: the generate command for scripts and batch work.
#include <CLI/CLI.hpp>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "crt_rand.h"
#include "file_access.h"
#include "generation_run.h"
#include "messages.h"
#include "terminal_text.h"
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

std::filesystem::path PathFromArgument(const std::string& utf8);

class CliFrontEnd : public wordloom::RunFrontEnd {
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
std::vector<std::string> Utf8Arguments() {
  std::vector<std::string> args;
  int argc = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!wide) return args;
  for (int i = 0; i < argc; ++i) {
    int n = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string arg(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, &arg[0], n, nullptr, nullptr);
    args.push_back(std::move(arg));
  }
  LocalFree(wide);
  return args;
}
#endif

std::filesystem::path PathFromArgument(const std::string& utf8) {
#ifdef _WIN32
  return std::filesystem::u8path(utf8);
#else
  return std::filesystem::path(utf8);
#endif
}

int ExitStatus(wordloom::RunOutcome outcome) {
  using wordloom::RunOutcome;
  switch (outcome) {
    case RunOutcome::kWritten: return kExitWritten;
    case RunOutcome::kInputRefused:
    case RunOutcome::kEncodingError: return kExitRefused;
    default: return kExitFile;
  }
}

const char kExitHelp[] =
    "Exit status: 0 title file written; 1 input refused (empty core word, length or count,\n"
    "nothing to draw, a character without a GBK form); 2 usage error; 3 file error\n"
    "(library unreadable, title file not written; an existing file is left as it was).";

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  wordloom::IgnoreFileSizeSignal();
#ifdef _WIN32
  // Title bytes for "-o -" go out unchanged, without CR added before LF.
  _setmode(_fileno(stdout), _O_BINARY);
  std::vector<std::string> utf8Args = Utf8Arguments();
  std::vector<char*> utf8Argv;
  for (std::string& a : utf8Args) utf8Argv.push_back(&a[0]);
  if (!utf8Argv.empty()) {
    argc = static_cast<int>(utf8Argv.size());
    utf8Argv.push_back(nullptr);
    argv = utf8Argv.data();
  }
#endif
  const wordloom::TerminalText terminal;

  CLI::App app{"Wordloom: writes a file of random product titles from a word library (GBK text)."};
  app.footer(kExitHelp);
  app.set_version_flag("--version", "wordloom-cli " WORDLOOM_VERSION);
  std::string library, core, length, count, output, separator = "none";
  uint32_t seed = 1;
  app.add_option("-l,--library", library, "word library: one entry per line, GBK, UTF-8 or UTF-16")->required();
  app.add_option("-c,--core", core, "core word every title begins with")->required();
  app.add_option("-n,--length", length, "length limit of one title in bytes (text, read like atoi)")->required();
  app.add_option("-N,--count", count, "number of titles (text, read like atoi)")->required();
  app.add_option("-s,--separator", separator, "comma, space or none (default none)")
      ->check(CLI::IsMember({"comma", "space", "none"}));
  app.add_option("-o,--output", output, "title file to write, - for standard output")->required();
  app.add_option("--seed", seed, "start the random sequence at another state (default 1)");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int status = app.exit(e);
    return status == 0 ? 0 : kExitUsage;
  }

  wordloom::CrtSeed(seed);
  wordloom::RunInputs inputs;
  inputs.countText = count;
  inputs.lengthText = length;
  inputs.separatorIndex = separator == "comma" ? 0 : separator == "space" ? 1 : 2;
  std::optional<std::string> coreGbk = terminal.ToGbk(core);
  if (!coreGbk) {
    std::cerr << terminal.FromUtf8(wordloom::msg::kCoreWordNotGbk) << '\n';
    return kExitRefused;
  }
  inputs.coreWord = *coreGbk;
  wordloom::g_strLibraryPath = PathFromArgument(library);

  CliFrontEnd frontEnd(terminal, output);
  return ExitStatus(wordloom::RunGeneration(inputs, frontEnd));
}
