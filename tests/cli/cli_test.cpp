// wordloom-cli as a separate process: its options, exit statuses, standard
// output and terminal encodings, and what signals and limits leave behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "test_support.h"
#include "wordloom/messages.h"

namespace wordloom {
namespace {

namespace fs = std::filesystem;
using test::Gbk;
using test::ReadFile;
using test::WriteFile;

struct Options {
  std::string locale = "C.UTF-8", locpath;  // locpath: where a generated locale lives
  rlim_t fileSizeLimit = 0;                 // as a full disk would
  rlim_t memoryLimit = 0;                   // address space, as a small machine's
};

// A running wordloom-cli; Wait() collects its status (128 + signal when killed).
class Cli {
 public:
  explicit Cli(const std::vector<std::string>& args, const Options& o = {}) {
    if ((pid_ = ::fork()) != 0) return;
    const int out = ::open((io_ / "out").c_str(), O_WRONLY | O_CREAT, 0666);
    const int err = ::open((io_ / "err").c_str(), O_WRONLY | O_CREAT, 0666);
    const struct rlimit limit = {o.fileSizeLimit, o.fileSizeLimit}, memory = {o.memoryLimit, o.memoryLimit};
    if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 || (o.fileSizeLimit && ::setrlimit(RLIMIT_FSIZE, &limit)))
      ::_exit(125);
#ifdef __SANITIZE_ADDRESS__
    // AddressSanitizer reserves more address space than any such limit; its
    // allocator is held to it instead.
    if (o.memoryLimit) {
      const char* asan = std::getenv("ASAN_OPTIONS");
      ::setenv("ASAN_OPTIONS", ((asan ? std::string(asan) + ":" : "") + "allocator_may_return_null=1:max_allocation_size_mb=" +
                                std::to_string(o.memoryLimit >> 20)).c_str(), 1);
    }
#else
    if (o.memoryLimit && ::setrlimit(RLIMIT_AS, &memory)) ::_exit(125);
#endif
    std::vector<char*> argv{const_cast<char*>(WORDLOOM_CLI)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::setenv("LC_ALL", o.locale.c_str(), 1);
    if (!o.locpath.empty()) ::setenv("LOCPATH", o.locpath.c_str(), 1);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) ::signal(sig, SIG_DFL);
    ::alarm(120);  // a hang fails the test instead of blocking the suite
    ::execv(WORDLOOM_CLI, argv.data());
    ::_exit(127);
  }
  ~Cli() { if (pid_ > 0 && ::kill(pid_, SIGKILL) == 0) ::waitpid(pid_, nullptr, 0); }
  void Signal(int sig) const { ::kill(pid_, sig); }
  int Wait() {
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) continue;
    pid_ = -1;
    out = ReadFile(io_ / "out"), err = ReadFile(io_ / "err");
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  std::string out, err;

 private:
  test::TempDir io_;
  pid_t pid_ = -1;
};

class CliTest : public testing::Test {
 protected:
  void SetUp() override { WriteFile(lib_, "core\r\naaa\r\nbbb\r\nccc\r\n"); }
  std::vector<std::string> Args(const std::string& count, const std::string& output, const std::string& core = "core",
                                const std::string& length = "10", const std::string& separator = "comma") {
    return {"-l", lib_, "-c", core, "-n", length, "-N", count, "-s", separator, "-o", output};
  }
  test::TempDir dir_;
  const std::string lib_ = (dir_ / "words.txt").string(), out_ = (dir_ / "titles.txt").string();
};

// The core word and messages come in the terminal's encoding: zh_CN.GBK,
// generated for the test, stands for a Chinese terminal of old.
const Options& GbkTerminal() {
  static test::TempDir locales;
  static const Options gbk{"zh_CN.GBK", locales.path().string()};
  static const int made = std::system(("localedef -i zh_CN -f GBK " + (locales / "zh_CN.GBK").string() + " 2>/dev/null").c_str());
  EXPECT_EQ(made, 0) << "localedef (package locales) is needed";
  return gbk;
}

TEST_F(CliTest, OptionsExitStatusesAndEncodings) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string inErr, out = "", library = "core\r\naaa\r\nbbb\r\nccc\r\n";
    bool gbkTerminal = false;
    bool outPart = false;  // out is only a part of standard output
  };
  const std::string l = lib_, o = out_, utf8Lib = "连衣裙\n红色\n蓝色\n白色\n", small = "core\naaa\nbbb\n";
  // 41%4=1 fits at 11 bytes with both spaces; 18467%4=3 would pass 12.
  const std::string dress = test::TitleFile({Gbk("连衣裙 红色 ")});
  const std::string grouped = Gbk("[品牌]\n阿\n");
  const auto formula = [&](const std::string& text) {
    auto a = Args("1", "-", "core", "20");
    a.insert(a.end(), {"--formula", text});
    return a;
  };
  const Case cases[] = {
      {Args("2", "-"), 0, "", test::TitleFile({"core,aaa,", "core,bbb,"})},
      {{"--library", l, "--core", "core", "--length", "10", "--count", "1", "--seed", "0", "--output", "-"}, 0, "",
       test::TitleFile({"corebbb"})},  // no separator unless asked for
      {{"-l", l, "--core=", "-n", "10", "-N", "1", "-o", o}, 1, msg::kCoreWordRequired},
      {Args("1", o, "核心😀"), 1, msg::kCoreWordNotGbk},
      {{"-l", l, "-c", "core", "-n", "10", "-N", "1", "--encoding", "utf-16", "-o", o}, 1, "第 1 行"},
      {{"-l", (dir_ / "none.txt").string(), "-c", "core", "-n", "10", "-N", "1", "-o", o}, 3, "none.txt”：文件或文件夹不存在"},
      {Args("1", dir_.path().string()), 3, "”：这是一个文件夹。原有文件未被改动。"},
      {{"-l", l, "-c", "core", "-n", "10", "-o", o}, 2, "--count"},
      {Args("1", o, "core", "10", "tab"), 2, "tab"},
      {{"-l", l, "-c", "core", "-n", "10", "-N", "1", "--encoding", "big5", "-o", o}, 2, "big5"},
      {Args("1", "-", "连衣裙", "12", "space"), 0, "", dress, utf8Lib},  // as a UTF-8 terminal types it
      {Args("1", "-", Gbk("连衣裙"), "12", "space"), 0, "", dress, utf8Lib, true},
      {Args("1", "-", Gbk("连衣裙"), "0", "space"), 1, Gbk(msg::kLengthRequired) + "\n", "", utf8Lib, true},
      // GBK libraries whose bytes are valid UTF-8 too: 猫 / 茅 / 路 spell è / é / ·, 女装 ... Ů װ.
      {Args("3", "-", "猫", "12"), 0, "", test::TitleFile({Gbk("猫,路,路,茅,"), Gbk("猫,路,茅,茅,"), Gbk("猫,路,路,茅,")}),
       Gbk("猫\r\n茅\r\n路\r\n")},
      {Args("2", "-", "女装", "14", "space"), 0, "", test::TitleFile({Gbk("女装 皮鞋 "), Gbk("女装 童装 ")}), Gbk("女装\r\n童装\r\n皮鞋\r\n")},
      // A chosen encoding is taken as it is: gbk keeps a UTF-8 mark as bytes of the first
      // entry, utf-8 reads C3 A8 as è (A8A8 in GBK), where the guess would take 猫.
      {{"-l", l, "-c", Gbk("甲"), "-n", "6", "-N", "1", "--encoding", "gbk", "-o", "-"}, 0, "",
       test::TitleFile({Gbk("甲") + "\xEF\xBB\xBF"}), "\xEF\xBB\xBF\r\n" + Gbk("甲"), true},
      {{"-l", l, "-c", "core", "-n", "8", "-N", "1", "--encoding", "utf-8", "-o", "-"}, 0, "",
       test::TitleFile({"core\xA8\xA8"}), "core\r\n\xC3\xA8\r\n"},
      {{"-l", l, "--check"}, 0, "", "未发现问题。\n", small, false, true},
      {{"-l", l, "--check", "-c", "core", "-n", "9", "-s", "comma"}, 1, "", "  第 3 行“bbbb”，4 字节\n",
       "core\naaa\nbbbb\n", false, true},
      {{"-l", (dir_ / "none.txt").string(), "--check"}, 3, "none.txt”：文件或文件夹不存在"},
      {{"-l", l, "--check", "--count", "1"}, 2, "--count"},
      {{"-l", l, "--check", "--no-repeat"}, 2, "--check"},
      {{"-l", l, "--check", "--banned-list", (dir_ / "none.txt").string()}, 4, "无法读取违禁词表"},
      {{"-l", l, "--check", "--banned-list", l}, 5, "不是文本文件", "", std::string("a\n\0\n", 4)},
      {{"-l", l, "--check", "--banned-list", lib_ + ".empty"}, 6, "中没有词"},
      // The report goes to standard error; the titles are those of a run without it.
      {[&] { auto a = Args("2", "-"); a.push_back("--report"); return a; }(), 0, "有重复词条的标题：0 条",
       test::TitleFile({"core,aaa,", "core,bbb,"})},
      {[&] { auto a = Args("3", "-", "core", "10"); a.push_back("--unique"); return a; }(), 1, "不超过 2 ", "", small},
      {[&] { auto a = Args("2", "-"); a.insert(a.end(), {"--unique", "--report"}); return a; }(), 0,
       "与前面的标题相同的标题：0 条", test::TitleFile({"core,aaa,", "core,bbb,"})},
      // A formula's group names come in the terminal's encoding, as the core word does.
      {formula("品牌+@"), 0, "", test::TitleFile({Gbk("阿,core,")}), grouped},
      {formula(Gbk("品牌+@")), 0, "", test::TitleFile({Gbk("阿,core,")}), grouped, true},
      {formula("品牌++@"), 7, "第 2 段", "", grouped},
      {formula("品牌:0"), 8, "数量", "", grouped},
      {formula("@+品牌+@"), 9, "中心词", "", grouped},
      {formula("品牌"), 10, "没有分组", "", small},
      {formula("颜色"), 11, "“颜色”", "", grouped},
      {formula("品牌😀"), 7, "GBK", "", grouped},
      {{"-l", l, "--check", "--formula", "颜色"}, 1, "", "  第 1 段“颜色”：词库中没有这个分组\n", grouped, false, true},
      {[&] { auto a = Args("1", o); a.insert(a.end(), {"--format", "xls"}); return a; }(), 2, "--format"},
      {[&] { auto a = Args("1", o); a.insert(a.end(), {"--csv-encoding", "big5"}); return a; }(), 2, "--csv-encoding"},
  };
  WriteFile(lib_ + ".empty", "# nothing but a note\n");
  for (const Case& c : cases) {
    WriteFile(lib_, c.library);
    Cli cli(c.args, c.gbkTerminal ? GbkTerminal() : Options());
    EXPECT_EQ(cli.Wait(), c.status) << cli.err;
    EXPECT_NE(cli.err.find(c.inErr), std::string::npos) << cli.err;
    if (c.outPart) {
      EXPECT_NE(cli.out.find(c.out), std::string::npos) << cli.out;
    } else {
      EXPECT_EQ(cli.out, c.out);
    }
  }
  EXPECT_FALSE(fs::exists(out_));
}

// What other programs read of each format is the title file's titles
// without the separator after their last piece, in the same order; with
// the rules too. LibreOffice reads the workbook once.
TEST_F(CliTest, FormatsReadBackByOtherProgramsHoldTheTitleFilesTitles) {
  WriteFile(lib_, Gbk("连衣裙\n长袖\n\"宽松\"款\n显瘦\n修身,百搭\n夏季\n"));
  const auto run = [&](const std::string& separator, const std::vector<std::string>& more, const fs::path& to) {
    std::vector<std::string> a = Args("20", to.string(), Gbk("连衣裙"), "24", separator);
    a.insert(a.end(), more.begin(), more.end());
    Cli cli(a, GbkTerminal());
    EXPECT_EQ(cli.Wait(), 0) << cli.err;
  };
  const auto readBack = [&](const std::string& kind, const fs::path& file) {
    const std::string command = std::string(WORDLOOM_PYTHON) + " " WORDLOOM_READ_BACK " " + kind + " '" + file.string() + "' > '" +
                                (dir_ / "read.txt").string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << kind;
    return ReadFile(dir_ / "read.txt");
  };
  for (const std::string separator : {"comma", "none"}) {
    for (const std::vector<std::string>& rules : {std::vector<std::string>{}, {"--no-repeat", "--unique", "--report"}}) {
      SCOPED_TRACE(separator + (rules.empty() ? "" : " with rules"));
      run(separator, rules, out_);
      std::istringstream txt(ReadFile(out_));
      std::string line, list, titles;
      std::getline(txt, line);
      for (int i = 0; std::getline(txt, line); ++i) {
        const size_t from = Gbk("标题").size() + std::to_string(i).size() + 1, cut = separator == "none" ? 1 : 2;
        list += line.substr(from, line.size() - from - cut) + "\r\n";
      }
      titles = *test::Iconv("UTF-8", "GBK", list);
      titles.erase(std::remove(titles.begin(), titles.end(), '\r'), titles.end());
      const auto as = [&](const std::vector<std::string>& format, const std::string& name) {
        std::vector<std::string> more = rules;
        more.insert(more.end(), format.begin(), format.end());
        run(separator, more, dir_ / name);
        return dir_ / name;
      };
      EXPECT_EQ(ReadFile(as({"--format", "list"}, "titles.list")), list);
      EXPECT_EQ(readBack("csv-gbk", as({"--format", "csv"}, "titles.csv")), titles);
      EXPECT_EQ(readBack("csv-utf-8", as({"--format", "csv", "--csv-encoding", "utf-8"}, "titles.csv")), titles);
      EXPECT_EQ(ReadFile(dir_ / "titles.csv").substr(0, 3), "\xEF\xBB\xBF");
      EXPECT_EQ(readBack("xlsx", as({"--format", "xlsx"}, "titles.xlsx")), titles);
    }
  }
  const std::string convert = "cd '" + dir_.path().string() + "' && HOME=\"$PWD\" timeout 120 " WORDLOOM_SOFFICE
                              " --headless --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76' titles.xlsx >/dev/null 2>&1";
  ASSERT_EQ(std::system(convert.c_str()), 0);
  EXPECT_EQ(readBack("csv-utf-8", dir_ / "titles.csv"), readBack("xlsx", dir_ / "titles.xlsx"));
}

TEST_F(CliTest, LibraryTooLargeForMemoryIsRefusedWithAMessage) {
  // A sparse 1 GB library: the buffer it needs is more than the run may have.
  const int fd = ::open(lib_.c_str(), O_WRONLY | O_TRUNC);
  ASSERT_TRUE(fd >= 0 && ::ftruncate(fd, off_t{1} << 30) == 0);
  ::close(fd);
  for (bool check : {false, true}) {
    Options small;
    small.memoryLimit = rlim_t{200} << 20;
    Cli cli(check ? std::vector<std::string>{"-l", lib_, "--check"} : Args("1", out_), small);
    EXPECT_EQ(cli.Wait(), 3) << cli.err;
    // Its last line (AddressSanitizer says first what it could not allocate).
    const std::string message = std::string(msg::kOutOfMemory) + "\n";
    EXPECT_EQ(cli.err.substr(cli.err.size() - std::min(cli.err.size(), message.size())), message) << cli.err;
  }
  EXPECT_FALSE(fs::exists(out_));
}

TEST_F(CliTest, FailedWritesAndSignalsLeaveTheOldFileAlone) {
  const std::string old = "yesterday's only copy";
  WriteFile(out_, old);
  Cli full(Args("100000", out_), {"C.UTF-8", "", 64 << 10});
  EXPECT_EQ(full.Wait(), 3);
  EXPECT_NE(full.err.find("文件超过了允许的大小"), std::string::npos) << full.err;
  const auto temps = [&] {  // beside the title file: .titles.txt.wordloom-XXXXXX
    std::vector<fs::path> found;
    for (const auto& e : fs::directory_iterator(dir_.path()))
      if (e.path().filename().string().rfind(".titles.txt.wordloom-", 0) == 0) found.push_back(e.path());
    return found;
  };
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGKILL}) {
    SCOPED_TRACE(strsignal(sig));
    Cli run(Args("2147483647", out_));
    // Signalled in the middle of writing: once the temporary file holds 8 MB.
    bool writing = false;
    for (int tries = 0; tries < 12000 && !writing; ++tries, ::usleep(10000)) {
      std::error_code ec;
      for (const fs::path& p : temps()) writing = writing || (fs::file_size(p, ec) >= (8 << 20) && !ec);
    }
    EXPECT_TRUE(writing);
    run.Signal(sig);
    EXPECT_EQ(run.Wait(), 128 + sig);
    EXPECT_EQ(temps().size(), sig == SIGKILL ? 1u : 0u) << "only SIGKILL cannot be caught";
    for (const fs::path& p : temps()) fs::remove(p);
    EXPECT_EQ(ReadFile(out_), old);
  }
  EXPECT_EQ(dir_.List(), (std::vector<std::string>{"titles.txt", "words.txt"}));
}

}  // namespace
}  // namespace wordloom
