#include "detect/dict_fs.h"

#include "detect/dict.h"

#include <array>
#include <cerrno>
#include <string>

// Defined in dict_fs.S; each *_end marks the byte after the image's last byte.
extern "C" {
extern const char vyx_ru_freq_img[];
extern const char vyx_ru_freq_img_end[];
extern const char vyx_en_freq_img[];
extern const char vyx_en_freq_img_end[];
}

namespace vyx {

namespace {

std::string_view between(const char* begin, const char* end) {
  return {begin, static_cast<size_t>(end - begin)};
}

std::span<const EmbeddedFile> dictFiles() {
  static const std::array<EmbeddedFile, 2> files{{
      {"dicts/ru_freq.txt", between(vyx_ru_freq_img, vyx_ru_freq_img_end)},
      {"dicts/en_freq.txt", between(vyx_en_freq_img, vyx_en_freq_img_end)},
  }};
  return files;
}

}  // namespace

constinit const EmbeddedFS dictFS{dictFiles};

Result<Dict> LoadDict(std::string_view code) {
  const std::string path = "dicts/" + std::string(code) + "_freq.txt";
  const Result<std::string_view> bytes = dictFS.readFile(path);
  if (!bytes) return bytes.error();
  Result<DictImage> image =
      DictImage::view({reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size()});
  if (!image) return Error::wrap(path, image.error());
  return Dict(std::move(image).value());
}

Result<std::string_view> EmbeddedFS::readFile(std::string_view name) const {
  for (const EmbeddedFile& f : files()) {
    if (f.name == name) {
      return f.data;
    }
  }
  return Error("open " + std::string(name) + ": file does not exist", ENOENT);
}

}  // namespace vyx
