#include "store/fold.h"

#include <unicode/uchar.h>

#include "text/utf8.h"

namespace vyx {

bool equalFold(std::string_view a, std::string_view b) {
  const std::u32string ua = decodeUtf8(a);
  const std::u32string ub = decodeUtf8(b);
  if (ua.size() != ub.size()) return false;
  for (size_t i = 0; i < ua.size(); ++i) {
    if (ua[i] == ub[i]) continue;
    if (u_foldCase(static_cast<UChar32>(ua[i]), U_FOLD_CASE_DEFAULT) !=
        u_foldCase(static_cast<UChar32>(ub[i]), U_FOLD_CASE_DEFAULT)) {
      return false;
    }
  }
  return true;
}

}  // namespace vyx
