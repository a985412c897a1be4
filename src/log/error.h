// Errors as values: a message, optionally wrapping a cause whose text it keeps.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace vyx {

class Error final {
 public:
  explicit Error(std::string message, int sysErrno = 0)
      : message_(std::move(message)), errno_(sysErrno) {}

  // "context: cause" — the cause stays reachable, and so does its errno.
  [[nodiscard]] static Error wrap(std::string_view context, Error cause) {
    Error e(std::string(context) + ": " + cause.message_, cause.errno_);
    e.cause_ = std::make_shared<const Error>(std::move(cause));
    return e;
  }
  // An error from a failed system call: "context: strerror(errnum)".
  [[nodiscard]] static Error fromErrno(std::string_view context, int errnum);

  [[nodiscard]] const std::string& message() const { return message_; }
  [[nodiscard]] const Error* cause() const { return cause_.get(); }
  // The errno of the innermost system failure, 0 when none.
  [[nodiscard]] int sysErrno() const { return errno_; }

 private:
  std::string message_;
  int errno_ = 0;
  std::shared_ptr<const Error> cause_;
};

// A value or an error.
template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : v_(std::move(value)) {}      // NOLINT(google-explicit-constructor)
  Result(Error error) : v_(std::move(error)) {}  // NOLINT(google-explicit-constructor)

  [[nodiscard]] bool ok() const { return v_.index() == 0; }
  explicit operator bool() const { return ok(); }
  [[nodiscard]] T& value() & { return std::get<0>(v_); }
  [[nodiscard]] const T& value() const& { return std::get<0>(v_); }
  [[nodiscard]] T&& value() && { return std::get<0>(std::move(v_)); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  [[nodiscard]] const Error& error() const { return std::get<1>(v_); }

 private:
  std::variant<T, Error> v_;
};

template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Error error) : e_(std::move(error)) {}  // NOLINT(google-explicit-constructor)

  [[nodiscard]] bool ok() const { return !e_.has_value(); }
  explicit operator bool() const { return ok(); }
  [[nodiscard]] const Error& error() const { return *e_; }

 private:
  std::optional<Error> e_;
};

using Status = Result<void>;

}  // namespace vyx
