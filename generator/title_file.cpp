#include "title_file.h"

#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "crt_rand.h"
#include "file_access.h"

namespace wordloom {
namespace {

constexpr size_t kBufferSize = kTitleBufferSize;

// Writes one buffer at a time on a thread of its own, so that the next
// buffer fills while the file takes the last one. Started on the first full
// buffer: a file that fits one buffer never starts it.
class BackgroundWriter {
 public:
  explicit BackgroundWriter(OutputFile& file) : file_(file) {}
  BackgroundWriter(const BackgroundWriter&) = delete;
  BackgroundWriter& operator=(const BackgroundWriter&) = delete;
  ~BackgroundWriter() {
    if (!thread_.joinable()) return;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      quit_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }

  void Start(const char* data, size_t size) {
    if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
    {
      std::lock_guard<std::mutex> lock(mutex_);
      data_ = data;
      size_ = size;
      busy_ = true;
    }
    wake_.notify_all();
  }

  // Waits for the buffer last started; false, with the reason, if it failed.
  bool Finish(std::string& reason) {
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [this] { return !busy_; });
    if (!ok_) reason = reason_;
    return ok_;
  }

 private:
  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return busy_ || quit_; });
      if (!busy_) return;
      lock.unlock();
      std::string reason;
      const bool ok = file_.Write(data_, size_, reason);
      lock.lock();
      ok_ = ok;
      if (!ok) reason_ = std::move(reason);
      busy_ = false;
      done_.notify_all();
    }
  }

  OutputFile& file_;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  const char* data_ = nullptr;
  size_t size_ = 0;
  bool busy_ = false;
  bool quit_ = false;
  bool ok_ = true;
  std::string reason_;
};

// "标题<i>:" for consecutive i, counted up in place instead of formatted.
class TitleLabel {
 public:
  TitleLabel() {
    std::memcpy(text_, kTitleLabel, 4);
    text_[4] = '0';
    text_[5] = ':';
  }
  static constexpr size_t kCopy = sizeof(char[24]);  // bytes a fixed copy may write
  const char* data() const { return text_; }
  size_t size() const { return 5 + digits_; }
  void Increment() {
    size_t d = 4 + digits_;
    while (d > 4 && text_[d - 1] == '9') text_[--d] = '0';
    if (d > 4) {
      ++text_[d - 1];
      return;
    }
    text_[4] = '1';  // 9..9 became 10..0
    ++digits_;
    text_[4 + digits_ - 1] = '0';
    text_[4 + digits_] = ':';
  }

 private:
  char text_[kCopy] = {};
  size_t digits_ = 1;
};

// Everything the title loop reads, copied into one place so the hot loop
// can keep it in registers: stores into the output bytes could otherwise
// alias any of it.
struct Plan {
  const char* text;       // the entries' buffer
  size_t textSize;
  const size_t* ends;
  size_t coreIndex;
  const char* coreText;
  size_t coreTextSize;
  char corePadded[32];    // coreText again when it fits, for fixed-size copies
  int64_t coreLength;
  int64_t maxLength;
  char separator;
  bool grows;             // the draw loop runs at all
  uint32_t multiplier;    // PositionDraw::Reduce's constants
  unsigned shift;
  uint32_t count;
  size_t bound;           // bytes one title may need in the fast path, slack included
};

inline size_t Reduce(const Plan& plan, uint32_t r) {
  const uint32_t q = static_cast<uint32_t>((static_cast<uint64_t>(r) * plan.multiplier) >> plan.shift);
  return r - q * plan.count;
}

inline uint32_t Step(uint32_t& state) {
  state = state * 214013u + 2531011u;
  return state >> 16 & kRandMax;
}

template <bool kWide>
inline size_t DrawPosition(const Plan& plan, uint32_t& state) {
  size_t k;
  do {
    uint32_t r = Step(state);
    if (kWide) r = r << 15 | Step(state);
    k = Reduce(plan, r);
  } while (k == plan.coreIndex);
  return k;
}

// Titles written straight into the buffer while each one surely fits:
// titles first .. last-1, or fewer when `limit` comes near. Returns the next
// title's number.
template <bool kWide>
int32_t FastTitles(const Plan& in, int32_t first, int32_t last, char*& out, const char* limit, uint32_t& stateRef,
                   TitleLabel& label) {
  const Plan plan = in;
  uint32_t state = stateRef;
  char* p = out;
  int32_t i = first;
  for (; i < last && static_cast<size_t>(limit - p) >= plan.bound; ++i) {
    std::memcpy(p, label.data(), TitleLabel::kCopy);
    p += label.size();
    label.Increment();
    if (plan.coreTextSize <= sizeof plan.corePadded) {
      std::memcpy(p, plan.corePadded, sizeof plan.corePadded);  // a fixed copy instead of a call
    } else {
      std::memcpy(p, plan.coreText, plan.coreTextSize);
    }
    p += plan.coreTextSize;
    if (plan.grows) {
      int64_t length = plan.coreLength;
      for (;;) {
        if (plan.separator) {
          *p++ = plan.separator;
          ++length;
        }
        const size_t k = DrawPosition<kWide>(plan, state);
        const size_t begin = k == 0 ? 0 : plan.ends[k - 1] + 1;
        const size_t size = plan.ends[k] - begin;
        if (static_cast<int64_t>(size) + length >= plan.maxLength) break;
        if (size <= 16 && begin + 16 <= plan.textSize) {
          std::memcpy(p, plan.text + begin, 16);  // the bound leaves room for the overshoot
        } else {
          std::memcpy(p, plan.text + begin, size);
        }
        p += size;
        length += static_cast<int64_t>(size);
      }
    }
    p[0] = '\r';
    p[1] = '\n';
    p += 2;
  }
  out = p;
  stateRef = state;
  return i;
}

// Up to 32768 entries a draw is one generator value r, and r alone decides
// the entry: a table indexed by r holds each entry's bytes (up to 16) and
// length, so that a draw is one step, one look-up and one fixed-size copy.
class DrawTable {
 public:
  static constexpr unsigned kCore = 0xFE;  // r lands on the core: draw again
  static constexpr unsigned kLong = 0xFF;  // longer than a slot: look it up

  explicit DrawTable(const Plan& plan)
      : slots_(new char[(kRandMax + 1) * 16]()), sizes_(new unsigned char[kRandMax + 1]) {
    for (uint32_t r = 0; r <= kRandMax; ++r) {
      const size_t k = Reduce(plan, r);
      if (k == plan.coreIndex) {
        sizes_[r] = kCore;
        continue;
      }
      const size_t begin = k == 0 ? 0 : plan.ends[k - 1] + 1;
      const size_t size = plan.ends[k] - begin;
      if (size > 16) {
        sizes_[r] = kLong;
        continue;
      }
      std::memcpy(slots_.get() + r * 16, plan.text + begin, size);
      sizes_[r] = static_cast<unsigned char>(size);
    }
  }
  const char* slots() const { return slots_.get(); }
  const unsigned char* sizes() const { return sizes_.get(); }

 private:
  std::unique_ptr<char[]> slots_;
  std::unique_ptr<unsigned char[]> sizes_;
};

// FastTitles with a DrawTable: the same titles and the same steps.
int32_t FastTitlesFromTable(const Plan& in, const DrawTable& table, int32_t first, int32_t last, char*& out,
                            const char* limit, uint32_t& stateRef, TitleLabel& label) {
  const Plan plan = in;
  const char* const slots = table.slots();
  const unsigned char* const sizes = table.sizes();
  uint32_t state = stateRef;
  char* p = out;
  int32_t i = first;
  for (; i < last && static_cast<size_t>(limit - p) >= plan.bound; ++i) {
    std::memcpy(p, label.data(), TitleLabel::kCopy);
    p += label.size();
    label.Increment();
    if (plan.coreTextSize <= sizeof plan.corePadded) {
      std::memcpy(p, plan.corePadded, sizeof plan.corePadded);
    } else {
      std::memcpy(p, plan.coreText, plan.coreTextSize);
    }
    p += plan.coreTextSize;
    if (plan.grows) {
      int64_t length = plan.coreLength;
      for (;;) {
        if (plan.separator) {
          *p++ = plan.separator;
          ++length;
        }
        uint32_t r;
        unsigned slot;
        do {
          r = Step(state);
          slot = sizes[r];
        } while (slot == DrawTable::kCore);
        if (slot != DrawTable::kLong) {
          if (static_cast<int64_t>(slot) + length >= plan.maxLength) break;
          std::memcpy(p, slots + static_cast<size_t>(r) * 16, 16);  // the bound leaves room for the overshoot
          p += slot;
          length += slot;
        } else {
          const size_t k = Reduce(plan, r);
          const size_t begin = k == 0 ? 0 : plan.ends[k - 1] + 1;
          const size_t size = plan.ends[k] - begin;
          if (static_cast<int64_t>(size) + length >= plan.maxLength) break;
          std::memcpy(p, plan.text + begin, size);
          p += size;
          length += static_cast<int64_t>(size);
        }
      }
    }
    p[0] = '\r';
    p[1] = '\n';
    p += 2;
  }
  out = p;
  stateRef = state;
  return i;
}

// One write of a title file: titles go into one of two buffers while the
// other is being written. Every effect the caller can see (the buffers
// written, each keepGoing call and its count, where the random sequence
// stands at the end) is what writing and asking after each full buffer, in
// turn, would give: a buffer goes to the file only once the previous one is
// written and keepGoing has allowed going on, and a stop puts the random
// sequence back to where that buffer filled up.
class TitleWriter {
 public:
  TitleWriter(OutputFile& file, const WriteRequest& request, const TitleRecipe& recipe)
      : file_(file), request_(request), recipe_(recipe), writer_(file) {
    buffers_[0].reset(new char[kBufferSize]);
    data_ = buffers_[0].get();
  }

  WriteResult Run() {
    state_ = CrtState();
    plan_ = MakePlan();
    wide_ = recipe_.words.size() > kRandMax + 1;
    // Worth its 0.5 MB and its set-up only for more than a few titles.
    if (!wide_ && plan_.grows && request_.titleCount >= 2048) table_.reset(new DrawTable(plan_));
    Append(kTitleFileHeader, sizeof kTitleFileHeader - 1);
    Append("\r\n", 2);
    const int32_t count = request_.titleCount;
    int32_t i = 0;
    while (i < count && !stopped_) {
      char* p = data_ + used_;
      const char* const limit = data_ + kBufferSize;
      i = table_  ? FastTitlesFromTable(plan_, *table_, i, count, p, limit, state_, label_)
          : wide_ ? FastTitles<true>(plan_, i, count, p, limit, state_, label_)
                  : FastTitles<false>(plan_, i, count, p, limit, state_, label_);
      used_ = static_cast<size_t>(p - data_);
      if (i < count) {
        SlowTitle(i);
        ++i;
      }
    }
    return Finish(count);
  }

 private:
  enum class Stop { kNone, kCancelled, kFailed };

  Plan MakePlan() const {
    const WordList& words = recipe_.words;
    const PositionDraw draw(words.size());
    Plan plan;
    plan.text = words.text();
    plan.textSize = words.textSize();
    plan.ends = words.ends();
    plan.coreIndex = recipe_.coreIndex;
    plan.coreText = recipe_.coreText.data();
    plan.coreTextSize = recipe_.coreText.size();
    std::memset(plan.corePadded, 0, sizeof plan.corePadded);
    if (plan.coreTextSize <= sizeof plan.corePadded) std::memcpy(plan.corePadded, plan.coreText, plan.coreTextSize);
    plan.coreLength = recipe_.coreLength;
    plan.maxLength = recipe_.maxLength;
    plan.separator = recipe_.separator;
    plan.grows = recipe_.canGrow || recipe_.coreLength >= recipe_.maxLength;
    plan.multiplier = draw.multiplier();
    plan.shift = draw.shift();
    plan.count = draw.divisor();
    // Label, core, at most maxLength (or one separator past a long core),
    // CR LF, and room for fixed-size copies running past the end.
    plan.bound = TitleLabel::kCopy + sizeof plan.corePadded + plan.coreTextSize + static_cast<size_t>(plan.maxLength) + 1 + 2 + 16;
    return plan;
  }

  size_t Draw() { return wide_ ? DrawPosition<true>(plan_, state_) : DrawPosition<false>(plan_, state_); }

  // A title whose bytes may reach past the buffer: every piece is checked.
  // Once the write has stopped, no further entry is drawn: a title on its
  // way to 2 GB must not be finished first.
  void SlowTitle(int32_t i) {
    const Plan& plan = plan_;
    title_ = i;
    Append(label_.data(), label_.size());
    label_.Increment();
    Append(plan.coreText, plan.coreTextSize);
    if (plan.grows) {
      int64_t length = plan.coreLength;
      for (;;) {
        if (stopped_) return;
        if (plan.separator) {
          inSeparator_ = true;
          Append(&plan.separator, 1);
          inSeparator_ = false;
          ++length;
          if (rolledBack_) return;
        }
        const size_t k = Draw();
        const size_t begin = k == 0 ? 0 : plan.ends[k - 1] + 1;
        const size_t size = plan.ends[k] - begin;
        if (static_cast<int64_t>(size) + length >= plan.maxLength) break;
        Append(plan.text + begin, size);
        length += static_cast<int64_t>(size);
      }
    }
    Append("\r\n", 2);
  }

  // Fills the buffer the way a single-threaded writer would: a piece that
  // fits goes in whole (even filling the buffer to the brim), a piece that
  // does not is split and the buffer handed off as soon as it is full.
  void Append(const char* p, size_t n) {
    if (n <= kBufferSize - used_) {
      std::memcpy(data_ + used_, p, n);
      used_ += n;
      return;
    }
    while (n > 0 && !stopped_) {
      const size_t take = n < kBufferSize - used_ ? n : kBufferSize - used_;
      std::memcpy(data_ + used_, p, take);
      used_ += take;
      p += take;
      n -= take;
      if (used_ == kBufferSize) HandOff();
    }
  }

  void HandOff() {
    if (!SettlePrevious()) return;
    writer_.Start(data_, used_);
    pending_ = true;
    pendingDone_ = title_;  // titles finished before the one in progress
    pendingState_ = state_;
    pendingInSeparator_ = inSeparator_;
    current_ ^= 1;
    if (!buffers_[current_]) buffers_[current_].reset(new char[kBufferSize]);
    data_ = buffers_[current_].get();
    used_ = 0;
  }

  // Waits for the buffer at the writer and asks whether to go on, as a
  // writer without a thread would have right after writing it.
  bool SettlePrevious() {
    if (!pending_) return true;
    pending_ = false;
    if (!writer_.Finish(reason_)) {
      StopWherePendingFilled(Stop::kFailed);
      return false;
    }
    if (request_.keepGoing && !request_.keepGoing(pendingDone_)) {
      StopWherePendingFilled(Stop::kCancelled);
      return false;
    }
    return true;
  }

  // A writer without a thread would have stopped when that buffer filled: the
  // random sequence goes back there, plus the one draw that follows a
  // separator whose byte filled it.
  void StopWherePendingFilled(Stop why) {
    stop_ = why;
    stopped_ = true;
    rolledBack_ = true;
    state_ = pendingState_;
    if (pendingInSeparator_) Draw();
  }

  WriteResult Finish(int32_t count) {
    if (!stopped_ && SettlePrevious()) {
      std::string reason;
      if (!file_.Write(data_, used_, reason)) {
        stop_ = Stop::kFailed;
        reason_ = reason;
      } else if (request_.keepGoing && !request_.keepGoing(count > 0 ? count : 0)) {
        stop_ = Stop::kCancelled;
      }
    }
    CrtSeed(state_);
    if (stop_ == Stop::kFailed) return {WriteResult::kFailed, reason_};
    if (stop_ == Stop::kCancelled) return {WriteResult::kCancelled, {}};
    std::string reason;
    if (!file_.Commit(reason)) return {WriteResult::kFailed, reason};
    return {};
  }

  OutputFile& file_;
  const WriteRequest& request_;
  const TitleRecipe& recipe_;
  BackgroundWriter writer_;
  Plan plan_{};
  bool wide_ = false;
  std::unique_ptr<DrawTable> table_;
  std::unique_ptr<char[]> buffers_[2];
  int current_ = 0;
  char* data_;
  size_t used_ = 0;
  TitleLabel label_;
  uint32_t state_ = 0;
  int32_t title_ = 0;  // the title SlowTitle is making
  bool inSeparator_ = false;
  bool pending_ = false;  // a buffer is at the writer, not yet settled
  int64_t pendingDone_ = 0;
  uint32_t pendingState_ = 0;
  bool pendingInSeparator_ = false;
  bool stopped_ = false;
  bool rolledBack_ = false;
  Stop stop_ = Stop::kNone;
  std::string reason_;
};

}  // namespace

WriteResult WriteTitleFile(const WriteRequest& request, const TitleRecipe& recipe) {
  OutputFile file;
  std::string reason;
  const bool opened = request.target == "-" ? file.OpenStandardOutput(reason) : file.Open(request.target, reason);
  if (!opened) return {WriteResult::kFailed, reason};
  return TitleWriter(file, request, recipe).Run();
}

}  // namespace wordloom
