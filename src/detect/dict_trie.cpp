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

DictTrie::Arrays DictTrie::build(std::vector<Key> keys) {
  // Sorted bytewise, a key comes right before the keys it is a prefix of, and
  // the keys below any node form one run.
  std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) { return a.bytes < b.bytes; });
  Arrays a;
  a.labels.assign(1, 0);  // the root
  a.flags.assign(1, 0);
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
        a.flags[node] |= keys[lo].flags;  // a word that is also a stem
      }
      a.firstChild.push_back(static_cast<Node>(a.labels.size()));
      for (size_t i = lo; i < hi;) {
        const char b = keys[i].bytes[depth];
        size_t j = i + 1;
        while (j < hi && keys[j].bytes[depth] == b) ++j;
        a.labels.push_back(static_cast<uint8_t>(b));
        a.flags.push_back(0);
        next.push_back({i, j});
        i = j;
      }
      ++node;
    }
    level.swap(next);
  }
  a.firstChild.push_back(static_cast<Node>(a.labels.size()));
  return a;
}

}  // namespace vyx
