// The compiled form of a word list: everything Dict answers from, in one flat
// block of bytes that needs no work to load. The build compiles each embedded
// list into such a block (dictgen), so start-up only checks its header; lists
// given as text (tests) are compiled the same way in memory.
//
// Layout: a header, then 8-byte aligned sections, all in the byte order of
// the machine that built it (the build machine is the target):
//   trie of words and stems   firstChild u32[n + 1], labels u8[n], flags u8[n]
//   word ranks                 wordBits u64[b], wordsBefore u32[b], ranks u32[words]
//                              (b = n / 64 rounded up; a word node's rank is
//                              ranks[number of word nodes before it])
//   word forms                 blockStarts u32[k], bytes u8[...] (front_coded.h)
// Read-only once made, so any thread may read it.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "detect/dict_trie.h"
#include "detect/front_coded.h"
#include "log/error.h"

namespace vyx {

// What a compiled list is made of, before it is laid out.
struct DictImageParts {
  std::string lang;             // "ru", "en", or any code of up to 4 bytes
  bool indexed = false;         // lookups may rule out candidates through the trie
  DictTrie::Arrays trie;        // every word (kWordFlag) and stem (kStemFlag)
  std::vector<uint32_t> ranks;  // the rank of each word node, in node order
  FrontCodedSet::Arrays forms;  // word forms beyond the list
  uint32_t wordCount = 0;       // words in trie
  uint32_t stemCount = 0;       // stems in trie
  uint32_t formCount = 0;       // forms in forms
  // No longer word (in code points) is accepted through any rule; 0 when
  // the list's rules give no such bound.
  uint32_t longestAccepted = 0;
};

[[nodiscard]] std::vector<uint8_t> layOutDictImage(const DictImageParts& parts);

class DictImage final {
 public:
  DictImage() = default;
  // A view of bytes that outlive it (the embedded lists).
  [[nodiscard]] static Result<DictImage> view(std::span<const uint8_t> bytes);
  // Takes the bytes over; copies of the image share them.
  [[nodiscard]] static Result<DictImage> own(std::vector<uint8_t> bytes);

  [[nodiscard]] const std::string& lang() const { return lang_; }
  [[nodiscard]] bool indexed() const { return indexed_; }
  [[nodiscard]] const DictTrie& trie() const { return trie_; }
  [[nodiscard]] const FrontCodedSet& forms() const { return forms_; }
  [[nodiscard]] size_t wordCount() const { return wordCount_; }
  [[nodiscard]] size_t stemCount() const { return stemCount_; }
  [[nodiscard]] size_t formCount() const { return formCount_; }
  [[nodiscard]] size_t longestAccepted() const { return longestAccepted_; }
  [[nodiscard]] size_t sizeBytes() const { return bytes_.size(); }
  [[nodiscard]] std::span<const uint8_t> bytes() const { return bytes_; }
  // The rank of the word that ends at node n (a node with kWordFlag).
  [[nodiscard]] int64_t rankAt(DictTrie::Node n) const {
    const size_t block = n / 64;
    const uint64_t below = wordBits_[block] & ((uint64_t{1} << (n % 64)) - 1);
    return ranks_[wordsBefore_[block] + static_cast<size_t>(__builtin_popcountll(below))];
  }

 private:
  std::shared_ptr<const std::vector<uint8_t>> owned_;
  std::span<const uint8_t> bytes_;
  std::string lang_;
  bool indexed_ = false;
  DictTrie trie_;
  FrontCodedSet forms_;
  std::span<const uint64_t> wordBits_;
  std::span<const uint32_t> wordsBefore_;
  std::span<const uint32_t> ranks_;
  size_t wordCount_ = 0;
  size_t stemCount_ = 0;
  size_t formCount_ = 0;
  size_t longestAccepted_ = 0;
};

}  // namespace vyx
