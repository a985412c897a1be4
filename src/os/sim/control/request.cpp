#include "os/sim/control/request.h"

#include <string>
#include <utility>

namespace vyx::os::sim {

namespace {

// Counts brackets outside strings, so a value too deep to handle is refused
// before it is built.
bool nestedDeeperThan(std::string_view text, int limit) {
  int depth = 0;
  bool inString = false;
  bool escaped = false;
  for (const char c : text) {
    if (inString) {
      if (escaped) {
        escaped = false;
      } else if (c == '\\') {
        escaped = true;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > limit) return true;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return false;
}

}  // namespace

std::string envelopeError(const Json& request) {
  if (!request.is_object()) return "request without an op";
  const auto op = request.find("op");
  if (op == request.end() || !op->is_string()) return "request without an op";
  const auto v = request.find("v");
  if (v != request.end() &&
      (!v->is_number_integer() || v->get<int64_t>() != kControlProtocolVersion)) {
    return "unsupported protocol version";
  }
  return {};
}

Json refusal(std::string_view reason) {
  return Json{{"ok", false}, {"error", reason}};
}

ParsedRequest parseRequest(std::string_view line) {
  ParsedRequest out;
  if (nestedDeeperThan(line, kMaxRequestDepth)) {
    out.error = "request nested deeper than " + std::to_string(kMaxRequestDepth) + " levels";
    return out;
  }
  Json parsed = Json::parse(line.begin(), line.end(), nullptr, false);
  if (parsed.is_discarded()) {
    out.error = "not JSON";
    return out;
  }
  if (parsed.is_object()) {
    if (const auto id = parsed.find("id"); id != parsed.end()) out.id = *id;
  }
  out.error = envelopeError(parsed);
  if (out.error.empty()) out.request = std::move(parsed);
  return out;
}

std::optional<std::string> LineBuffer::next() {
  const size_t end = buffer_.find('\n', scanned_);
  if (end == std::string::npos) {
    scanned_ = buffer_.size();
    return std::nullopt;
  }
  std::string line = buffer_.substr(start_, end - start_);
  start_ = scanned_ = end + 1;
  // Dropping what was read only once it is half the buffer keeps the cost
  // of the moves proportional to the bytes.
  if (start_ * 2 >= buffer_.size()) {
    buffer_.erase(0, start_);
    scanned_ -= start_;
    start_ = 0;
  }
  return line;
}

}  // namespace vyx::os::sim
