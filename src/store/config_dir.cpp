// Where the three files live, and the move from the program's former folder.
#include <cstdlib>

#include "store/config.h"
#include "store/fs_util.h"

namespace vyx {

namespace {

// NOLINTNEXTLINE(concurrency-mt-unsafe): the environment is not written after start-up.
std::string envValue(const char* name) {
  const char* v = std::getenv(name);  // NOLINT(concurrency-mt-unsafe)
  return v == nullptr ? std::string() : std::string(v);
}

Result<std::string> homeDir() {
  std::string home = envValue("HOME");
  if (home.empty()) return Error("$HOME is not defined");
  return home;
}

}  // namespace

void migrateConfigDir(const std::string& legacy, const std::string& current) {
  if (!pathExists(legacy)) return;
  if (!pathExists(current)) {
    (void)renamePath(legacy, current);
    return;
  }
  Result<std::vector<std::string>> names = listDir(legacy);
  if (!names) return;
  for (const std::string& name : *names) {
    const std::string target = joinPath({current, name});
    if (!pathExists(target)) (void)renamePath(joinPath({legacy, name}), target);
  }
}

Result<std::string> defaultConfigDir() {
  for (const char* var : {"VYX_CONFIG_DIR", "PELORANT_CONFIG_DIR"}) {
    if (std::string dir = envValue(var); !dir.empty()) return dir;
  }
  Result<std::string> home = homeDir();
  if (!home) return home.error();
  std::string dir = joinPath({*home, "Library", "Application Support", "Vyx"});
  migrateConfigDir(joinPath({*home, "Library", "Application Support", "Pelorant"}), dir);
  return dir;
}

std::string configPath() {
  Result<std::string> dir = defaultConfigDir();
  if (dir) return joinPath({*dir, "config.yaml"});
  return joinPath({envValue("HOME"), "Library", "Application Support", "Vyx", "config.yaml"});
}

}  // namespace vyx
