#include "detect/front_coded.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace vyx {

namespace {

size_t sharedPrefix(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  size_t i = 0;
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

}  // namespace

FrontCodedSet::Arrays FrontCodedSet::build(const std::vector<std::string>& sorted) {
  Arrays a;
  std::string_view prev;
  size_t inBlock = 0;
  for (const std::string& s : sorted) {
    if (s.size() > kMaxBytes) continue;
    if (inBlock == kBlock || a.blockStarts.empty()) {
      a.blockStarts.push_back(static_cast<uint32_t>(a.bytes.size()));
      a.bytes.push_back(static_cast<uint8_t>(s.size()));
      a.bytes.insert(a.bytes.end(), s.begin(), s.end());
      inBlock = 1;
    } else {
      const size_t shared = sharedPrefix(prev, s);
      a.bytes.push_back(static_cast<uint8_t>(shared));
      a.bytes.push_back(static_cast<uint8_t>(s.size() - shared));
      a.bytes.insert(a.bytes.end(), s.begin() + static_cast<std::ptrdiff_t>(shared), s.end());
      ++inBlock;
    }
    prev = s;
  }
  return a;
}

std::string_view FrontCodedSet::head(size_t block) const {
  const uint8_t* p = bytes_.data() + blockStarts_[block];
  return {reinterpret_cast<const char*>(p + 1), p[0]};
}

bool FrontCodedSet::contains(std::string_view key) const {
  if (blockStarts_.empty() || key.size() > kMaxBytes) return false;
  // The last block whose first string is not above the key.
  size_t lo = 0;
  size_t hi = blockStarts_.size();
  while (hi - lo > 1) {
    const size_t mid = lo + (hi - lo) / 2;
    (head(mid) <= key ? lo : hi) = mid;
  }
  std::array<char, kMaxBytes> cur{};
  std::string_view first = head(lo);
  if (first >= key) return first == key;
  std::memcpy(cur.data(), first.data(), first.size());
  const auto* p = reinterpret_cast<const uint8_t*>(first.data() + first.size());
  const uint8_t* end = lo + 1 < blockStarts_.size() ? bytes_.data() + blockStarts_[lo + 1]
                                                    : bytes_.data() + bytes_.size();
  while (p < end) {
    const size_t shared = p[0];
    const size_t rest = p[1];
    if (shared + rest > kMaxBytes) return false;  // not something build wrote
    std::memcpy(cur.data() + shared, p + 2, rest);
    p += 2 + rest;
    const std::string_view s(cur.data(), shared + rest);
    if (s >= key) return s == key;
  }
  return false;
}

}  // namespace vyx
