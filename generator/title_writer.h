#pragma once
#include <cstdint>

#include "replace_file.h"
#include "crt_random.h"
#include "title_recipe.h"
#include "wordloom/session.h"

namespace wordloom {

enum class WriteEnd { kWritten, kCancelled, kFailed };

// Writes the title file's bytes: the header, then titles 0 .. count-1 (none
// for a negative count), each "标题<i>:" and a title, every line ending in
// CR LF, through a ChunkWriter's buffer. Before each buffer goes out
// the front end is asked whether to keep writing. `random` moves on by every
// value drawn; `failure` tells why a write failed.
WriteEnd WriteTitles(const TitleRecipe& recipe, CrtRandom& random, int32_t count, ReplaceFile& file,
                     FrontEnd& frontEnd, Status& failure);

}  // namespace wordloom
