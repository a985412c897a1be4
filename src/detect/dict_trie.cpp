#include "detect/dict_trie.h"

#include <algorithm>

namespace vyx {

DictTrie::Node DictTrie::walk(Node n, std::string_view s) const {
  for (const char b : s) {
    n = child(n, b);
    if (n == kNoNode) break;
  }
  return n;
}

uint64_t DictTrie::headOf(std::string_view s) {
  uint64_t head = 0;
  for (size_t i = 0; i < sizeof head; ++i) {
    head = head << 8 | (i < s.size() ? static_cast<uint8_t>(s[i]) : 0);
  }
  return head;
}

void DictTrie::build(std::vector<Key>& keys) {
  // Sorted bytewise, a key comes right before the keys it is a prefix of, and
  // the keys below any node form one run. Zero padding makes "ab" and "ab\0"
  // share a head, and the bytes tell them apart.
  std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
    return a.head != b.head ? a.head < b.head : a.bytes < b.bytes;
  });
  firstChild_.clear();
  labels_.assign(1, 0);  // the root
  flags_.assign(1, 0);
  // Level by level: the keys below each node of one level, in node order.
  struct Range {
    size_t lo, hi;
  };
  std::vector<Range> level{{0, keys.size()}};
  std::vector<Range> next;
  Node node = kRoot;
  for (size_t depth = 0; !level.empty(); ++depth) {
    next.clear();
    for (auto [lo, hi] : level) {
      for (; lo < hi && keys[lo].bytes.size() == depth; ++lo) {
        flags_[node] |= keys[lo].flags;  // a word that is also a stem
      }
      firstChild_.push_back(static_cast<Node>(labels_.size()));
      for (size_t i = lo; i < hi;) {
        const char b = keys[i].bytes[depth];
        size_t j = i + 1;
        while (j < hi && keys[j].bytes[depth] == b) ++j;
        labels_.push_back(static_cast<uint8_t>(b));
        flags_.push_back(0);
        next.push_back({i, j});
        i = j;
      }
      ++node;
    }
    level.swap(next);
  }
  firstChild_.push_back(static_cast<Node>(labels_.size()));
  firstChild_.shrink_to_fit();
  labels_.shrink_to_fit();
  flags_.shrink_to_fit();
}

}  // namespace vyx
