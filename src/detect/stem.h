// Snowball stemming for the two word-list languages.
//
// A Snowball stemmer object is not reentrant, so every thread gets its own
// pair, created on first use and freed when the thread ends.
#pragma once

#include <string_view>

namespace vyx {

// The stem of word for "en" or "ru"; "" for any other code. The view points
// into the calling thread's stemmer and stays valid only until that thread
// stems again: callers that keep it copy it (stemWord does).
[[nodiscard]] std::string_view stemWordView(std::string_view word, std::string_view code);

}  // namespace vyx
