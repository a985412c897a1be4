#include "os/sim/control/protocol.h"

#include <stdexcept>
#include <string>

namespace vyx::os::sim {

std::string encodeLine(const Json& message) {
  return message.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::chrono::milliseconds requestDuration(const Json& j) {
  if (!j.is_number_integer()) throw std::invalid_argument("a duration is whole milliseconds");
  constexpr auto kMax = static_cast<uint64_t>(kMaxRequestDuration.count());
  const bool inRange = j.is_number_unsigned() ? j.get<uint64_t>() <= kMax
                                              : j.get<int64_t>() >= 0 && j.get<uint64_t>() <= kMax;
  if (!inRange) {
    throw std::out_of_range("a duration runs from 0 to " + std::to_string(kMax) + " ms");
  }
  return std::chrono::milliseconds(j.get<int64_t>());
}

std::string hexEncode(const Bytes& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (const uint8_t b : bytes) {
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 0xF]);
  }
  return out;
}

Bytes hexDecode(const std::string& text) {
  auto nibble = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  Bytes out;
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    const int hi = nibble(text[i]);
    const int lo = nibble(text[i + 1]);
    if (hi < 0 || lo < 0) break;
    out.push_back(static_cast<uint8_t>(hi << 4 | lo));
  }
  return out;
}

void to_json(Json& j, const TypeOptions& v) {
  j = Json{{"keyDelayMs", v.keyDelay.count()}, {"jitterMs", v.jitter.count()}, {"seed", v.seed}};
}

void from_json(const Json& j, TypeOptions& v) {
  v = TypeOptions{};
  if (const auto it = j.find("keyDelayMs"); it != j.end()) v.keyDelay = requestDuration(*it);
  if (const auto it = j.find("jitterMs"); it != j.end()) v.jitter = requestDuration(*it);
  v.seed = j.value("seed", v.seed);
}

void to_json(Json& j, const PasteboardItemContent& v) {
  j = Json::array();
  for (const auto& [type, data] : v.types) {
    j.push_back(Json{{"type", type}, {"data", data ? Json(hexEncode(*data)) : Json(nullptr)}});
  }
}

void from_json(const Json& j, PasteboardItemContent& v) {
  v.types.clear();
  for (const auto& t : j) {
    std::optional<Bytes> data;
    if (t.contains("data") && !t.at("data").is_null()) {
      data = hexDecode(t.at("data").get<std::string>());
    }
    v.types.emplace_back(t.at("type").get<std::string>(), std::move(data));
  }
}

}  // namespace vyx::os::sim
