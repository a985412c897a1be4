// Any bytes as custom_dict.txt: every entry must be a trimmed, non-empty,
// lower-case single line that is not a comment.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "store/custom_dict.h"
#include "text/unicode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const std::string& word : vyx::parseCustomDict(text)) {
    if (word.empty() || word.front() == '#' || word.find('\n') != std::string::npos ||
        vyx::trimSpace(word) != word || vyx::toLower(word) != word) {
      __builtin_trap();
    }
  }
  return 0;
}
