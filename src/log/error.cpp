#include "log/error.h"

#include <cstring>

namespace vyx {

Error Error::fromErrno(std::string_view context, int errnum) {
  std::string text = context.empty() ? std::string() : std::string(context) + ": ";
  char buf[128];
  text += ::strerror_r(errnum, buf, sizeof buf);  // the GNU form: returns the text
  return Error(std::move(text), errnum);
}

}  // namespace vyx
