#pragma once
#include <cstdint>

#include "fingerprint_set.h"

namespace wordloom {

// --unique: no two titles of a run alike. A title made before is made
// again, up to kTries times in a row; then the run gives up.
class UniqueTitles {
 public:
  static constexpr int kTries = 1000;

  explicit UniqueTitles(int64_t titles) : seen_(static_cast<uint64_t>(titles > 0 ? titles : 0)) {}

  // Starts fetching what Keep will look at for this title.
  void Prefetch(uint64_t fingerprint) const { seen_.Prefetch(fingerprint); }
  // True for a title not made before; false for one to make again.
  bool Keep(uint64_t fingerprint) {
    if (seen_.Insert(fingerprint)) {
      tries_ = 0;
      return true;
    }
    ++tries_;
    return false;
  }
  bool GaveUp() const { return tries_ >= kTries; }

 private:
  FingerprintSet seen_;
  int tries_ = 0;  // made again, in a row, for the title now due
};

}  // namespace wordloom
