// A byte-wise prefix tree over a word list and its stems, so that a lookup
// can tell after a few bytes that no list word or stem starts the way a
// candidate does, instead of hashing every candidate whole.
//
// Built once and read-only afterwards, so any thread may read it.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace vyx {

class DictTrie final {
 public:
  using Node = uint32_t;
  static constexpr Node kNoNode = UINT32_MAX;
  static constexpr Node kRoot = 0;

  DictTrie() = default;
  // words and stems: any iterable ranges of strings.
  template <class Words, class Stems>
  DictTrie(const Words& words, const Stems& stems) {
    std::vector<Key> keys;
    keys.reserve(words.size() + stems.size());
    for (const auto& w : words) keys.push_back({headOf(w), w, kWordFlag});
    for (const auto& s : stems) keys.push_back({headOf(s), s, kStemFlag});
    build(keys);
  }

  [[nodiscard]] bool empty() const { return labels_.empty(); }
  // The node reached from n by one more byte; kNoNode when no key continues so.
  [[nodiscard]] Node child(Node n, char byte) const {
    const auto b = static_cast<uint8_t>(byte);
    for (Node c = firstChild_[n], end = firstChild_[n + 1]; c != end; ++c) {
      if (labels_[c] >= b) return labels_[c] == b ? c : kNoNode;
    }
    return kNoNode;
  }
  // The node reached from n by every byte of s; kNoNode when the path ends.
  [[nodiscard]] Node walk(Node n, std::string_view s) const;
  // Whether the bytes leading to n spell a whole word / a whole stem.
  [[nodiscard]] bool isWord(Node n) const { return (flags_[n] & kWordFlag) != 0; }
  [[nodiscard]] bool isStem(Node n) const { return (flags_[n] & kStemFlag) != 0; }
  [[nodiscard]] size_t nodeCount() const { return labels_.size(); }
  [[nodiscard]] size_t memoryBytes() const {
    return firstChild_.capacity() * sizeof(Node) + labels_.capacity() + flags_.capacity();
  }

 private:
  static constexpr uint8_t kWordFlag = 1;
  static constexpr uint8_t kStemFlag = 2;
  struct Key {
    uint64_t head;  // the first 8 bytes, big-endian: most comparisons stop here
    std::string_view bytes;
    uint8_t flags;
  };
  static uint64_t headOf(std::string_view s);
  void build(std::vector<Key>& keys);

  // Nodes are numbered breadth first, so the children of node n are the
  // nodes firstChild_[n] to firstChild_[n + 1] - 1, in label order.
  std::vector<Node> firstChild_;  // one more entry than there are nodes
  std::vector<uint8_t> labels_;   // the byte leading to each node
  std::vector<uint8_t> flags_;
};

}  // namespace vyx
