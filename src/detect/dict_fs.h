// dictFS: the word lists compiled into the program ("dicts/ru_freq.txt" and
// "dicts/en_freq.txt"), so the program never reads them from disk. Each list
// is held as the image the build compiled it into (dict_image.h; the Russian
// one with its word forms from dicts/ru_forms.txt), so loading it is a look at
// its header. The bytes live in the executable's read-only data, paged in as
// lookups reach them, and are never written, so any thread may read them.
#pragma once

#include <span>
#include <string_view>

#include "log/error.h"

namespace vyx {

struct EmbeddedFile {
  std::string_view name;  // "dicts/ru_freq.txt"
  std::string_view data;  // its compiled image
};

class EmbeddedFS final {
 public:
  using Lister = std::span<const EmbeddedFile> (*)();
  // The list is produced on first use, so dictFS works even from another
  // translation unit's static initialiser.
  explicit constexpr EmbeddedFS(Lister list) noexcept : list_(list) {}

  // The whole content of a file, or "open <name>: file does not exist".
  [[nodiscard]] Result<std::string_view> readFile(std::string_view name) const;
  [[nodiscard]] std::span<const EmbeddedFile> files() const { return list_(); }

 private:
  Lister list_;
};

extern const EmbeddedFS dictFS;

}  // namespace vyx
