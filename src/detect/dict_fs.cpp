#include "detect/dict_fs.h"

#include <array>
#include <cerrno>
#include <string>

// Defined in dict_fs.S; each *_end marks the byte after the file's last byte.
extern "C" {
extern const char vyx_ru_freq_txt[];
extern const char vyx_ru_freq_txt_end[];
extern const char vyx_en_freq_txt[];
extern const char vyx_en_freq_txt_end[];
}

namespace vyx {

namespace {

std::string_view between(const char* begin, const char* end) {
  return {begin, static_cast<size_t>(end - begin)};
}

std::span<const EmbeddedFile> dictFiles() {
  static const std::array<EmbeddedFile, 2> files{{
      {"dicts/ru_freq.txt", between(vyx_ru_freq_txt, vyx_ru_freq_txt_end)},
      {"dicts/en_freq.txt", between(vyx_en_freq_txt, vyx_en_freq_txt_end)},
  }};
  return files;
}

}  // namespace

constinit const EmbeddedFS dictFS{dictFiles};

Result<std::string_view> EmbeddedFS::readFile(std::string_view name) const {
  for (const EmbeddedFile& f : files()) {
    if (f.name == name) {
      return f.data;
    }
  }
  return Error("open " + std::string(name) + ": file does not exist", ENOENT);
}

}  // namespace vyx
