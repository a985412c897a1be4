// A byte-wise prefix tree over a word list and its stems. It answers both
// whether a string is a word or a stem and, after a few bytes, that no word or
// stem starts the way a candidate does, so lookups skip candidates whole.
//
// The tree is a view over three flat arrays, built once (at build time for the
// embedded lists) and never written again, so any thread may read it.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vyx {

class DictTrie final {
 public:
  using Node = uint32_t;
  static constexpr Node kNoNode = UINT32_MAX;
  static constexpr Node kRoot = 0;
  static constexpr uint8_t kWordFlag = 1;
  static constexpr uint8_t kStemFlag = 2;

  // The arrays behind a tree. Nodes are numbered breadth first, so the
  // children of node n are the nodes firstChild[n] to firstChild[n + 1] - 1,
  // in label order.
  struct Arrays {
    std::vector<Node> firstChild;  // one more entry than there are nodes
    std::vector<uint8_t> labels;   // the byte leading to each node
    std::vector<uint8_t> flags;    // kWordFlag, kStemFlag
  };
  struct Key {
    std::string_view bytes;
    uint8_t flags;
  };
  // The tree holding every key, its flags or-ed where keys repeat.
  [[nodiscard]] static Arrays build(std::vector<Key> keys);

  DictTrie() = default;
  // The spans must outlive the tree; firstChild has labels.size() + 1 entries.
  DictTrie(std::span<const Node> firstChild, std::span<const uint8_t> labels,
           std::span<const uint8_t> flags)
      : firstChild_(firstChild), labels_(labels), flags_(flags) {}

  [[nodiscard]] bool empty() const { return labels_.empty(); }
  // The node reached from n by one more byte; kNoNode when no key continues so.
  [[nodiscard]] Node child(Node n, char byte) const {
    // Labels are in ascending order; most nodes have a handful of children.
    const auto b = static_cast<uint8_t>(byte);
    const uint8_t* labels = labels_.data();
    for (Node c = firstChild_[n], end = firstChild_[n + 1]; c != end; ++c) {
      if (labels[c] >= b) return labels[c] == b ? c : kNoNode;
    }
    return kNoNode;
  }
  // The node reached from n by every byte of s; kNoNode when the path ends.
  [[nodiscard]] Node walk(Node n, std::string_view s) const;
  // Whether the bytes leading to n spell a whole word / a whole stem.
  [[nodiscard]] bool isWord(Node n) const { return (flags_[n] & kWordFlag) != 0; }
  [[nodiscard]] bool isStem(Node n) const { return (flags_[n] & kStemFlag) != 0; }
  // Whether s, from the root, is a key with any of the given flags.
  [[nodiscard]] bool holds(std::string_view s, uint8_t flag) const {
    if (empty()) return false;
    const Node n = walk(kRoot, s);
    return n != kNoNode && (flags_[n] & flag) != 0;
  }
  [[nodiscard]] size_t nodeCount() const { return labels_.size(); }
  [[nodiscard]] size_t memoryBytes() const {
    return firstChild_.size_bytes() + labels_.size_bytes() + flags_.size_bytes();
  }
  // Calls f(key, node) for every node with one of the flags, in node order.
  template <class F>
  void forEachKey(uint8_t flag, F&& f) const;

 private:
  std::span<const Node> firstChild_;
  std::span<const uint8_t> labels_;
  std::span<const uint8_t> flags_;
};

template <class F>
void DictTrie::forEachKey(uint8_t flag, F&& f) const {
  if (empty()) return;
  // Breadth first, keeping each node's key: nodes arrive in number order.
  std::vector<std::string> keys(1);
  std::vector<std::string> next;
  Node node = kRoot;
  while (!keys.empty()) {
    next.clear();
    for (std::string& key : keys) {
      if ((flags_[node] & flag) != 0) f(std::string_view(key), node);
      for (Node c = firstChild_[node]; c != firstChild_[node + 1]; ++c) {
        next.push_back(key + static_cast<char>(labels_[c]));
      }
      ++node;
    }
    keys.swap(next);
  }
}

}  // namespace vyx
