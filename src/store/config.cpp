#include "store/config.h"

#include <cerrno>
#include <mutex>

#include "store/fs_util.h"
#include "text/unicode.h"

namespace vyx {

bool Config::IsAppExcluded(std::string_view app) const {
  if (app.empty()) return false;
  std::shared_lock lock(mu);
  if (ExcludedApps.empty()) return false;
  const std::string haystack = toLower(app);
  for (const std::string& entry : ExcludedApps) {
    // An entry of spaces is deliberately not trimmed here: only the user's
    // own hand edit can produce one, and it is taken as written.
    if (entry.empty()) continue;
    if (haystack.find(toLower(entry)) != std::string::npos) return true;
  }
  return false;
}

bool Config::AddExcludedApp(std::string_view app) {
  const std::string_view trimmed = trimSpace(app);
  if (trimmed.empty()) return false;
  std::unique_lock lock(mu);
  const std::string lowered = toLower(trimmed);
  for (const std::string& entry : ExcludedApps) {
    const std::string_view e = trimSpace(entry);
    if (e.empty()) continue;
    if (lowered.find(toLower(e)) != std::string::npos) return false;
  }
  ExcludedApps.emplace_back(trimmed);
  return true;
}

LoadedConfig LoadConfig() {
  LoadedConfig out{std::make_unique<Config>(), std::nullopt};
  Result<std::string> text = readFile(configPath());
  if (!text) {
    // A file that exists but cannot be read is still the user's: it is left
    // alone, and only a missing one is created.
    if (text.error().sysErrno() == ENOENT) (void)SaveConfig(*out.config);
    return out;
  }
  if (Status s = decodeConfig(*text, *out.config); !s) out.error = s.error();
  return out;
}

Status SaveConfig(const Config& config) {
  const std::string path = configPath();
  if (Status s = mkdirAll(parentDir(path), 0700); !s) return s;
  Result<std::string> text = encodeConfig(config);
  if (!text) return text.error();
  return writeFile(path, *text, 0600);
}

}  // namespace vyx
