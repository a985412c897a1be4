// The control protocol's requests as a server reads them off the socket:
// cut into lines, bounded in length and depth, and their envelope ("op",
// "v", "id") checked before anything acts on them. Nothing here throws.
#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace vyx::os::sim {

inline constexpr int kControlProtocolVersion = 1;

using Json = nlohmann::json;

// The longest request line a server reads; a longer one costs the
// connection.
inline constexpr size_t kMaxRequestLine = size_t{1} << 20;
// The deepest nesting of arrays and objects a request may have: copying or
// writing a value recurses as deep as it is nested.
inline constexpr int kMaxRequestDepth = 64;

// One request line, checked before anything acts on it.
struct ParsedRequest {
  Json request;       // the request, when error is empty
  Json id;            // to echo in the reply; null when there is none
  std::string error;  // why the request is refused; empty when it is sound
};
// Never throws: too deep, not JSON or a bad envelope is an error.
[[nodiscard]] ParsedRequest parseRequest(std::string_view line);
// What is wrong with a request's "op" and "v", or empty.
[[nodiscard]] std::string envelopeError(const Json& request);
// A reply that refuses, with its reason.
[[nodiscard]] Json refusal(std::string_view reason);

// Cuts a byte stream into lines, looking at each byte once however the
// bytes arrive.
class LineBuffer final {
 public:
  void append(const char* data, size_t size) { buffer_.append(data, size); }
  // The next whole line without its line feed, or nullopt until one came.
  [[nodiscard]] std::optional<std::string> next();
  // The bytes of the line not yet ended.
  [[nodiscard]] size_t partial() const { return buffer_.size() - start_; }

 private:
  std::string buffer_;
  size_t start_ = 0;    // where the next line begins
  size_t scanned_ = 0;  // bytes before this hold no line feed after start_
};

}  // namespace vyx::os::sim
