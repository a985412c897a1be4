// A sorted set of strings stored front-coded: in blocks of kBlock strings,
// the first whole, each next one as the length it shares with the one before
// and the bytes that follow. Sorted word forms share long prefixes (the forms
// of one word stand together), so this takes a fraction of the strings' own
// size and of a tree's. A lookup is a binary search over the blocks' first
// strings and a walk through one block.
//
// A view over arrays built once and never written again, so any thread may
// read it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vyx {

class FrontCodedSet final {
 public:
  static constexpr size_t kBlock = 16;
  static constexpr size_t kMaxBytes = 255;  // longer strings are not kept

  struct Arrays {
    std::vector<uint32_t> blockStarts;  // offset of each block in bytes
    std::vector<uint8_t> bytes;
  };
  // sorted: ascending bytewise, no repeats.
  [[nodiscard]] static Arrays build(const std::vector<std::string>& sorted);

  FrontCodedSet() = default;
  FrontCodedSet(std::span<const uint32_t> blockStarts, std::span<const uint8_t> bytes)
      : blockStarts_(blockStarts), bytes_(bytes) {}

  [[nodiscard]] bool contains(std::string_view key) const;
  [[nodiscard]] size_t memoryBytes() const {
    return blockStarts_.size_bytes() + bytes_.size_bytes();
  }

 private:
  [[nodiscard]] std::string_view head(size_t block) const;

  std::span<const uint32_t> blockStarts_;
  std::span<const uint8_t> bytes_;
};

}  // namespace vyx
