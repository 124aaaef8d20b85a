#pragma once
#include "env.h"
#include "wordloom/session.h"

namespace wordloom {

// A session on other files than the platform's: the tests' files in memory.
Session SessionOn(Env& env);

}  // namespace wordloom
