// Where the program keeps its files, and the settings record read from
// config.yaml.
//
// Threads: LoadConfig runs once on the main thread before the record is
// shared. Afterwards IsAppExcluded runs on the event-tap thread (read lock),
// AddExcludedApp (write lock) and SaveConfig (the lock only while it copies
// the record, then drops the applications saved; the file read and written
// without it) on the main thread. Enabled and MinWordLength never change after loading and are read
// without the lock.
// mu is innermost: nothing else is locked while it is held.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <vector>

#include "log/error.h"

namespace vyx {

struct Config {
  mutable std::shared_mutex mu;  // guards ExcludedApps (and the record while it is encoded)
  bool Enabled = true;
  std::string PrimaryLanguage = "ru";  // kept and written back; nothing depends on it
  int64_t MinWordLength = 2;
  // Substrings of bundle identifiers that are never corrected, in the case
  // they were read or added.
  std::vector<std::string> ExcludedApps{"idea"};
  // What this process last read from config.yaml or wrote there, so that a
  // save can tell the person's own edits made since and keep them. Main
  // thread only.
  struct FileState {
    // None for a record that never met the file (a save writes it as it
    // is); "" when the file there did not load.
    std::optional<std::string> text;
    // The file holds settings that are not the ones in force here (an edit
    // made while running), so every later save starts from the file.
    bool followsFile = false;
  };
  mutable FileState savedFile;
  // The applications the menu asked to exclude since the last save, oldest
  // first, whether or not an entry here already covered them: the file may
  // no longer hold that entry. Under mu.
  mutable std::vector<std::string> unsavedApps;

  // Whether app contains one of the entries, ignoring case.
  [[nodiscard]] bool IsAppExcluded(std::string_view app) const;
  // The same for an app already lower-cased.
  [[nodiscard]] bool IsLowerAppExcluded(std::string_view lowerApp) const;
  // Appends app, trimmed, unless it is empty or an entry already covers it;
  // true when added. Only memory changes: the caller saves, and the save
  // adds app to the file unless the file covers it.
  [[nodiscard]] bool AddExcludedApp(std::string_view app);
};

// The configuration directory, resolved afresh at every call: VYX_CONFIG_DIR,
// then PELORANT_CONFIG_DIR (each when set and not empty, taken as given),
// else $HOME/Library/Application Support/Vyx after moving the legacy
// "Pelorant" folder's contents over. Fails only without an override and
// without a home directory.
[[nodiscard]] Result<std::string> defaultConfigDir();
// Moves legacy into current (whole, when current is missing) or each of its
// entries that current lacks. Silent; every failure is ignored.
void migrateConfigDir(const std::string& legacy, const std::string& current);
// The settings file; relative to the working directory when there is no
// home directory. Never fails.
[[nodiscard]] std::string configPath();

struct LoadedConfig {
  std::unique_ptr<Config> config;  // never null
  std::optional<Error> error;      // a decoding problem; config is still usable
};

// Reads configPath() over the defaults. A missing file is created with the
// defaults; an unreadable one is left alone and the defaults are used.
[[nodiscard]] LoadedConfig LoadConfig();
// What a save did besides writing the settings.
struct ConfigSaved {
  // Where a config.yaml that did not load was kept before the new one was
  // written; none when the file loaded.
  std::optional<std::string> keptAs;
  // Those of the applications the menu asked for that the file, as found,
  // did not cover: they were added. The others it covered already.
  std::vector<std::string> addedApps;
};

struct SaveConfigOptions {
  // Waits between two looks at a file that may be being written.
  std::function<void(std::chrono::milliseconds)> pause = nullptr;
  // Runs with the new file written, just before the check that config.yaml
  // is still as it was read; tests make a person's edit land there.
  std::function<void()> beforeReplace = nullptr;
};

// Writes the settings to configPath() (directory 0700, a new file 0600, an
// existing one keeps its mode) through a temporary file and a rename: on any
// failure the file on disk stays as it was. The settings written are those
// of the file as it is now, read once it holds still, with the applications
// the menu added since the last save; when the file does not load, it is
// kept aside (keepAside) and the settings last read or written go in its
// place. Just before the rename the file must still be as read, else all
// this is done again; a file that keeps changing is left alone and the save
// fails. The record in memory keeps the settings in force.
[[nodiscard]] Result<ConfigSaved> SaveConfig(const Config& config,
                                             const SaveConfigOptions& options = {});

// The YAML text of the record, in the file's layout (takes the read lock).
[[nodiscard]] Result<std::string> encodeConfig(const Config& config);
// Applies the YAML text to a record that is not shared yet: keys present
// replace their values, others stay. On error the record keeps whatever was
// applied before it.
[[nodiscard]] Status decodeConfig(std::string_view text, Config& into);

}  // namespace vyx
