#include "store/config.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <mutex>

#include "log/logger.h"
#include "store/fs_util.h"
#include "store/settled_file.h"
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
  if (std::find(unsavedApps.begin(), unsavedApps.end(), trimmed) == unsavedApps.end()) {
    unsavedApps.emplace_back(trimmed);
  }
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
      // Nothing there yet. Should the defaults not be written (a link into
      // a volume not mounted), a file found there later is the person's.
      out.config->savedFile.text.emplace();
      if (const auto saved = SaveConfig(*out.config); !saved) {
        logf("config: %v — using the defaults", saved.error());
      }
    } else {
      logf("config: %v — using the defaults", text.error());
      out.config->savedFile.text.emplace();
    }
    return out;
  }
  if (Status s = decodeConfig(*text, *out.config); !s) {
    out.error = s.error();
    // As if nothing had been read: the defaults are in force.
    out.config->savedFile.text.emplace();
  } else {
    out.config->savedFile.text = std::move(text).value();
  }
  return out;
}

namespace {

// How often a save looks at a file that keeps changing before it gives up,
// and how often it starts again when the file changed before the rename:
// together well under a second of a person's steady typing into the file.
constexpr int kSettleLooks = 10;
constexpr int kSaveRounds = 4;

struct Merged {
  std::unique_ptr<Config> record;
  std::vector<std::string> added;  // the apps text did not cover
};

// The settings in text with apps added; none when text does not load.
std::optional<Merged> withApps(std::string_view text, const std::vector<std::string>& apps) {
  Merged out{std::make_unique<Config>(), {}};
  if (!decodeConfig(text, *out.record)) return std::nullopt;
  for (const std::string& app : apps) {
    if (out.record->AddExcludedApp(app)) out.added.push_back(app);
  }
  return out;
}

// What one round of a save writes, decided from the file as it is now.
struct SavePlan {
  std::string text;
  bool keep = false;     // the file does not load: it is kept aside first
  bool follows = false;  // the person's settings, not those in force, were written
  std::vector<std::string> addedApps;
};

// The settings in force while the file holds nothing else; once the person
// edited it, the file as it is now with the new applications. A file that
// does not load gives way to what was last read or written there. With no
// file, and for a record that never met the file, the record itself.
Result<SavePlan> planSave(const Config& config, const FileLook& now,
                          const std::vector<std::string>& apps) {
  const Config::FileState& known = config.savedFile;
  SavePlan plan;
  std::optional<Merged> merged;
  if (now.exists && now.text) merged = withApps(*now.text, apps);
  plan.keep = now.exists && !merged;
  plan.follows = known.followsFile || (merged && known.text && *now.text != *known.text);
  if (plan.keep && known.text) merged = withApps(*known.text, apps);
  plan.addedApps = merged ? merged->added : apps;
  Result<std::string> text = encodeConfig(merged && plan.follows ? *merged->record : config);
  if (!text) return text.error();
  plan.text = std::move(text).value();
  return plan;
}

bool isSymlink(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// A failure after the person's file was kept aside says where it went.
Error withKeptCopy(const Error& e, const std::optional<std::string>& keptAs) {
  if (!keptAs) return e;
  return Error(e.message() + " (the file that did not load was kept as " + *keptAs + ")",
               e.sysErrno());
}

}  // namespace

Result<ConfigSaved> SaveConfig(const Config& config, const SaveConfigOptions& options) {
  const std::string path = configPath();
  if (Status s = mkdirAll(parentDir(path), 0700); !s) return s.error();
  const Pause pause = options.pause ? options.pause : systemPause();
  std::vector<std::string> apps;
  {
    std::shared_lock lock(config.mu);
    apps = config.unsavedApps;
  }
  const Error keptChanging("save " + path +
                           ": the file kept changing while it was read, so it was left as it is "
                           "and the change was not saved");
  // A file kept aside stays kept when the save then starts again.
  std::optional<std::string> keptAs;
  for (int round = 0; round < kSaveRounds; ++round) {
    const Result<FileLook> found = readSettled(path, kConfigMaxBytes, pause, kSettleLooks);
    if (!found) return withKeptCopy(keptChanging, keptAs);
    const FileLook& now = *found;
    // What is not a file, or far too large, is never replaced.
    if (now.exists) {
      if (Status s = checkStoredFile("write", path, now.st, kConfigMaxBytes); !s) return s.error();
    }
    Result<SavePlan> plan = planSave(config, now, apps);
    if (!plan) return plan.error();
    // An existing file keeps its mode; a new one is private, and so is the
    // one in the place of a file moved aside (a linked file stays, copied).
    const bool replacesMovedFile = plan->keep && !isSymlink(path);
    const mode_t mode = now.exists && !replacesMovedFile ? now.st.st_mode & 0777 : 0600;
    bool changed = false;
    const auto changedMeanwhile = [&] {
      changed = true;
      return Error("save " + path + ": the file changed meanwhile");
    };
    const Status written = writeFileAtomic(
        path, plan->text, mode, kConfigMaxBytes,
        [&](const std::string& tmp, const std::string& target) -> Status {
          if (options.beforeReplace) options.beforeReplace();
          if (!sameLook(now, lookAt(path, kConfigMaxBytes))) return changedMeanwhile();
          FileLook expected = now;
          if (plan->keep) {
            Result<std::string> kept = keepAside(path);
            if (!kept) {
              if (kept.error().sysErrno() == ENOENT) return changedMeanwhile();
              return Error::wrap("keep " + path + " aside", kept.error());
            }
            logf("config: kept the settings that could not be loaded as %s", *kept);
            keptAs = std::move(kept).value();
            if (replacesMovedFile) expected = FileLook{};
          }
          const Result<bool> replaced = replaceIfStill(tmp, target, expected, kConfigMaxBytes);
          if (!replaced) return replaced.error();
          return *replaced ? Status() : changedMeanwhile();
        });
    if (changed) continue;
    if (!written) return withKeptCopy(written.error(), keptAs);
    config.savedFile = {.text = std::move(plan->text), .followsFile = plan->follows};
    std::unique_lock lock(config.mu);
    config.unsavedApps.erase(config.unsavedApps.begin(),
                             config.unsavedApps.begin() + static_cast<ptrdiff_t>(apps.size()));
    return ConfigSaved{.keptAs = keptAs, .addedApps = std::move(plan->addedApps)};
  }
  return withKeptCopy(keptChanging, keptAs);
}

}  // namespace vyx
