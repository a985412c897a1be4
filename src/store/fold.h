// Case-insensitive equality under Unicode simple case folding, as used for
// forgetting exceptions and for matching the exceptions file's member names.
#pragma once

#include <string_view>

namespace vyx {

[[nodiscard]] bool equalFold(std::string_view a, std::string_view b);

}  // namespace vyx
