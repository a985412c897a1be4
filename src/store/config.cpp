#include "store/config.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstddef>
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
  return !app.empty() && IsLowerAppExcluded(toLower(app));
}

bool Config::IsLowerAppExcluded(std::string_view lowerApp) const {
  if (lowerApp.empty()) return false;
  std::shared_lock lock(mu);
  for (const std::string& entry : ExcludedApps) {
    // An entry of spaces is deliberately not trimmed here: only the user's
    // own hand edit can produce one, and it is taken as written.
    if (entry.empty()) continue;
    if (lowerApp.find(toLower(entry)) != std::string_view::npos) return true;
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
  unsavedApps.emplace_back(trimmed);
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
      // Nothing there yet. Should the defaults not be written (a link into
      // a volume not mounted), a file found there later is the person's.
      out.config->savedFile.text.emplace();
      if (Status s = SaveConfig(*out.config); !s)
        logf("config: %v — using the defaults", s.error());
    } else {
      logf("config: %v — using the defaults", text.error());
      out.config->keepFileAside = true;
    }
    return out;
  }
  if (Status s = decodeConfig(*text, *out.config); !s) {
    out.error = s.error();
    out.config->keepFileAside = true;
  } else {
    out.config->savedFile.text = std::move(text).value();
  }
  return out;
}

namespace {

// The settings in text, with the applications added since the last save;
// null when text does not load.
std::unique_ptr<Config> withUnsavedApps(const Result<std::string>& text, const Config& config) {
  auto record = std::make_unique<Config>();
  if (!text || !decodeConfig(*text, *record)) return nullptr;
  std::vector<std::string> added;
  {
    std::shared_lock lock(config.mu);
    added = config.unsavedApps;
  }
  for (const std::string& app : added) (void)record->AddExcludedApp(app);
  return record;
}

}  // namespace

Status SaveConfig(const Config& config) {
  const std::string path = configPath();
  if (Status s = mkdirAll(parentDir(path), 0700); !s) return s;
  struct stat st {};
  bool exists = ::stat(path.c_str(), &st) == 0;
  // What is not a file, or far too large, is never replaced.
  if (exists) {
    if (Status s = checkStoredFile("write", path, st, kConfigMaxBytes); !s) return s;
  }
  Config::FileState& known = config.savedFile;
  bool keep = exists && config.keepFileAside.load();
  // The record written: the one in memory, or the person's own file once
  // they edited it while the program ran.
  std::unique_ptr<Config> edited;
  if (exists && (keep || known.text)) {
    const Result<std::string> now = readFile(path, kConfigMaxBytes);
    if (keep || known.followsFile || !now || *now != *known.text) {
      edited = withUnsavedApps(now, config);
      if (edited) {
        keep = false;
        known.followsFile = true;
      } else {
        keep = true;
        // What was last written there holds the edits made before.
        if (known.followsFile && known.text) edited = withUnsavedApps(*known.text, config);
      }
    }
  }
  const size_t savedApps = [&] {
    std::shared_lock lock(config.mu);
    return config.unsavedApps.size();
  }();
  Result<std::string> text = encodeConfig(edited ? *edited : config);
  if (!text) return text.error();
  if (keep) {
    Result<std::string> kept = keepAside(path);
    if (!kept && kept.error().sysErrno() != ENOENT) {
      return Error::wrap("keep " + path + " aside", kept.error());
    }
    if (kept) logf("config: kept the settings that could not be loaded as %s", *kept);
    // A linked file stays where it is (a copy was kept); a plain one moved.
    exists = ::stat(path.c_str(), &st) == 0;
  }
  config.keepFileAside = false;
  // An existing file keeps its mode; a new one is private.
  if (Status s = writeFileAtomic(path, *text, exists ? st.st_mode & 0777 : 0600, kConfigMaxBytes);
      !s) {
    return s;
  }
  known.text = std::move(text).value();
  std::unique_lock lock(config.mu);
  config.unsavedApps.erase(config.unsavedApps.begin(),
                           config.unsavedApps.begin() + static_cast<ptrdiff_t>(savedApps));
  return {};
}

}  // namespace vyx
