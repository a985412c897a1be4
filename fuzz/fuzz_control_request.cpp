// Any bytes on the control socket, as a server reads them: cutting them into
// lines gives the lines a plain split gives, wherever the bytes were cut in
// transit; parsing a line never throws, accepts only a sound envelope, and
// every reply, echoed id included, goes back as exactly one line.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "os/sim/control/request.h"

namespace {

using vyx::os::sim::Json;

void checkReply(const vyx::os::sim::ParsedRequest& parsed) {
  if (parsed.error.empty() != vyx::os::sim::envelopeError(parsed.request).empty()) {
    __builtin_trap();
  }
  Json reply = vyx::os::sim::refusal(parsed.error);
  reply["v"] = vyx::os::sim::kControlProtocolVersion;
  if (!parsed.id.is_null()) reply["id"] = parsed.id;
  // As encodeLine writes it.
  const std::string line = reply.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
  if (line.find('\n') != line.size() - 1) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> expected;
  for (size_t start = 0, end = 0; (end = bytes.find('\n', start)) != std::string_view::npos;
       start = end + 1) {
    expected.emplace_back(bytes.substr(start, end - start));
  }
  // Fed in pieces of a size the input's first byte picks.
  const size_t piece = size == 0 ? 1 : 1 + data[0] % 7;
  vyx::os::sim::LineBuffer buffer;
  std::vector<std::string> lines;
  for (size_t at = 0; at < size; at += piece) {
    buffer.append(bytes.data() + at, std::min(piece, size - at));
    while (std::optional<std::string> line = buffer.next()) lines.push_back(std::move(*line));
  }
  if (lines != expected) __builtin_trap();
  for (const std::string& line : lines) checkReply(vyx::os::sim::parseRequest(line));
  return 0;
}
