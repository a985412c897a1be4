#include "detect/dict_image.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vyx {

namespace {

constexpr char kMagic[4] = {'V', 'Y', 'X', 'D'};
constexpr uint32_t kVersion = 2;
constexpr uint32_t kIndexedFlag = 1;
constexpr size_t kAlign = 8;

struct Header {
  char magic[4];
  uint32_t version;
  char lang[4];
  uint32_t flags;
  uint32_t nodes;  // of the trie of words and stems
  uint32_t formBlocks;
  uint32_t wordCount;
  uint32_t stemCount;
  uint32_t formCount;
  uint32_t formBytes;
  uint32_t longestAccepted;
  uint32_t reserved;
  uint64_t totalBytes;
};
static_assert(sizeof(Header) % kAlign == 0);

size_t aligned(size_t n) {
  return (n + kAlign - 1) / kAlign * kAlign;
}
size_t blocksOf(size_t nodes) {
  return (nodes + 63) / 64;
}

// Section sizes in bytes, in layout order, for a header's counts.
struct Sections {
  size_t sizes[8];
};
Sections sectionsOf(const Header& h) {
  const size_t blocks = blocksOf(h.nodes);
  return {{
      (size_t{h.nodes} + 1) * sizeof(uint32_t),
      h.nodes,
      h.nodes,
      blocks * sizeof(uint64_t),
      blocks * sizeof(uint32_t),
      size_t{h.wordCount} * sizeof(uint32_t),
      size_t{h.formBlocks} * sizeof(uint32_t),
      h.formBytes,
  }};
}

size_t totalOf(const Sections& s) {
  size_t total = sizeof(Header);
  for (const size_t n : s.sizes) total += aligned(n);
  return total;
}

template <class T>
void put(std::vector<uint8_t>& out, const std::vector<T>& v) {
  const size_t at = out.size();
  out.resize(at + aligned(v.size() * sizeof(T)), 0);
  if (!v.empty()) std::memcpy(out.data() + at, v.data(), v.size() * sizeof(T));
}

template <class T>
std::span<const T> take(const uint8_t*& at, size_t bytes) {
  const auto* p = reinterpret_cast<const T*>(at);
  at += aligned(bytes);
  return {p, bytes / sizeof(T)};
}

Error badImage(const char* why) {
  return Error(std::string("word list image: ") + why, EINVAL);
}

}  // namespace

std::vector<uint8_t> layOutDictImage(const DictImageParts& p) {
  Header h{};
  std::memcpy(h.magic, kMagic, sizeof kMagic);
  h.version = kVersion;
  std::memcpy(h.lang, p.lang.data(), std::min(p.lang.size(), sizeof h.lang));
  h.flags = p.indexed ? kIndexedFlag : 0;
  h.nodes = static_cast<uint32_t>(p.trie.labels.size());
  h.formBlocks = static_cast<uint32_t>(p.forms.blockStarts.size());
  h.formBytes = static_cast<uint32_t>(p.forms.bytes.size());
  h.wordCount = p.wordCount;
  h.stemCount = p.stemCount;
  h.formCount = p.formCount;
  h.longestAccepted = p.longestAccepted;
  h.totalBytes = totalOf(sectionsOf(h));

  std::vector<uint64_t> wordBits(blocksOf(h.nodes), 0);
  std::vector<uint32_t> wordsBefore(wordBits.size(), 0);
  uint32_t words = 0;
  for (size_t n = 0; n < h.nodes; ++n) {
    if (n % 64 == 0) wordsBefore[n / 64] = words;
    if ((p.trie.flags[n] & DictTrie::kWordFlag) != 0) {
      wordBits[n / 64] |= uint64_t{1} << (n % 64);
      ++words;
    }
  }

  std::vector<uint8_t> out(sizeof h);
  out.reserve(h.totalBytes);
  std::memcpy(out.data(), &h, sizeof h);
  // A tree built from no keys at all still has its root; one never built has
  // no nodes, and its child table is the single end marker.
  put(out, p.trie.firstChild.empty() ? std::vector<uint32_t>{0} : p.trie.firstChild);
  put(out, p.trie.labels);
  put(out, p.trie.flags);
  put(out, wordBits);
  put(out, wordsBefore);
  put(out, p.ranks);
  put(out, p.forms.blockStarts);
  put(out, p.forms.bytes);
  return out;
}

Result<DictImage> DictImage::view(std::span<const uint8_t> bytes) {
  Header h{};
  if (bytes.size() < sizeof h) return badImage("too short");
  if (reinterpret_cast<uintptr_t>(bytes.data()) % kAlign != 0) return badImage("misaligned");
  std::memcpy(&h, bytes.data(), sizeof h);
  if (std::memcmp(h.magic, kMagic, sizeof kMagic) != 0 || h.version != kVersion) {
    return badImage("unknown format");
  }
  const Sections s = sectionsOf(h);
  if (h.totalBytes != bytes.size() || totalOf(s) != bytes.size()) return badImage("wrong size");

  DictImage img;
  img.bytes_ = bytes;
  img.lang_.assign(h.lang, strnlen(h.lang, sizeof h.lang));
  img.indexed_ = (h.flags & kIndexedFlag) != 0;
  const uint8_t* at = bytes.data() + sizeof h;
  const auto firstChild = take<uint32_t>(at, s.sizes[0]);
  const auto labels = take<uint8_t>(at, s.sizes[1]);
  const auto flags = take<uint8_t>(at, s.sizes[2]);
  img.wordBits_ = take<uint64_t>(at, s.sizes[3]);
  img.wordsBefore_ = take<uint32_t>(at, s.sizes[4]);
  img.ranks_ = take<uint32_t>(at, s.sizes[5]);
  const auto formBlockStarts = take<uint32_t>(at, s.sizes[6]);
  const auto formBytes = take<uint8_t>(at, s.sizes[7]);
  // Only the ends are checked: every page of a large list is read only when
  // a lookup needs it.
  if (firstChild.back() != h.nodes || (!formBlockStarts.empty() && formBytes.empty())) {
    return badImage("broken tree");
  }
  img.trie_ = DictTrie(firstChild, labels, flags);
  img.forms_ = FrontCodedSet(formBlockStarts, formBytes);
  img.wordCount_ = h.wordCount;
  img.stemCount_ = h.stemCount;
  img.formCount_ = h.formCount;
  img.longestAccepted_ = h.longestAccepted;
  return img;
}

Result<DictImage> DictImage::own(std::vector<uint8_t> bytes) {
  auto owned = std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
  Result<DictImage> img = view(*owned);
  if (img) img->owned_ = std::move(owned);
  return img;
}

}  // namespace vyx
