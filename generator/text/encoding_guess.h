#pragma once
#include <string_view>

namespace wordloom {

// For library text without a byte-order mark: true when it reads better as
// UTF-8 than as GBK. False for ASCII-only text, for text that is not valid
// UTF-8, and when neither reading is the better one. Only a bounded part of a
// long text is judged; the caller still finds out whether the rest is UTF-8.
bool LooksLikeUtf8(std::string_view text);

}  // namespace wordloom
