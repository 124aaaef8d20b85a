#include "title_file.h"

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "crt_rand.h"
#include "file_access.h"

namespace wordloom {
namespace {

constexpr size_t kBufferSize = kTitleBufferSize;

// Buffers in use: the one filling, and the one being written (or written
// and not yet acknowledged to the caller).
constexpr int64_t kRing = 2;

// Writes queued buffers in order on a thread of its own, started with the
// first one; where no thread can be started, on the caller's.
class BackgroundWriter {
 public:
  explicit BackgroundWriter(OutputFile& file) : file_(file) {}
  BackgroundWriter(const BackgroundWriter&) = delete;
  BackgroundWriter& operator=(const BackgroundWriter&) = delete;
  ~BackgroundWriter() {
    if (!thread_.joinable()) return;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      quit_.store(true, std::memory_order_release);
    }
    wake_.notify_all();
    thread_.join();
  }

  // Queues the next buffer; its slot must stay untouched until finished()
  // has passed it.
  void Queue(const char* data, size_t size) {
    const int64_t j = queued_.load(std::memory_order_relaxed);
    items_[j % kRing] = {data, size};
    if (!thread_.joinable() && !inline_) {
      try {
        thread_ = std::thread([this] { Run(); });
      } catch (const std::system_error&) {
        inline_ = true;
      }
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      queued_.store(j + 1, std::memory_order_release);
    }
    if (inline_) {
      WriteItem(j);
    } else {
      wake_.notify_all();
    }
  }

  // How many buffers, counted from the first, are done with (written,
  // failed, or skipped after a failure or abandon).
  int64_t finished() const { return finished_.load(std::memory_order_acquire); }
  void AwaitFinished(int64_t count) {
    Await(done_, [&] { return finished() >= count; });
  }
  // The first buffer whose write failed, or -1; meaningful below finished().
  int64_t failedAt() const { return failedAt_.load(std::memory_order_acquire); }
  const std::string& reason() const { return reason_; }

  // Writes nothing more; returns once the buffer being written is done.
  void Abandon() {
    abandon_.store(true, std::memory_order_release);
    AwaitFinished(queued_.load(std::memory_order_relaxed));
  }

 private:
  template <class Ready>
  void Await(std::condition_variable& cv, Ready ready) {
    std::unique_lock<std::mutex> lock(mutex_);
    cv.wait(lock, ready);
  }

  void Run() {
    for (int64_t j = 0;; ++j) {
      Await(wake_, [&] { return queued_.load(std::memory_order_acquire) > j || quit_.load(std::memory_order_acquire); });
      if (queued_.load(std::memory_order_acquire) <= j) return;
      WriteItem(j);
    }
  }

  void WriteItem(int64_t j) {
    const Item item = items_[j % kRing];
    if (failedAt_.load(std::memory_order_relaxed) < 0 && !abandon_.load(std::memory_order_acquire)) {
      std::string reason;
      if (!file_.Write(item.data, item.size, reason)) {
        reason_ = std::move(reason);
        failedAt_.store(j, std::memory_order_release);
      }
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      finished_.store(j + 1, std::memory_order_release);
    }
    done_.notify_all();
  }

  struct Item {
    const char* data;
    size_t size;
  };

  OutputFile& file_;
  std::thread thread_;
  bool inline_ = false;  // no thread could be started
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  Item items_[kRing] = {};
  std::atomic<int64_t> queued_{0};
  std::atomic<int64_t> finished_{0};
  std::atomic<bool> quit_{false};
  std::atomic<bool> abandon_{false};
  std::atomic<int64_t> failedAt_{-1};  // with reason_, set before finished_ moves past it
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
  const uint32_t* ends32;  // null for a text past 4 GB: then through words
  const WordList* words;
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

inline void EntryAt(const Plan& plan, size_t k, size_t& begin, size_t& size) {
  if (plan.ends32) {
    begin = k == 0 ? 0 : size_t{plan.ends32[k - 1]} + 1;
    size = plan.ends32[k] - begin;
  } else {
    begin = plan.words->Begin(k);
    size = plan.words->End(k) - begin;
  }
}

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

// Appends entry k when it fits below the limit; false when it does not.
inline bool AppendEntry(const Plan& plan, size_t k, char*& p, int64_t& length) {
  size_t begin, size;
  EntryAt(plan, k, begin, size);
  if (static_cast<int64_t>(size) + length >= plan.maxLength) return false;
  if (size <= 16 && begin + 16 <= plan.textSize) {
    std::memcpy(p, plan.text + begin, 16);  // the bound leaves room for the overshoot
  } else {
    std::memcpy(p, plan.text + begin, size);
  }
  p += size;
  length += static_cast<int64_t>(size);
  return true;
}

// One draw straight from the generator.
template <bool kWide>
struct DrawnEntry {
  bool operator()(const Plan& plan, char*& p, uint32_t& state, int64_t& length) const {
    return AppendEntry(plan, DrawPosition<kWide>(plan, state), p, length);
  }
};

// Titles written straight into the buffer while each one surely fits:
// titles first .. last-1, or fewer when `limit` comes near. `addEntry`
// draws one entry and appends it, or returns false when it does not fit.
// Returns the next title's number.
template <class AddEntry>
int32_t FastTitles(const Plan& in, const AddEntry& addEntry, int32_t first, int32_t last, char*& out, const char* limit,
                   uint32_t& stateRef, TitleLabel& label) {
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
        if (!addEntry(plan, p, state, length)) break;
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
      : slots_(new char[(kRandMax + 1) * 16]), sizes_(new unsigned char[kRandMax + 1]) {
    for (uint32_t r = 0; r <= kRandMax; ++r) {
      char* const slot = slots_.get() + r * 16;
      std::memset(slot, 0, 16);
      const size_t k = Reduce(plan, r);
      if (k == plan.coreIndex) {
        sizes_[r] = kCore;
        continue;
      }
      size_t begin, size;
      EntryAt(plan, k, begin, size);
      if (size > 16) {
        sizes_[r] = kLong;
        continue;
      }
      if (begin + 16 <= plan.textSize) {
        std::memcpy(slot, plan.text + begin, 16);  // what follows the entry is never used
      } else {
        std::memcpy(slot, plan.text + begin, size);
      }
      sizes_[r] = static_cast<unsigned char>(size);
    }
  }
  const char* slots() const { return slots_.get(); }
  const unsigned char* sizes() const { return sizes_.get(); }

 private:
  std::unique_ptr<char[]> slots_;
  std::unique_ptr<unsigned char[]> sizes_;
};

// A draw through a DrawTable: the same entries and the same steps.
struct TableEntry {
  const DrawTable& table;
  bool operator()(const Plan& plan, char*& p, uint32_t& state, int64_t& length) const {
    uint32_t r;
    unsigned slot;
    do {
      r = Step(state);
      slot = table.sizes()[r];
    } while (slot == DrawTable::kCore);
    if (slot == DrawTable::kLong) return AppendEntry(plan, Reduce(plan, r), p, length);
    if (static_cast<int64_t>(slot) + length >= plan.maxLength) return false;
    std::memcpy(p, table.slots() + static_cast<size_t>(r) * 16, 16);  // the bound leaves room for the overshoot
    p += slot;
    length += slot;
    return true;
  }
};

// One write of a title file: titles fill a ring of buffers while a thread
// writes the ones before. Every effect the caller can see (each keepGoing
// call and its count, what the target holds, where the random sequence
// stands at the end) is what writing and asking after each full buffer, in
// turn, would give: keepGoing is asked, on this thread and in order, about
// each buffer once it is written; a stop puts the random sequence back to
// where that buffer filled up. The writer runs ahead of keepGoing only into
// a temporary file, which a stop removes; a pipe, device or standard output
// gets a buffer only after keepGoing has allowed the one before.
class TitleWriter {
 public:
  TitleWriter(OutputFile& file, const WriteRequest& request, const TitleRecipe& recipe)
      : file_(file), request_(request), recipe_(recipe), strict_(WritesDirectly(request.target)), writer_(file) {
    slots_[0].data.reset(new char[kBufferSize]);
    data_ = slots_[0].data.get();
  }

  WriteResult Run() {
    state_ = CrtState();
    plan_ = MakePlan();
    wide_ = recipe_.words.size() > kRandMax + 1;
    // Its set-up (0.5 MB, a quarter of a millisecond) pays from about ten
    // thousand titles on.
    if (!wide_ && plan_.grows && request_.titleCount >= 16384) table_.reset(new DrawTable(plan_));
    Append(kTitleFileHeader, sizeof kTitleFileHeader - 1);
    Append("\r\n", 2);
    const int32_t count = request_.titleCount;
    int32_t i = 0;
    while (i < count && !stopped_) {
      char* p = data_ + used_;
      const char* const limit = data_ + kBufferSize;
      i = table_  ? FastTitles(plan_, TableEntry{*table_}, i, count, p, limit, state_, label_)
          : wide_ ? FastTitles(plan_, DrawnEntry<true>(), i, count, p, limit, state_, label_)
                  : FastTitles(plan_, DrawnEntry<false>(), i, count, p, limit, state_, label_);
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
    plan.ends32 = words.ends32();
    plan.words = &words;
    plan.coreIndex = recipe_.coreIndex;
    plan.coreText = recipe_.coreText.data();
    plan.coreTextSize = recipe_.coreText.size();
    std::memset(plan.corePadded, 0, sizeof plan.corePadded);
    if (plan.coreTextSize <= sizeof plan.corePadded) std::memcpy(plan.corePadded, plan.coreText, plan.coreTextSize);
    plan.coreLength = recipe_.coreLength;
    plan.maxLength = recipe_.maxLength;
    plan.separator = recipe_.separator;
    plan.grows = recipe_.Draws();
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
        size_t begin, size;
        EntryAt(plan, k, begin, size);
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

  struct Slot {
    std::unique_ptr<char[]> data;
    size_t size = 0;
    int64_t done = 0;     // keepGoing's count once it is written
    uint32_t state = 0;   // the generator when it filled up
    bool inSeparator = false;
  };
  Slot& SlotOf(int64_t buffer) { return slots_[buffer % kRing]; }

  // The buffer is full and another byte is due.
  void HandOff() {
    Slot& full = SlotOf(handed_);
    full.size = used_;
    full.done = title_;  // titles finished before the one in progress
    full.state = state_;
    full.inSeparator = inSeparator_;
    ++handed_;
    Pump(false);
    // The next buffer's slot is free once the buffer kRing before it is settled.
    while (!stopped_ && acked_ <= handed_ - kRing) Pump(true);
    if (stopped_) return;
    Slot& next = SlotOf(handed_);
    if (!next.data) next.data.reset(new char[kBufferSize]);
    data_ = next.data.get();
    used_ = 0;
  }

  // Queues what may be written and asks keepGoing about every buffer written
  // since; with `wait`, first waits until the oldest unsettled buffer is done.
  void Pump(bool wait) {
    for (;;) {
      while (queued_ < handed_ && (!strict_ || queued_ <= acked_)) {
        writer_.Queue(SlotOf(queued_).data.get(), SlotOf(queued_).size);
        ++queued_;
      }
      if (acked_ == queued_) return;
      if (writer_.finished() <= acked_) {
        if (!wait) return;
        writer_.AwaitFinished(acked_ + 1);
      }
      wait = false;
      const int64_t j = acked_;
      if (writer_.failedAt() == j) {
        reason_ = writer_.reason();
        StopAt(j, Stop::kFailed);
        return;
      }
      if (request_.keepGoing && !request_.keepGoing(SlotOf(j).done)) {
        StopAt(j, Stop::kCancelled);
        return;
      }
      ++acked_;
    }
  }

  // A writer without a thread would have stopped when that buffer filled: the
  // random sequence goes back there, plus the one draw that follows a
  // separator whose byte filled it.
  void StopAt(int64_t buffer, Stop why) {
    stop_ = why;
    stopped_ = true;
    rolledBack_ = true;
    state_ = SlotOf(buffer).state;
    if (SlotOf(buffer).inSeparator) Draw();
    writer_.Abandon();
  }

  WriteResult Finish(int32_t count) {
    if (!stopped_) {
      // The last buffer, filled or not, settles like the others.
      Slot& last = SlotOf(handed_);
      last.size = used_;
      last.done = count > 0 ? count : 0;
      last.state = state_;
      last.inSeparator = false;
      ++handed_;
      if (handed_ == 1) {
        // All in one buffer: no thread for that.
        std::string reason;
        if (!file_.Write(data_, used_, reason)) {
          stop_ = Stop::kFailed;
          reason_ = reason;
        } else if (request_.keepGoing && !request_.keepGoing(last.done)) {
          stop_ = Stop::kCancelled;
        }
      } else {
        while (!stopped_ && acked_ < handed_) Pump(true);
      }
    }
    CrtSeed(state_);
    if (stop_ == Stop::kFailed) return {WriteResult::kFailed, reason_};
    if (stop_ == Stop::kCancelled) return {WriteResult::kCancelled, {}};
    std::string reason;
    if (!file_.Commit(reason)) return {WriteResult::kFailed, reason};
    return {};
  }

  // A pipe, device or standard output shows every byte it is given.
  static bool WritesDirectly(const std::filesystem::path& target) {
    if (target == "-") return true;
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(target, ec);
    return std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
  }

  OutputFile& file_;
  const WriteRequest& request_;
  const TitleRecipe& recipe_;
  Plan plan_{};
  bool wide_ = false;
  std::unique_ptr<DrawTable> table_;
  const bool strict_;
  Slot slots_[kRing];
  int64_t handed_ = 0;  // buffers full (the one filling has this number)
  int64_t queued_ = 0;  // buffers given to the writer
  int64_t acked_ = 0;   // buffers written and allowed on by keepGoing
  char* data_;
  size_t used_ = 0;
  TitleLabel label_;
  uint32_t state_ = 0;
  int32_t title_ = 0;  // the title SlowTitle is making
  bool inSeparator_ = false;
  bool stopped_ = false;
  bool rolledBack_ = false;
  Stop stop_ = Stop::kNone;
  std::string reason_;
  BackgroundWriter writer_;  // last: its thread ends before the buffers go
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
