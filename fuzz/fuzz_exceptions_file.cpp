// Any bytes as exceptions.json: the reader must not crash, and whatever it
// accepts must save and read back to the very same record.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "store/exceptions_file.h"

namespace {

bool same(const vyx::ExceptionsFile& a, const vyx::ExceptionsFile& b) {
  if (a.Version != b.Version || !(a.Updated == b.Updated) || a.Entries.size() != b.Entries.size()) {
    return false;
  }
  for (size_t i = 0; i < a.Entries.size(); ++i) {
    const vyx::Exception& x = a.Entries[i];
    const vyx::Exception& y = b.Entries[i];
    if (x.App != y.App || x.Word != y.Word || !(x.Added == y.Added) || x.HitCount != y.HitCount) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  vyx::Result<vyx::ExceptionsFile> file = vyx::decodeExceptionsFile(text);
  if (!file) return 0;
  // A time read from the file keeps its offset, so its year stays in range.
  vyx::Result<std::string> saved = vyx::encodeExceptionsFile(*file);
  if (!saved) __builtin_trap();
  vyx::Result<vyx::ExceptionsFile> again = vyx::decodeExceptionsFile(*saved);
  if (!again || !same(*file, *again)) __builtin_trap();
  vyx::Result<std::string> resaved = vyx::encodeExceptionsFile(*again);
  if (!resaved || *resaved != *saved) __builtin_trap();
  return 0;
}
