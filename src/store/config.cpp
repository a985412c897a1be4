#include "store/config.h"

#include <sys/stat.h>

#include <cerrno>
#include <mutex>

#include "log/logger.h"
#include "store/fs_util.h"
#include "text/unicode.h"

namespace vyx {

namespace {
// Far above any real settings file; a bigger one is not read.
constexpr size_t kConfigMaxBytes = size_t{1} << 20;
}  // namespace

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
  const std::string path = configPath();
  Result<std::string> text = readFile(path, kConfigMaxBytes);
  if (!text) {
    // A file that exists but cannot be read is still the user's: it is left
    // alone (SaveConfig will not replace one that is too large or not a
    // file, and keeps any other aside first), and only a missing one is
    // created.
    if (text.error().sysErrno() == ENOENT) {
      (void)SaveConfig(*out.config);
    } else {
      logf("config: %v — using the defaults", text.error());
      out.config->keepFileAside = true;
    }
    return out;
  }
  if (Status s = decodeConfig(*text, *out.config); !s) {
    out.error = s.error();
    out.config->keepFileAside = true;
  }
  return out;
}

Status SaveConfig(const Config& config) {
  const std::string path = configPath();
  if (Status s = mkdirAll(parentDir(path), 0700); !s) return s;
  Result<std::string> text = encodeConfig(config);
  if (!text) return text.error();
  struct stat st {};
  bool exists = ::stat(path.c_str(), &st) == 0;
  // What is not a file, or far too large, is never replaced.
  if (exists) {
    if (Status s = checkStoredFile("write", path, st, kConfigMaxBytes); !s) return s;
  }
  if (config.keepFileAside.load()) {
    Result<std::string> kept = keepAside(path);
    if (!kept && kept.error().sysErrno() != ENOENT) {
      return Error::wrap("keep " + path + " aside", kept.error());
    }
    if (kept) logf("config: kept the settings that could not be loaded as %s", *kept);
    config.keepFileAside = false;
    // A linked file stays where it is (a copy was kept); a plain one moved.
    exists = ::stat(path.c_str(), &st) == 0;
  }
  // An existing file keeps its mode; a new one is private.
  return writeFileAtomic(path, *text, exists ? st.st_mode & 0777 : 0600, kConfigMaxBytes);
}

}  // namespace vyx
