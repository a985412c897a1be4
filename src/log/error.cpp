#include "log/error.h"

#include <cstring>

namespace vyx {

Error Error::fromErrno(std::string_view context, int errnum) {
  std::string text = context.empty() ? std::string() : std::string(context) + ": ";
  text += std::strerror(
      errnum);  // NOLINT(concurrency-mt-unsafe): glibc's is thread-safe for known errnos
  return Error(std::move(text), errnum);
}

}  // namespace vyx
