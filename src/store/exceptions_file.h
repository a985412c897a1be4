// exceptions.json as bytes: the one place that knows its layout.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "log/error.h"
#include "store/exception_store.h"

namespace vyx {

struct ExceptionsFile {
  int64_t Version = 0;
  WallTime Updated;
  std::vector<Exception> Entries;
};

// Any JSON that fits the shape: member names matched ignoring case, unknown
// members skipped, missing ones and nulls left at their zero values, a file
// of only null an empty record. Entries come back exactly as read (empty
// words and apps included); the store applies its own rules.
[[nodiscard]] Result<ExceptionsFile> decodeExceptionsFile(std::string_view text);
// Two-space indented JSON with the members in order, HTML-safe escapes and
// no final line break.
[[nodiscard]] Result<std::string> encodeExceptionsFile(const ExceptionsFile& file);

}  // namespace vyx
