#include "platform/panic.h"

#include <cxxabi.h>
#include <execinfo.h>

#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <typeinfo>

#include "log/logger.h"

namespace vyx {

namespace {

std::string failureText() {
  try {
    throw;
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    const std::type_info* type = abi::__cxa_current_exception_type();
    if (type == nullptr) return "unknown exception";
    int status = 0;
    const std::unique_ptr<char, decltype(&std::free)> name(
        abi::__cxa_demangle(type->name(), nullptr, nullptr, &status), &std::free);
    return std::string("exception of type ") + (status == 0 ? name.get() : type->name());
  }
}

std::string stackTrace() {
  void* frames[64];
  const int n = ::backtrace(frames, 64);
  const std::unique_ptr<char*, decltype(&std::free)> symbols(::backtrace_symbols(frames, n),
                                                             &std::free);
  std::string out;
  for (int i = 0; i < n; ++i) {
    if (i > 0) out += '\n';
    out += symbols ? symbols.get()[i] : "?";
  }
  return out;
}

}  // namespace

void logPanic(const char* place, bool withStack) noexcept {
  try {
    if (withStack) {
      logf("PANIC in %s: %v\n%s", place, failureText(), stackTrace());
    } else {
      logf("PANIC in %s: %v", place, failureText());
    }
  } catch (...) {  // NOLINT(bugprone-empty-catch): nothing is left to report with
  }
}

}  // namespace vyx
