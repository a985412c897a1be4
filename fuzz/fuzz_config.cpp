// Any bytes as config.yaml: decoding must not crash, and a record that can
// be saved must read back unchanged.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "store/config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  vyx::Config config;
  (void)vyx::decodeConfig(text, config);
  vyx::Result<std::string> saved = vyx::encodeConfig(config);
  if (!saved) return 0;
  vyx::Config back;
  back.ExcludedApps = {"sentinel"};
  const vyx::Status status = vyx::decodeConfig(*saved, back);
  if (!status || back.Enabled != config.Enabled || back.PrimaryLanguage != config.PrimaryLanguage ||
      back.MinWordLength != config.MinWordLength || back.ExcludedApps != config.ExcludedApps) {
    __builtin_trap();
  }
  return 0;
}
